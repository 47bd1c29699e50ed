// orlinda-cli dump --kind KIND FILE: prints a data file as JSON.
#include "Cli.h"
#include "FileKinds.h"

#include <iostream>

namespace orlinda::cli {

namespace {

std::string Help()
{
    return "Usage: orlinda-cli dump --kind KIND FILE\n\n"
           "Prints FILE as a JSON array with one object per record, its keys the record's\n"
           "field names. 8-bit texts are decoded from Windows-1251, wide texts from UTF-16;\n"
           "both are printed as UTF-8. When the file fails part way, the records read before\n"
           "the failure are printed, the reader's message goes to standard error and the\n"
           "exit code is 1.\n\n"
           "Kinds:\n" +
           FileKindsHelp();
}

const FileKind& KindOption(const ParsedArgs& parsed)
{
    if (!parsed.Has("--kind"))
        throw UsageError("missing --kind KIND");
    const FileKind* kind = FindFileKind(parsed.Get("--kind"));
    if (!kind)
        throw UsageError("unknown kind \"" + parsed.Get("--kind") + "\"");
    return *kind;
}

int Run(Context& context)
{
    ParsedArgs parsed = ParseArgs(context.args, {"--kind"});
    const FileKind& kind = KindOption(parsed);
    ExpectPositional(parsed, 1, "FILE");
    const std::string& file = parsed.positional[0];

    DumpResult result = kind.dump(file);
    WriteOut(result.json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
    if (!result.error.empty()) {
        std::cerr << "orlinda-cli: " << file << ": " << result.error << " (" << result.json.size()
                  << (result.json.size() == 1 ? " record" : " records") << " read before it)\n";
        return ExitFailure;
    }
    return ExitOk;
}

const CommandRegistrar registrar({"dump", "print a data file as JSON", &Help, &Run});

} // namespace

} // namespace orlinda::cli
