#include "net/support/Servers.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace orlinda::test {

namespace {

std::string FindProgram(const std::vector<std::string>& candidates)
{
    for (const auto& c : candidates)
        if (access(c.c_str(), X_OK) == 0)
            return c;
    throw std::runtime_error("program not installed: " + candidates.front());
}

bool ConnectOnce(const std::string& host, int port)
{
    bool v6 = host.find(':') != std::string::npos;
    int s = socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0)
        return false;
    bool ok;
    if (v6) {
        sockaddr_in6 a{};
        a.sin6_family = AF_INET6;
        a.sin6_port = htons(static_cast<uint16_t>(port));
        inet_pton(AF_INET6, host.c_str(), &a.sin6_addr);
        ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    } else {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        inet_pton(AF_INET, host.c_str(), &a.sin_addr);
        ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    close(s);
    return ok;
}

int ListenOn(bool v6, int port)
{
    int s = socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0)
        return -1;
    int one = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    int rc;
    if (v6) {
        setsockopt(s, IPPROTO_IPV6, IPV6_V6ONLY, &one, sizeof one);
        sockaddr_in6 a{};
        a.sin6_family = AF_INET6;
        a.sin6_port = htons(static_cast<uint16_t>(port));
        a.sin6_addr = in6addr_loopback;
        rc = bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    } else {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        rc = bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
    if (rc != 0 || listen(s, 64) != 0) {
        close(s);
        return -1;
    }
    return s;
}

int BoundPort(int s)
{
    sockaddr_storage a{};
    socklen_t len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    if (a.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<sockaddr_in6*>(&a)->sin6_port);
    return ntohs(reinterpret_cast<sockaddr_in*>(&a)->sin_port);
}

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

} // namespace

int FreePort()
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        int s = ListenOn(false, 0);
        if (s < 0)
            continue;
        int port = BoundPort(s);
        close(s);
        // The same port must be free on ::1 too, for servers that listen on both.
        if (HaveIPv6Loopback()) {
            int s6 = ListenOn(true, port);
            if (s6 < 0)
                continue;
            close(s6);
        }
        return port;
    }
    throw std::runtime_error("no free port");
}

bool HaveIPv6Loopback()
{
    static int have = -1;
    if (have < 0) {
        int s = ListenOn(true, 0);
        have = s >= 0;
        if (s >= 0)
            close(s);
    }
    return have == 1;
}

bool WaitForPort(const std::string& host, int port, int timeoutMs)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (ConnectOnce(host, port))
            return true;
        usleep(20000);
    }
    return false;
}

