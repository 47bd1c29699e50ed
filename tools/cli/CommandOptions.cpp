// orlinda-cli options get|set: reads and changes one value of an option-list text file
// such as config.dat.
#include "Cli.h"

#include "core/Error.h"
#include "core/OptionsList.h"

#include <sys/stat.h>

namespace orlinda::cli {

namespace {

std::string Help()
{
    return "Usage: orlinda-cli options get FILE NAME\n"
           "       orlinda-cli options set FILE NAME VALUE\n\n"
           "Reads or changes one value of an option-list file (name=value lines with escaped\n"
           "values), such as config.dat.\n\n"
           "  get   prints the value, unescaped, exactly as stored (no line break is added);\n"
           "        nothing when the name is missing. FILE must exist.\n"
           "  set   stores VALUE under NAME (names are compared without regard to case);\n"
           "        an empty VALUE deletes the line. FILE is created when missing and is\n"
           "        replaced atomically.\n\n"
           "Write \"--\" before a VALUE that begins with \"-\".\n";
}

void CheckName(const std::string& name)
{
    if (name.empty())
        throw UsageError("the option name must not be empty");
    if (name.find_first_of("=\r\n") != std::string::npos)
        throw UsageError("the option name must not contain \"=\" or line breaks");
}

bool FileExists(const std::string& fileName)
{
    struct stat st {};
    return ::stat(fileName.c_str(), &st) == 0;
}

int Run(Context& context)
{
    ParsedArgs parsed = ParseArgs(context.args, {});
    if (parsed.positional.empty())
        throw UsageError("missing get or set");
    const std::string action = parsed.positional[0];
    if (action == "get") {
        if (parsed.positional.size() < 3)
            throw UsageError(parsed.positional.size() < 2 ? "missing FILE and NAME" : "missing NAME");
        if (parsed.positional.size() > 3)
            throw UsageError("unexpected argument \"" + parsed.positional[3] + "\"");
        const std::string& file = parsed.positional[1];
        const std::string& name = parsed.positional[2];
        CheckName(name);
        TOptionsList options;
        options.LoadFromFile(file);
        WriteOut(options.GetValue(name));
        return ExitOk;
    }
    if (action == "set") {
        if (parsed.positional.size() < 4)
            throw UsageError(parsed.positional.size() < 2   ? "missing FILE, NAME and VALUE"
                             : parsed.positional.size() < 3 ? "missing NAME and VALUE"
                                                            : "missing VALUE");
        if (parsed.positional.size() > 4)
            throw UsageError("unexpected argument \"" + parsed.positional[4] + "\"");
        const std::string& file = parsed.positional[1];
        const std::string& name = parsed.positional[2];
        CheckName(name);
        TOptionsList options;
        if (FileExists(file))
            options.LoadFromFile(file);
        options.SetValue(name, parsed.positional[3]);
        options.SaveToFile(file);
        return ExitOk;
    }
    throw UsageError("unknown action \"" + action + "\" (get or set)");
}

const CommandRegistrar registrar({"options", "read or change a value of a settings file", &Help, &Run});

} // namespace

} // namespace orlinda::cli
