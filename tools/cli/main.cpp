// orlinda-cli: the command-line tool over Orlinda's back end. The global options may
// stand before or after the command name; everything else goes to the command.
#include "Cli.h"

#include "core/Clock.h"
#include "core/Error.h"
#include "core/Version.h"
#include "model/Paths.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

using namespace orlinda;
using namespace orlinda::cli;

namespace {

const char* const GlobalOptionsHelp =
    "Global options (before or after the command name):\n"
    "  --help, -h                   show this help, or the command's help\n"
    "  --now \"YYYY-MM-DD hh:mm:ss\"  take this moment as the current local time\n"
    "  --data DIR                   use DIR as the data folder\n"
    "  --version                    show the program's version\n";

void PrintToolHelp()
{
    std::string text = "Usage: orlinda-cli [global options] COMMAND [arguments]\n\n"
                       "Inspects, converts and edits Orlinda's data and settings files.\n\n"
                       "Commands:\n";
    size_t width = 0;
    for (const Command* c : Commands())
        width = std::max(width, c->name.size());
    for (const Command* c : Commands())
        text += "  " + c->name + std::string(width - c->name.size() + 2, ' ') + c->summary + "\n";
    text += "\n";
    text += GlobalOptionsHelp;
    text += "\nRun \"orlinda-cli COMMAND --help\" for a command's arguments.\n";
    WriteOut(text);
}

void PrintCommandHelp(const Command& command)
{
    std::string text = command.help ? command.help() : "Usage: orlinda-cli " + command.name + "\n";
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    text += "\n";
    text += GlobalOptionsHelp;
    WriteOut(text);
}

struct GlobalOptions {
    bool help = false;
    bool version = false;
    std::string now;
    bool haveNow = false;
    std::string data;
    bool haveData = false;
    std::string command;
    std::vector<std::string> args;
};

// Takes the global options out of the command line wherever they stand (up to a "--").
GlobalOptions ParseGlobal(int argc, char** argv)
{
    GlobalOptions g;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (!optionsEnded) {
            if (a == "--") {
                optionsEnded = true;
                if (!g.command.empty())
                    g.args.push_back(a);  // the command sees the end of its options too
                continue;
            }
            if (a == "--help" || a == "-h") {
                g.help = true;
                continue;
            }
            if (a == "--version") {
                g.version = true;
                continue;
            }
            auto takeValue = [&](const std::string& name, std::string& value, bool& given) {
                if (a == name) {
                    if (i + 1 >= argc)
                        throw UsageError("option " + name + " needs a value");
                    value = argv[++i];
                } else if (a.compare(0, name.size() + 1, name + "=") == 0) {
                    value = a.substr(name.size() + 1);
                } else {
                    return false;
                }
                given = true;
                return true;
            };
            if (takeValue("--now", g.now, g.haveNow) || takeValue("--data", g.data, g.haveData))
                continue;
        }
        if (g.command.empty()) {
            if (!optionsEnded && a.size() > 1 && a[0] == '-')
                throw UsageError("unknown option " + a);
            g.command = a;
        } else {
            g.args.push_back(a);
        }
    }
    return g;
}

} // namespace

int main(int argc, char** argv)
{
    std::string commandName;
    try {
        GlobalOptions g = ParseGlobal(argc, argv);
        commandName = g.command;
        if (g.version) {
            WriteOut(std::string("orlinda-cli ") + ORLINDA_VERSION + " (build " + std::to_string(ORLINDA_BUILD_NUMBER) + ")\n");
            return ExitOk;
        }
        if (g.command.empty()) {
            if (g.help) {
                PrintToolHelp();
                return ExitOk;
            }
            throw UsageError("no command given");
        }
        const Command* command = FindCommand(g.command);
        if (!command) {
            commandName.clear();
            throw UsageError("unknown command \"" + g.command + "\"");
        }
        if (g.help) {
            PrintCommandHelp(*command);
            return ExitOk;
        }

        Context context;
        context.command = g.command;
        context.args = std::move(g.args);
        if (g.haveData) {
            if (g.data.empty())
                throw UsageError("option --data needs a folder");
            context.dataDir = g.data;
            SetDataRoot(g.data);  // every command finds its files under DIR/Tarvell/
        }
        static TFixedClock fixedClock;
        if (g.haveNow) {
            if (!ParseIsoDateTime(g.now, context.now))
                throw UsageError("option --now needs a moment written \"YYYY-MM-DD hh:mm:ss\", not \"" + g.now + "\"");
            context.haveNow = true;
            fixedClock.Set(context.now);
            SetClock(&fixedClock);
        }
        return command->run(context);
    } catch (const UsageError& e) {
        std::string hint = commandName.empty() ? "orlinda-cli --help" : "orlinda-cli " + commandName + " --help";
        std::cerr << "orlinda-cli: " << e.what() << "\nTry \"" << hint << "\".\n";
        return ExitUsage;
    } catch (const std::exception& e) {
        std::cerr << "orlinda-cli: " << e.what() << "\n";
        return ExitFailure;
    }
}