void RunCommand(const std::string& command)
{
    std::string full = command + " 2>&1";
    FILE* p = popen(full.c_str(), "r");
    if (!p)
        throw std::runtime_error("cannot run: " + command);
    std::string output;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, p)) > 0)
        output.append(buffer, n);
    int rc = pclose(p);
    if (rc != 0)
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
    int rc = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ);
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
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
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
    for (int i = 0; i < 200; ++i) {
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
    std::string ext = folder + "/server.ext";
    WriteFile(ext,
              "subjectAltName=DNS:localhost,IP:127.0.0.1,IP:::1\n"
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

Nginx::Nginx(const Options& options)
{
    namespace fs = std::filesystem;
    std::string nginx = FindProgram({"/usr/sbin/nginx", "/usr/bin/nginx", "/usr/local/sbin/nginx"});
    std::string p = dir_.Path();
    fs::create_directories(p + "/www");
    fs::create_directories(p + "/tmp");
    port_ = FreePort();
    bool v6 = options.ipv6 && HaveIPv6Loopback();

    std::string conf;
    if (geteuid() == 0)
        conf += "user root;\n";  // the workers must read the test's private folder
    conf += "worker_processes 1;\n"
            "error_log " + p + "/error.log info;\n"
            "pid " + p + "/nginx.pid;\n"
            "events { worker_connections 128; }\n"
            "http {\n"
            "  access_log off;\n"
            "  client_body_temp_path " + p + "/tmp/body;\n"
            "  proxy_temp_path " + p + "/tmp/proxy;\n"
            "  fastcgi_temp_path " + p + "/tmp/fastcgi;\n"
            "  uwsgi_temp_path " + p + "/tmp/uwsgi;\n"
            "  scgi_temp_path " + p + "/tmp/scgi;\n"
            "  types { text/plain txt; text/html html; application/octet-stream bin; }\n"
            "  default_type application/octet-stream;\n"
            "  sendfile on;\n"
            "  keepalive_timeout 30;\n"
            "  keepalive_requests 1000;\n" +
            options.httpConfig +
            "  server {\n"
            "    listen 127.0.0.1:" + std::to_string(port_) + ";\n";
    if (v6)
        conf += "    listen [::1]:" + std::to_string(port_) + ";\n";
    if (options.tls) {
        ca_ = std::make_unique<TestCA>(p);
        tlsPort_ = FreePort();
        conf += "    listen 127.0.0.1:" + std::to_string(tlsPort_) + " ssl;\n"
                "    listen 127.0.0.2:" + std::to_string(tlsPort_) + " ssl;\n";
        if (v6)
            conf += "    listen [::1]:" + std::to_string(tlsPort_) + " ssl;\n";
        conf += "    ssl_certificate " + ca_->CertFile + ";\n"
                "    ssl_certificate_key " + ca_->KeyFile + ";\n";
    }
    conf += "    server_name localhost;\n"
            "    root " + p + "/www;\n"
            "    location /gzip/ { gzip on; gzip_types *; gzip_min_length 0; gzip_http_version 1.0; }\n"
            "    location /static/ { gzip_static on; gzip_http_version 1.0; }\n"
            // Filtering drops the length, so HTTP/1.1 answers come chunked.
            "    location /chunked/ { sub_filter '@@never@@' ''; sub_filter_types *; }\n" +
            options.serverConfig +
            "  }\n"
            "}\n";
    WriteFile(p + "/nginx.conf", conf);

    process_ = std::make_unique<Process>(
        std::vector<std::string>{nginx, "-p", p + "/", "-c", p + "/nginx.conf", "-e", p + "/error.log", "-g", "daemon off;"},
        p + "/stdout.log");
    bool up = WaitForPort("127.0.0.1", port_, 10000) && (!options.tls || WaitForPort("127.0.0.1", tlsPort_, 10000));
    if (!up || !process_->Running())
        throw std::runtime_error("nginx did not start:\n" + ErrorLog() + ReadFile(p + "/stdout.log"));
}

Nginx::~Nginx()
{
    if (process_)
        process_->Stop();
}

void Nginx::Put(const std::string& path, const std::string& bytes) const
{
    std::string full = Root() + "/" + path;
    std::filesystem::create_directories(std::filesystem::path(full).parent_path());
    WriteFile(full, bytes);
}

std::string Nginx::Url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string Nginx::TlsUrl(const std::string& path, const std::string& host) const
{
    std::string h = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    return "https://" + h + ":" + std::to_string(tlsPort_) + path;
}

std::string Nginx::ErrorLog() const
{
    return ReadFile(dir_.Path() + "/error.log");
}

// ---------------------------------------------------------------------------------------

TinyProxy::TinyProxy(const std::string& user, const std::string& password)
{
    std::string tinyproxy = FindProgram({"/usr/bin/tinyproxy", "/usr/sbin/tinyproxy", "/usr/local/bin/tinyproxy"});
    std::string p = dir_.Path();
    port_ = FreePort();
    std::string conf = "Port " + std::to_string(port_) + "\n"
                       "Listen 127.0.0.1\n"
                       "Timeout 60\n"
                       "MaxClients 32\n"
                       "LogLevel Info\n"
                       "LogFile \"" + p + "/tinyproxy.log\"\n"
                       "Allow 127.0.0.1\n"
                       "DisableViaHeader Yes\n";
    if (!user.empty())
        conf += "BasicAuth " + user + " " + password + "\n";
    WriteFile(p + "/tinyproxy.conf", conf);
    process_ = std::make_unique<Process>(std::vector<std::string>{tinyproxy, "-d", "-c", p + "/tinyproxy.conf"},
                                         p + "/stdout.log");
    if (!WaitForPort("127.0.0.1", port_, 10000) || !process_->Running())
        throw std::runtime_error("tinyproxy did not start:\n" + Log() + ReadFile(p + "/stdout.log"));
}

TinyProxy::~TinyProxy()
{
    if (process_)
        process_->Stop();
}

std::string TinyProxy::Log() const
{
    return ReadFile(dir_.Path() + "/tinyproxy.log");
}

// ---------------------------------------------------------------------------------------

void PeerConnection::Close()
{
    if (!closed_) {
        shutdown(fd_, SHUT_RDWR);
        closed_ = true;
    }
}

bool PeerConnection::Fill(int waitMs)
{
    if (closed_)
        return false;
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, waitMs) <= 0)
        return false;
    char buffer[65536];
    ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0)
        return false;
    pending_.append(buffer, static_cast<size_t>(n));
    return true;
}

