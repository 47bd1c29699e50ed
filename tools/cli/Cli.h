#pragma once
// The command framework of orlinda-cli: a table of commands, each registered by its own
// file (Command<Name>.cpp), the context the global options fill, and small helpers for
// reading a command's own arguments.
#include "core/DateTime.h"

#include <initializer_list>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace orlinda::cli {

// Exit codes of the tool.
constexpr int ExitOk = 0;
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

// A mistake in the command line: reported with a hint to --help, exit code 2.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

// What the global options said, handed to every command.
struct Context {
    std::string command;            // the command's name
    std::vector<std::string> args;  // the command's own arguments, global options taken out
    std::string dataDir;            // --data DIR; empty when not given
    bool haveNow = false;           // --now was given (a fixed clock is installed)
    TDateTime now = 0;
};

struct Command {
    std::string name;
    std::string summary;  // one line for the tool's --help
    std::string (*help)() = nullptr;  // the command's --help text, usage line first
    int (*run)(Context&) = nullptr;
};

// Registers a command; each Command<Name>.cpp holds one static registrar.
void RegisterCommand(Command command);
// All commands, sorted by name.
std::vector<const Command*> Commands();
const Command* FindCommand(const std::string& name);

struct CommandRegistrar {
    explicit CommandRegistrar(Command command) { RegisterCommand(std::move(command)); }
};

// A command's own arguments split into options and positional arguments. Options are
// written "--name VALUE" or "--name=VALUE" for those that take a value, "--name" for flags;
// "--" ends the options. Unknown options and missing values are usage errors.
struct ParsedArgs {
    std::map<std::string, std::string> options;  // name (with the dashes) -> value ("" for flags)
    std::vector<std::string> positional;

    bool Has(const std::string& name) const { return options.count(name) != 0; }
    std::string Get(const std::string& name) const;
};

ParsedArgs ParseArgs(const std::vector<std::string>& args,
                     std::initializer_list<const char*> valueOptions,
                     std::initializer_list<const char*> flagOptions = {});

// Raises a UsageError unless there are exactly `count` positional arguments.
void ExpectPositional(const ParsedArgs& parsed, size_t count, const char* what);

// Writes bytes to standard output unchanged.
void WriteOut(const std::string& bytes);

} // namespace orlinda::cli
