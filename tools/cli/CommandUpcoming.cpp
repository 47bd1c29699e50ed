// orlinda-cli upcoming [--save]: the holiday bindings after the program's start-up load.
#include "Cli.h"
#include "ProjectLoad.h"
#include "RecordJson.h"

#include "model/Holiminder.h"

#include <iostream>

namespace orlinda::cli {

namespace {

std::string Help()
{
    return "Usage: orlinda-cli upcoming [--save]\n\n"
           "Loads the data set as the program does at start (users.dat, reminders.dat,\n"
           "holidays.tmp, then holidays.dat with the holidays' coming dates) and rebuilds the\n"
           "coming occasions: birthdays, wedding anniversaries and holidays of the next 31\n"
           "days with the people to greet on them. Prints them as a JSON array in list order,\n"
           "one object per occasion as \"dump --kind bindings\" prints holidays.tmp.\n\n"
           "  --save   write holidays.tmp as the program would; without it nothing is written\n\n"
           "A data file that is damaged is reported on standard error (exit code 1); the\n"
           "records before the damage are used.\n";
}

int Run(Context& context)
{
    ParsedArgs parsed = ParseArgs(context.args, {}, {"--save"});
    ExpectPositional(parsed, 0, "no positional arguments");
    const bool save = parsed.Has("--save");

    auto loaded = LoadProject(save);
    TProject& p = *loaded->project;
    bool saved = true;
    if (save)
        saved = p.SaveBindings();

    Json out = Json::array();
    for (int i = 0; i < p.Bindings().Count(); ++i)
        out.push_back(RecordToJson(*p.Bindings().Get(i)));
    WriteOut(out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");

    int code = ReportProblems(*loaded) ? ExitFailure : ExitOk;
    if (!saved) {
        std::cerr << "orlinda-cli: cannot write " << p.Files().BindingsFile << "\n";
        code = ExitFailure;
    }
    return code;
}

const CommandRegistrar registrar({"upcoming", "list the coming occasions with the people to greet", &Help, &Run});

} // namespace

} // namespace orlinda::cli
