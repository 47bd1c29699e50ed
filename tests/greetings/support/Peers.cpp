#include "greetings/support/Peers.h"

#include "core/Base64.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace orlinda::test {

namespace fs = std::filesystem;

namespace {

const char* kPython = "/usr/bin/python3";

bool ConnectOnce(int port)
{
    int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0)
        return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(s);
    return ok;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

// Files "prefix-N.suffix" of a folder in the order of N.
std::vector<std::string> NumberedFiles(const std::string& folder, const std::string& prefix, const std::string& suffix)
{
    std::vector<std::pair<int, std::string>> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string number = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
        if (number.find_first_not_of("0123456789") != std::string::npos)
            continue;
        found.emplace_back(std::stoi(number), entry.path().string());
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> files;
    for (auto& f : found)
        files.push_back(f.second);
    return files;
}

} // namespace

std::string SourceDir()
{
    const char* dir = std::getenv("ORLINDA_SOURCE_DIR");
    return dir ? dir : ORLINDA_SOURCE_DIR;
}

int FreePort()
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (s >= 0 && bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
            socklen_t len = sizeof a;
            getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
            close(s);
            return ntohs(a.sin_port);
        }
        if (s >= 0)
            close(s);
    }
    throw std::runtime_error("no free port");
}

bool WaitForPort(int port, int timeoutMs)
{
    return WaitUntil([port] { return ConnectOnce(port); }, timeoutMs);
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void RunCommand(const std::string& command)
{
    const std::string full = command + " 2>&1";
    FILE* p = popen(full.c_str(), "r");
    if (!p)
        throw std::runtime_error("cannot run: " + command);
    std::string output;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, p)) > 0)
        output.append(buffer, n);
    if (pclose(p) != 0)
        throw std::runtime_error("command failed: " + command + "\n" + output);
}

// ---------------------------------------------------------------------------------------

Process::Process(const std::vector<std::string>& argv, const std::string& logFile)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const int rc = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(rc));
}

Process::~Process()
{
    Stop();
}

bool Process::Running()
{
    if (pid_ <= 0)
        return false;
    int status;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
    }
    return true;
}

