#include "support/RunCli.h"

#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

namespace orlinda::test {

std::string CliPath()
{
    if (const char* env = std::getenv("ORLINDA_CLI"); env && *env)
        return env;
    // Run by hand: the tool lies beside the tests in the build tree.
    auto exe = std::filesystem::read_symlink("/proc/self/exe");
    return (exe.parent_path().parent_path() / "tools/cli/orlinda-cli").string();
}

std::string ShellQuote(const std::string& text)
{
    std::string q = "'";
    for (char c : text)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

CliResult RunCli(const std::vector<std::string>& args, const CliOptions& options)
{
    TempDir io;
    std::string command = options.folder.empty() ? std::string() : "cd " + ShellQuote(options.folder) + " && ";
    command += "env ";
    if (!options.environment.empty())
        command += options.environment + " ";
    command += ShellQuote(CliPath());
    for (const auto& a : args)
        command += " " + ShellQuote(a);
    command += " >" + ShellQuote(io.File("out")) + " 2>" + ShellQuote(io.File("err")) + " <" + ShellQuote(options.input);
    const int status = std::system(command.c_str());
    CliResult r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadFile(io.File("out"));
    r.err = ReadFile(io.File("err"));
    return r;
}

} // namespace orlinda::test
