// orlinda-cli build --kind KIND IN.json OUT: writes a data file from JSON.
#include "Cli.h"
#include "FileKinds.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "core/FileStream.h"

#include <iostream>
#include <iterator>

namespace orlinda::cli {

namespace {

std::string Help()
{
    return "Usage: orlinda-cli build --kind KIND IN.json OUT\n\n"
           "Writes OUT from a JSON array as \"orlinda-cli dump\" prints it (IN.json may be \"-\"\n"
           "for standard input). A missing key takes the field's empty value; a key of the\n"
           "wrong type or an unknown key is an error naming the record (counted from 0, as\n"
           "in the array) and the key. OUT is replaced only after the whole input was\n"
           "converted, so on any error it is left as it was.\n\n"
           "Kinds:\n" +
           FileKindsHelp();
}

std::string ReadInput(const std::string& name)
{
    if (name == "-")
        return std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    return ReadWholeFile(name);
}

int Run(Context& context)
{
    ParsedArgs parsed = ParseArgs(context.args, {"--kind"});
    if (!parsed.Has("--kind"))
        throw UsageError("missing --kind KIND");
    const FileKind* kind = FindFileKind(parsed.Get("--kind"));
    if (!kind)
        throw UsageError("unknown kind \"" + parsed.Get("--kind") + "\"");
    if (parsed.positional.size() == 1)
        throw UsageError("missing OUT");
    ExpectPositional(parsed, 2, "IN.json and OUT");
    const std::string& in = parsed.positional[0];
    const std::string& out = parsed.positional[1];

    Json json;
    try {
        json = Json::parse(ReadInput(in));
    } catch (const nlohmann::json::parse_error& e) {
        std::string what = e.what();
        if (auto bracket = what.find("] "); what.rfind("[json.exception", 0) == 0 && bracket != std::string::npos)
            what.erase(0, bracket + 2);  // the library's own tag means nothing to a user
        throw Error(in + ": not valid JSON: " + what);
    }
    std::string bytes;
    try {
        bytes = kind->build(json);
    } catch (const Error& e) {
        throw Error(in + ": " + e.what());
    }
    WriteFileAtomic(out, bytes);
    return ExitOk;
}

const CommandRegistrar registrar({"build", "write a data file from JSON", &Help, &Run});

} // namespace

} // namespace orlinda::cli
