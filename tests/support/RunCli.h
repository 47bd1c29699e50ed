#pragma once
#include <string>
#include <vector>

namespace orlinda::test {

// What a run of orlinda-cli left behind: its exit code and everything it printed.
struct CliResult {
    int code = -1;
    std::string out, err;
};

struct CliOptions {
    std::string folder;               // working folder; the test's own when empty
    std::string input = "/dev/null";  // file given as standard input
    std::string environment;          // prefix for env(1), e.g. "ORLINDA_CA_FILE='x'" or "-u NAME"

    static CliOptions InFolder(std::string folder) { CliOptions o; o.folder = std::move(folder); return o; }
    static CliOptions WithInput(std::string input) { CliOptions o; o.input = std::move(input); return o; }
    static CliOptions WithEnvironment(std::string environment) { CliOptions o; o.environment = std::move(environment); return o; }
};

// The tool under test: $ORLINDA_CLI (set by CTest), else the one in the build tree.
std::string CliPath();
// The text quoted for the POSIX shell.
std::string ShellQuote(const std::string& text);
// Runs the tool with the arguments and waits for it.
CliResult RunCli(const std::vector<std::string>& args, const CliOptions& options = {});

} // namespace orlinda::test
