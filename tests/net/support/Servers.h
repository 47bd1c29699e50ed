#pragma once
// Real peers on loopback for the network tests: nginx, tinyproxy, a test certificate
// authority made with the openssl tool, and a scripted server of our own for what nginx
// will not do. Everything listens on 127.0.0.1 or ::1 only and is stopped by its
// destructor.
#include "support/TempDir.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>

namespace orlinda::test {

// A TCP port that was free on 127.0.0.1 (and ::1) a moment ago.
int FreePort();
bool HaveIPv6Loopback();
// True once a connection to host:port succeeds within timeoutMs.
bool WaitForPort(const std::string& host, int port, int timeoutMs);
// Runs a shell command; throws with its output when it fails.
void RunCommand(const std::string& command);

// A program running in the background, its output in a log file; stopped with SIGTERM
// (then SIGKILL) by Stop or the destructor.
class Process {
public:
    Process(const std::vector<std::string>& argv, const std::string& logFile);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    bool Running();
    void Stop();
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

// A certificate authority and a server certificate it signed for "localhost",
// 127.0.0.1 and ::1 (EC keys, made with the openssl command).
class TestCA {
public:
    explicit TestCA(const std::string& folder);
    std::string CAFile, CertFile, KeyFile;
};

class Nginx {
public:
    struct Options {
        bool tls = false;
        bool ipv6 = false;
        std::string httpConfig;    // extra lines inside http { }
        std::string serverConfig;  // extra lines inside server { }
    };
    explicit Nginx(const Options& options);
    Nginx() : Nginx(Options{}) {}
    ~Nginx();

    int Port() const { return port_; }
    int TlsPort() const { return tlsPort_; }
    // The document root: files put here are served at "/".
    std::string Root() const { return dir_.Path() + "/www"; }
    // Writes a file under the document root (folders are made).
    void Put(const std::string& path, const std::string& bytes) const;
    std::string Url(const std::string& path) const;
    std::string TlsUrl(const std::string& path, const std::string& host = "localhost") const;
    const TestCA& CA() const { return *ca_; }
    std::string ErrorLog() const;

private:
    TempDir dir_;
    int port_ = 0;
    int tlsPort_ = 0;
    std::unique_ptr<TestCA> ca_;
    std::unique_ptr<Process> process_;
};

class TinyProxy {
public:
    TinyProxy(const std::string& user = "", const std::string& password = "");
    ~TinyProxy();
    int Port() const { return port_; }
    std::string Log() const;

private:
    TempDir dir_;
    int port_ = 0;
    std::unique_ptr<Process> process_;
};

// One accepted connection of the scripted server.
class PeerConnection {
public:
    explicit PeerConnection(int fd) : fd_(fd) {}
    // The next request head (up to and including the empty line); "" when the client
    // closed first or waitMs passed.
    std::string ReadHead(int waitMs = 10000);
    // Exactly count bytes (fewer when the client closes).
    std::string ReadBytes(size_t count, int waitMs = 10000);
    // A whole request: head, then a body framed by its Content-Length.
    std::string ReadRequest(int waitMs = 10000);
    void Send(const std::string& bytes);
    // Ends the connection (the descriptor itself is closed by the server afterwards).
    void Close();
    // True when the client closed its side (a read returns end of data) within waitMs.
    bool ClientClosed(int waitMs);

private:
    bool Fill(int waitMs);
    int fd_;
    bool closed_ = false;
    std::string pending_;
};

// Accepts connections on loopback and runs the handler for each on a thread of its own.
// The heads and bodies the handler reads through RecordRequest are kept for the test.
class ScriptServer {
public:
    using Handler = std::function<void(PeerConnection&, ScriptServer&)>;
    explicit ScriptServer(Handler handler, bool ipv6 = false);
    ~ScriptServer();
    int Port() const { return port_; }
    std::string Url(const std::string& path) const;
    int Connections() const { return connections_.load(); }
    void Record(const std::string& request);
    std::vector<std::string> Requests();
    // Reads the next request from the connection and records it.
    std::string RecordRequest(PeerConnection& c, int waitMs = 10000);

private:
    void AcceptLoop();
    Handler handler_;
    bool ipv6_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    std::thread acceptThread_;
    std::mutex mutex_;
    std::vector<std::thread> workers_;
    std::vector<int> openFds_;
    std::vector<std::string> requests_;
};

// Header value of a request or response head (case-insensitive name); "" when absent.
std::string HeadValue(const std::string& head, const std::string& name);
// The lines of a head without their CR LF.
std::vector<std::string> HeadLines(const std::string& head);

} // namespace orlinda::test