std::string PeerConnection::ReadHead(int waitMs)
{
    for (;;) {
        size_t end = pending_.find("\r\n\r\n");
        if (end != std::string::npos) {
            std::string head = pending_.substr(0, end + 4);
            pending_.erase(0, end + 4);
            return head;
        }
        if (!Fill(waitMs))
            return std::string();
    }
}

std::string PeerConnection::ReadBytes(size_t count, int waitMs)
{
    while (pending_.size() < count)
        if (!Fill(waitMs))
            break;
    size_t n = std::min(count, pending_.size());
    std::string out = pending_.substr(0, n);
    pending_.erase(0, n);
    return out;
}

std::string PeerConnection::ReadRequest(int waitMs)
{
    std::string head = ReadHead(waitMs);
    if (head.empty())
        return head;
    std::string length = HeadValue(head, "Content-Length");
    if (!length.empty())
        head += ReadBytes(static_cast<size_t>(std::stoll(length)), waitMs);
    return head;
}

void PeerConnection::Send(const std::string& bytes)
{
    size_t at = 0;
    while (!closed_ && at < bytes.size()) {
        ssize_t n = send(fd_, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        at += static_cast<size_t>(n);
    }
}

bool PeerConnection::ClientClosed(int waitMs)
{
    if (closed_)
        return true;
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, waitMs) <= 0)
        return false;
    char c;
    return recv(fd_, &c, 1, MSG_PEEK) == 0;
}

// ---------------------------------------------------------------------------------------

ScriptServer::ScriptServer(Handler handler, bool ipv6) : handler_(std::move(handler)), ipv6_(ipv6)
{
    listenFd_ = ListenOn(ipv6, 0);
    if (listenFd_ < 0)
        throw std::runtime_error("cannot listen on loopback");
    port_ = BoundPort(listenFd_);
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

ScriptServer::~ScriptServer()
{
    stopping_ = true;
    shutdown(listenFd_, SHUT_RDWR);
    acceptThread_.join();
    close(listenFd_);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (int fd : openFds_)
            shutdown(fd, SHUT_RDWR);
    }
    for (auto& t : workers_)
        t.join();
}

void ScriptServer::AcceptLoop()
{
    while (!stopping_) {
        pollfd p{listenFd_, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        ++connections_;
        std::lock_guard<std::mutex> lock(mutex_);
        openFds_.push_back(fd);
        workers_.emplace_back([this, fd] {
            {
                PeerConnection c(fd);
                try {
                    handler_(c, *this);
                } catch (...) {
                }
            }
            // Closed only once it is off the list, so the destructor never shuts down a
            // descriptor number that has been reused meanwhile.
            std::lock_guard<std::mutex> lock(mutex_);
            openFds_.erase(std::find(openFds_.begin(), openFds_.end(), fd));
            close(fd);
        });
    }
}

std::string ScriptServer::Url(const std::string& path) const
{
    return std::string("http://") + (ipv6_ ? "[::1]" : "127.0.0.1") + ":" + std::to_string(port_) + path;
}

void ScriptServer::Record(const std::string& request)
{
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
}

std::vector<std::string> ScriptServer::Requests()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

std::string ScriptServer::RecordRequest(PeerConnection& c, int waitMs)
{
    std::string request = c.ReadRequest(waitMs);
    if (!request.empty())
        Record(request);
    return request;
}

// ---------------------------------------------------------------------------------------

std::vector<std::string> HeadLines(const std::string& head)
{
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < head.size()) {
        size_t end = head.find("\r\n", at);
        if (end == std::string::npos) {
            lines.push_back(head.substr(at));
            break;
        }
        lines.push_back(head.substr(at, end - at));
        at = end + 2;
        if (lines.back().empty())
            break;
    }
    return lines;
}

std::string HeadValue(const std::string& head, const std::string& name)
{
    std::string want = Lower(name) + ":";
    for (const std::string& line : HeadLines(head)) {
        if (Lower(line.substr(0, want.size())) == want) {
            std::string v = line.substr(want.size());
            size_t b = v.find_first_not_of(' ');
            return b == std::string::npos ? std::string() : v.substr(b);
        }
    }
    return std::string();
}

} // namespace orlinda::test
