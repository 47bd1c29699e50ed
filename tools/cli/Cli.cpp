#include "Cli.h"

#include <algorithm>
#include <cstdio>

namespace orlinda::cli {

namespace {

std::vector<Command>& Table()
{
    // Function-local so that registrars in other files may run in any order.
    static std::vector<Command> table;
    return table;
}

bool Contains(std::initializer_list<const char*> names, const std::string& name)
{
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
}

} // namespace

void RegisterCommand(Command command)
{
    Table().push_back(std::move(command));
}

std::vector<const Command*> Commands()
{
    std::vector<const Command*> result;
    for (const auto& c : Table())
        result.push_back(&c);
    std::sort(result.begin(), result.end(), [](const Command* a, const Command* b) { return a->name < b->name; });
    return result;
}

const Command* FindCommand(const std::string& name)
{
    for (const auto& c : Table())
        if (c.name == name)
            return &c;
    return nullptr;
}

std::string ParsedArgs::Get(const std::string& name) const
{
    auto it = options.find(name);
    return it == options.end() ? std::string() : it->second;
}

ParsedArgs ParseArgs(const std::vector<std::string>& args,
                     std::initializer_list<const char*> valueOptions,
                     std::initializer_list<const char*> flagOptions)
{
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            parsed.positional.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = a, value;
        bool inlineValue = false;
        if (auto eq = a.find('='); eq != std::string::npos && a.compare(0, 2, "--") == 0) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
            inlineValue = true;
        }
        if (Contains(valueOptions, name)) {
            if (!inlineValue) {
                if (i + 1 >= args.size())
                    throw UsageError("option " + name + " needs a value");
                value = args[++i];
            }
            parsed.options[name] = value;
        } else if (Contains(flagOptions, name)) {
            if (inlineValue)
                throw UsageError("option " + name + " takes no value");
            parsed.options[name] = "";
        } else {
            throw UsageError("unknown option " + name);
        }
    }
    return parsed;
}

void ExpectPositional(const ParsedArgs& parsed, size_t count, const char* what)
{
    if (parsed.positional.size() < count)
        throw UsageError(std::string("missing ") + what);
    if (parsed.positional.size() > count)
        throw UsageError("unexpected argument \"" + parsed.positional[count] + "\"");
}

void WriteOut(const std::string& bytes)
{
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

} // namespace orlinda::cli