void Process::Stop()
{
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    for (int i = 0; i < 300; ++i) {
        int status;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        usleep(10000);
    }
    kill(pid_, SIGKILL);
    int status;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

// ---------------------------------------------------------------------------------------

TestCA::TestCA(const std::string& folder)
{
    CAFile = folder + "/ca.pem";
    CertFile = folder + "/server.pem";
    KeyFile = folder + "/server.key";
    const std::string ext = folder + "/server.ext";
    WriteFile(ext,
              "subjectAltName=DNS:localhost,IP:127.0.0.1\n"
              "basicConstraints=CA:FALSE\n"
              "keyUsage=critical,digitalSignature\n"
              "extendedKeyUsage=serverAuth\n");
    const std::string ec = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    RunCommand("openssl req -x509 " + ec + " -keyout '" + folder + "/ca.key' -out '" + CAFile +
               "' -days 3 -subj '/CN=Orlinda Test Authority' -addext basicConstraints=critical,CA:TRUE"
               " -addext keyUsage=critical,keyCertSign,cRLSign");
    RunCommand("openssl req " + ec + " -keyout '" + KeyFile + "' -out '" + folder + "/server.csr' -subj '/CN=localhost'");
    RunCommand("openssl x509 -req -in '" + folder + "/server.csr' -CA '" + CAFile + "' -CAkey '" + folder +
               "/ca.key' -CAcreateserial -out '" + CertFile + "' -days 3 -extfile '" + ext + "'");
}

// ---------------------------------------------------------------------------------------

SmtpServer::SmtpServer(const Options& options)
{
    fs::create_directories(dir_.File("out"));
    port_ = FreePort();
    std::vector<std::string> argv = {kPython,
                                     SourceDir() + "/tests/greetings/support/smtp_server.py",
                                     "--port",
                                     std::to_string(port_),
                                     "--out",
                                     dir_.File("out"),
                                     "--mechanisms",
                                     options.mechanisms};
    if (options.tls) {
        ca_ = std::make_unique<TestCA>(dir_.Path());
        argv.insert(argv.end(), {"--tls-cert", ca_->CertFile, "--tls-key", ca_->KeyFile});
    }
    for (const auto& u : options.users)
        argv.insert(argv.end(), {"--user", u});
    if (!options.size)
        argv.push_back("--no-size");
    if (!options.ehlo)
        argv.push_back("--no-ehlo");
    if (!options.rejectRecipient.empty())
        argv.insert(argv.end(), {"--reject-rcpt", options.rejectRecipient});
    process_ = std::make_unique<Process>(argv, dir_.File("server.log"));
    if (!WaitForPort(port_, 20000) || !process_->Running())
        throw std::runtime_error("the mail server did not start:\n" + Log());
}

SmtpServer::~SmtpServer()
{
    Stop();
}

void SmtpServer::Stop()
{
    if (process_)
        process_->Stop();
}

std::string SmtpServer::Log() const
{
    return ReadFile(dir_.File("server.log"));
}

std::vector<std::string> SmtpServer::Transcripts() const
{
    std::vector<std::string> out;
    for (const auto& file : NumberedFiles(dir_.File("out"), "conn-", ".bin"))
        out.push_back(ReadFile(file));
    return out;
}

std::vector<SmtpServer::Message> SmtpServer::Messages() const
{
    std::vector<Message> out;
    for (const auto& file : NumberedFiles(dir_.File("out"), "msg-", ".json")) {
        auto j = nlohmann::json::parse(ReadFile(file));
        Message m;
        m.mailFrom = j["mail_from"].get<std::string>();
        m.mailOptions = j["mail_options"].get<std::vector<std::string>>();
        m.recipients = j["rcpt_tos"].get<std::vector<std::string>>();
        m.login = j["login"].get<std::string>();
        m.content = Base64Decode(j["content"].get<std::string>());
        out.push_back(std::move(m));
    }
    return out;
}

bool SmtpServer::WaitForMessages(size_t count, int timeoutMs) const
{
    return WaitUntil([&] { return Messages().size() >= count; }, timeoutMs);
}

bool SmtpServer::WaitForTranscript(const std::string& text, int timeoutMs) const
{
    return WaitUntil(
        [&] {
            for (const auto& t : Transcripts())
                if (t.find(text) != std::string::npos)
                    return true;
            return false;
        },
        timeoutMs);
}

// ---------------------------------------------------------------------------------------

GreetingService::GreetingService(int batch, const std::string& corpus)
{
    fs::create_directories(dir_.File("state"));
    port_ = FreePort();
    std::vector<std::string> argv = {kPython,       SourceDir() + "/tests/servers/greetings_service.py",
                                     "--port",      std::to_string(port_),
                                     "--state",     dir_.File("state"),
                                     "--batch",     std::to_string(batch)};
    if (!corpus.empty())
        argv.insert(argv.end(), {"--corpus", corpus});
    process_ = std::make_unique<Process>(argv, dir_.File("service.log"));
    if (!WaitForPort(port_, 20000) || !process_->Running())
        throw std::runtime_error("the greeting service did not start:\n" + ReadFile(dir_.File("service.log")));
}

GreetingService::~GreetingService()
{
    if (process_)
        process_->Stop();
}

std::string GreetingService::BaseUrl() const
{
    return "http://127.0.0.1:" + std::to_string(port_) + "/orlinda/";
}

void GreetingService::SetMode(const std::string& mode) const
{
    WriteFile(StateFile("mode"), mode + "\n");
}

void GreetingService::Block(const std::vector<int>& wishIds) const
{
    std::string text;
    for (int id : wishIds)
        text += std::to_string(id) + "\n";
    WriteFile(StateFile("blocked"), text);
}

std::vector<std::string> GreetingService::Requests() const
{
    return Lines(ReadFile(StateFile("requests.jsonl")));
}

std::vector<std::string> GreetingService::Bodies(const std::string& script) const
{
    std::vector<std::string> bodies;
    for (const auto& line : Requests()) {
        auto j = nlohmann::json::parse(line);
        if (j["script"] == script)
            bodies.push_back(j["body"].get<std::string>());
    }
    return bodies;
}

std::vector<std::string> GreetingService::Contacts() const
{
    std::vector<std::string> out;
    for (const auto& file : NumberedFiles(dir_.File("state"), "contact-", ".json"))
        out.push_back(ReadFile(file));
    return out;
}

// ---------------------------------------------------------------------------------------

CannedHttpServer::CannedHttpServer(std::vector<std::string> bodies) : answers_(std::move(bodies))
{
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(listener_, 16) != 0)
        throw std::runtime_error("cannot listen");
    socklen_t len = sizeof a;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

CannedHttpServer::~CannedHttpServer()
{
    stopping_ = true;
    shutdown(listener_, SHUT_RDWR);
    close(listener_);
    thread_.join();
}

std::string CannedHttpServer::Url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> CannedHttpServer::Bodies() const
{
    std::lock_guard guard(mutex_);
    return bodies_;
}

void CannedHttpServer::Serve()
{
    for (size_t n = 0; !stopping_; ++n) {
        int c = accept(listener_, nullptr, nullptr);
        if (c < 0)
            return;
        std::string data;
        char buffer[4096];
        size_t headEnd = std::string::npos;
        size_t length = 0;
        for (;;) {
            if (headEnd != std::string::npos && data.size() >= headEnd + 4 + length)
                break;
            ssize_t got = recv(c, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            data.append(buffer, static_cast<size_t>(got));
            if (headEnd == std::string::npos && (headEnd = data.find("\r\n\r\n")) != std::string::npos) {
                std::string head = data.substr(0, headEnd);
                for (char& ch : head)
                    ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
                size_t p = head.find("content-length:");
                if (p != std::string::npos)
                    length = std::stoul(head.substr(p + 15));
            }
        }
        {
            std::lock_guard guard(mutex_);
            bodies_.push_back(headEnd == std::string::npos ? std::string() : data.substr(headEnd + 4));
        }
        const std::string body = n < answers_.size() ? answers_[n] : std::string();
        const std::string response = "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
        send(c, response.data(), response.size(), MSG_NOSIGNAL);
        close(c);
    }
}

} // namespace orlinda::test
