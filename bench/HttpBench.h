#pragma once
// Helpers of the HTTP benchmarks: a temporary folder, nginx on a free loopback port, and
// timed runs of other programs with their peak memory.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace orlinda::bench {

class Folder {
public:
    Folder()
    {
        std::string pattern = "/tmp/orlinda-bench-XXXXXX";
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~Folder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline int FreePort()
{
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    close(s);
    return ntohs(a.sin_port);
}

inline bool PortOpen(int port)
{
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(s);
    return ok;
}

struct RunResult {
    int exitCode = -1;
    double seconds = 0;
    long maxRssKb = 0;
};

// Runs a program (stdout to outFile, or /dev/null), waits, and measures it. Spawned
// without fork, so the benchmark's own memory is not turned copy-on-write (every page
// touched afterwards would fault again and distort the next measurement).
inline RunResult Run(const std::vector<std::string>& argv, const std::string& outFile = "/dev/null")
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    RunResult r;
    int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return r;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.maxRssKb = usage.ru_maxrss;
    return r;
}

class Nginx {
public:
    Nginx(const Folder& folder, const std::string& serverConfig) : port_(FreePort())
    {
        std::string p = folder.Path();
        std::filesystem::create_directories(p + "/www");
        std::filesystem::create_directories(p + "/tmp");
        std::string conf = std::string(geteuid() == 0 ? "user root;\n" : "") +
                           "worker_processes 1;\n"
                           "error_log " + p + "/error.log;\n"
                           "pid " + p + "/nginx.pid;\n"
                           "events { worker_connections 64; }\n"
                           "http {\n"
                           "  access_log off;\n"
                           "  client_body_temp_path " + p + "/tmp/b; proxy_temp_path " + p + "/tmp/p;\n"
                           "  fastcgi_temp_path " + p + "/tmp/f; uwsgi_temp_path " + p + "/tmp/u; scgi_temp_path " + p + "/tmp/s;\n"
                           "  default_type application/octet-stream;\n"
                           "  sendfile on;\n"
                           "  server {\n"
                           "    listen 127.0.0.1:" + std::to_string(port_) + ";\n"
                           "    root " + p + "/www;\n" + serverConfig +
                           "  }\n"
                           "}\n";
        std::ofstream(p + "/nginx.conf") << conf;
        pid_ = fork();
        if (pid_ == 0) {
            int null = open("/dev/null", O_RDWR);
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
            execl("/usr/sbin/nginx", "nginx", "-p", (p + "/").c_str(), "-c", (p + "/nginx.conf").c_str(), "-e",
                  (p + "/error.log").c_str(), "-g", "daemon off;", static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 500 && !PortOpen(port_); ++i)
            usleep(20000);
        if (!PortOpen(port_))
            throw std::runtime_error("nginx did not start");
    }
    ~Nginx()
    {
        kill(pid_, SIGTERM);
        int status;
        waitpid(pid_, &status, 0);
    }
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

private:
    int port_;
    pid_t pid_ = -1;
};

// orlinda-cli of the same build tree.
inline std::string CliPath()
{
    if (const char* env = std::getenv("ORLINDA_CLI"); env && *env)
        return env;
    auto exe = std::filesystem::read_symlink("/proc/self/exe");
    return (exe.parent_path().parent_path() / "tools/cli/orlinda-cli").string();
}

inline double MiB(double bytes)
{
    return bytes / (1024.0 * 1024.0);
}

} // namespace orlinda::bench
