#pragma once
// Real peers on loopback for the greeting back end's tests: aiosmtpd as the user's mail
// server (plain or with implicit TLS, with AUTH LOGIN, PLAIN and a CRAM-MD5 handler of
// our own) and the stand-in of the vendor's greeting and feedback services. Both are
// Python programs that record what they receive in a folder the test reads. Everything
// listens on 127.0.0.1 and is stopped by its destructor.
#include "core/Clock.h"
#include "support/TempDir.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <string>
#include <vector>

#include <sys/types.h>

namespace orlinda::test {

int FreePort();
// True once a connection to 127.0.0.1:port succeeds within timeoutMs.
bool WaitForPort(int port, int timeoutMs);
// Runs a shell command; throws with its output when it fails.
void RunCommand(const std::string& command);
// Polls the condition every 20 ms; true when it held within timeoutMs.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs);

// A program in the background with its output in a log file; SIGTERM (then SIGKILL) ends it.
class Process {
public:
    Process(const std::vector<std::string>& argv, const std::string& logFile);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    bool Running();
    void Stop();

private:
    pid_t pid_ = -1;
};

// A test authority and a server certificate for "localhost" and 127.0.0.1.
class TestCA {
public:
    explicit TestCA(const std::string& folder);
    std::string CAFile, CertFile, KeyFile;
};

class SmtpServer {
public:
    struct Options {
        bool tls = false;
        std::vector<std::string> users;                   // "user:password"
        std::string mechanisms = "LOGIN,PLAIN,CRAM-MD5";  // offered to clients
        bool size = true;                                 // announce SIZE
        bool ehlo = true;                                 // false: EHLO is refused
        std::string rejectRecipient;                      // RCPT of addresses holding this: 550
    };
    struct Message {
        std::string mailFrom;
        std::vector<std::string> mailOptions;
        std::vector<std::string> recipients;
        std::string login;
        std::string content;  // as received, after the server undid the dot-stuffing
    };

    explicit SmtpServer(const Options& options);
    SmtpServer() : SmtpServer(Options{}) {}
    ~SmtpServer();

    int Port() const { return port_; }
    std::string PortText() const { return std::to_string(port_); }
    const TestCA* CA() const { return ca_.get(); }
    // What each connection's client sent, byte for byte, in the order of the connections.
    std::vector<std::string> Transcripts() const;
    std::vector<Message> Messages() const;
    bool WaitForMessages(size_t count, int timeoutMs = 20000) const;
    // True once some connection's transcript holds the text.
    bool WaitForTranscript(const std::string& text, int timeoutMs = 20000) const;
    std::string Log() const;
    void Stop();

private:
    TempDir dir_;
    int port_ = 0;
    std::unique_ptr<TestCA> ca_;
    std::unique_ptr<Process> process_;
};

// tests/servers/greetings_service.py with a state folder of its own.
class GreetingService {
public:
    explicit GreetingService(int batch = 10, const std::string& corpus = {});
    ~GreetingService();

    int Port() const { return port_; }
    // The folder of the scripts: "http://127.0.0.1:PORT/orlinda/".
    std::string BaseUrl() const;
    std::string Url(const std::string& script) const { return BaseUrl() + script; }
    // "normal", "http500", "refuse", "nogeneral", "html", "empty", "slow".
    void SetMode(const std::string& mode) const;
    void Block(const std::vector<int>& wishIds) const;
    // One JSON text per request received, in order.
    std::vector<std::string> Requests() const;
    // The raw bodies of the requests to one script.
    std::vector<std::string> Bodies(const std::string& script) const;
    // The stored feedback messages as JSON texts.
    std::vector<std::string> Contacts() const;
    std::string StateFile(const std::string& name) const { return dir_.File("state/" + name); }

private:
    TempDir dir_;
    int port_ = 0;
    std::unique_ptr<Process> process_;
};

// An HTTP server that answers each request with the next canned body (status 200), for
// answers the stand-in service does not give. Records the request bodies.
class CannedHttpServer {
public:
    explicit CannedHttpServer(std::vector<std::string> bodies);
    ~CannedHttpServer();
    std::string Url(const std::string& path) const;
    std::vector<std::string> Bodies() const;

private:
    void Serve();
    int listener_ = -1;
    int port_ = 0;
    std::vector<std::string> answers_;
    mutable std::mutex mutex_;
    std::vector<std::string> bodies_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// The system's clock with the tick moved on by a settable amount: lets a test skip the
// usage history's 30-second wait while every other wait still runs in real time.
class ShiftedClock : public TClock {
public:
    TDateTime Now() const override { return system_.Now(); }
    uint32_t TickCount() const override { return system_.TickCount() + shift_.load(); }
    void Shift(uint32_t ms) { shift_ += ms; }

private:
    TSystemClock system_;
    std::atomic<uint32_t> shift_{0};
};

// The folder of the sources (ORLINDA_SOURCE_DIR).
std::string SourceDir();

} // namespace orlinda::test
