#pragma once
// The feedback sender: posts the user's messages to the developers ("contact.php"), each
// with the compressed tail of the application log when asked, one after the other from a
// queue. After a failure it goes idle until the next message is queued, which sends the
// failed one again together with the newer ones. Queued messages live in memory only.
#include "greetings/BackgroundThread.h"
#include "model/ProjectWorkers.h"
#include "net/HttpClient.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "core/CriticalSection.h"

namespace orlinda {

class TFeedbackThread : public FeedbackSender, public TBackgroundThread {
public:
    static constexpr int kTimeout = 60000;        // ms, for every post
    static constexpr int kIdleWait = 1000;        // ms between looks at the queue
    static constexpr int64_t kLogKeep = 262144;   // the log is cut to this many bytes
    static constexpr int64_t kDebugLimit = 60000; // the compressed tail fits into this many bytes

    using TSendEvent = std::function<void(TFeedbackThread& sender)>;
    using TSendFailedEvent =
        std::function<void(TFeedbackThread& sender, int resultKind, int resultNumber, const std::string& response)>;

    TFeedbackThread();
    ~TFeedbackThread() override;

    // --- for the project ----------------------------------------------------------------
    // The application log, whose tail goes with the messages that ask for it.
    void SetLogFile(const std::string& fileName) override;
    void SetProxy(const TProxySettings& proxy) override;
    void Start() override { StartThread(); }
    // CancelFeedback, then ends the thread and waits for it.
    void Stop() override;

    // The address of contact.php.
    void SetServiceUrl(const std::string& url);
    std::string ServiceUrl() const;

    // --- for the main window (user-interface thread) -----------------------------------
    // Queues a message; texts as typed, sent in Windows-1251.
    void SendFeedback(const std::u16string& message, const std::u16string& name, bool attachDebug,
                      const std::u16string& email);
    // Drops the queue and breaks the post in progress.
    void CancelFeedback();

    // Raised on the user-interface thread; exceptions are swallowed.
    void SetOnSendStarted(TSendEvent handler);
    void SetOnAllSent(TSendEvent handler);
    void SetOnSendFailed(TSendFailedEvent handler);

    // --- the request ---------------------------------------------------------------------
    // "&Action=SendComment&MessageText=…&SenderEmail=…" of a message.
    static std::string MessageBody(const std::u16string& message, const std::u16string& name,
                                   const std::u16string& email);
    // "&DebugInfo=" and the form-encoded debug information (empty when not attached).
    static std::string DebugPart(bool attach, const std::string& debugInformation);
    // Base64 of the gzip of the log's tail; empty when there is no log.
    std::string DebugInformation() const;

    // --- state ---------------------------------------------------------------------------
    int QueueLength() const;
    bool IsIdle() const { return idle_.load(); }
    // The outcome of the last post: result kind (0, 2, 3, 100), number, response body.
    int ResultKind() const;
    int ResultNumber() const;
    std::string Response() const;

protected:
    void Execute() override;

private:
    struct Entry {
        uint64_t id = 0;
        std::string body;
        bool attachDebug = false;
    };

    bool Queued(uint64_t id) const;
    void Post(const Entry& entry);
    template <class Handler, class... Args>
    void Raise(const Handler TFeedbackThread::*handler, Args... args);

    mutable std::mutex resultLock_;
    int resultKind_ = 0;
    int resultNumber_ = 0;
    std::string response_;

    THTTPClient client_{65536, -1, 16384};
    std::deque<Entry> queue_;
    mutable TCriticalSection lock_{"FeedbackThread"};
    uint64_t nextId_ = 1;
    uint64_t queuedCount_ = 0;  // messages queued so far

    mutable std::mutex settingsLock_;
    TProxySettings proxy_;
    std::string serviceUrl_;
    std::string logFile_;
    std::atomic<int> timeout_{kTimeout};
    std::atomic<bool> idle_{false};

    TSendEvent onSendStarted_;
    TSendEvent onAllSent_;
    TSendFailedEvent onSendFailed_;
};

} // namespace orlinda
