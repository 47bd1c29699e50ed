#pragma once
// The client of the greeting service ("greetings.php"): keeps a pool of ready-made
// greeting texts for the holiday being handled, walks each recipient of the greeting
// chooser through it with filters, fetches a new batch when a recipient runs out of
// suitable texts, keeps the texts the user typed, and reports sent greetings to the
// service from the usage history.
//
// The chooser operations run on the user-interface thread; the worker thread performs
// the exchanges. Pool, recipient states and flags are guarded by one lock, which is
// never held during an exchange or while an event runs. Events reach the
// user-interface thread as synchronised calls (MainThread).
#include "core/MultiOptions.h"
#include "core/OptionsList.h"
#include "greetings/BackgroundThread.h"
#include "model/ProjectWorkers.h"
#include "model/UsageHistory.h"
#include "net/HttpClient.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace orlinda {

class TGreetingThread : public GreetingClient, public TBackgroundThread {
public:
    static constexpr int kTimeout = 60000;       // ms, for every exchange
    static constexpr int kMinimumDelay = 1000;   // ms a fetch lasts at least for the chooser
    static constexpr int kIdleWait = 1000;       // ms between looks at the flags while idle
    static constexpr const char* kTextKey = "Korvin";

    // Results of the chooser operations.
    enum Result : int {
        BadArguments = -1,
        Found = 0,
        Loading = 1,        // a batch is being fetched: OnGreetingsChanged follows
        ServiceFailed = 2,
        NoMoreGreetings = 3,
    };

    TGreetingThread();
    ~TGreetingThread() override;

    // --- for the project ----------------------------------------------------------------
    void SetHistoryFolder(const std::string& folder) override;
    void SetPendingFile(const std::string& fileName) override;
    void SetProxy(const TProxySettings& proxy) override;
    void RecordUsage(int32_t identityCRC, int32_t holidayID, int32_t wishID, int32_t year) override;
    TUsageHistory& History() override { return history_; }
    void Start() override { StartThread(); }
    // CancelRequest, then ends the thread and waits for it.
    void Stop() override;
    // Breaks the exchange in progress (any thread).
    void CancelRequest();

    // The address of greetings.php.
    void SetServiceUrl(const std::string& url);
    std::string ServiceUrl() const;

    // --- for the greeting chooser (user-interface thread) -------------------------------
    // recipients: one section per recipient named by its identity number in decimal, with
    // "FAge", "FSex", "FStyle" and "FTarget". A negative holiday or no list does nothing.
    void SetRecipients(int32_t holidayUID, const TMultiOptions* recipients);
    // The greeting shown to the recipient: the typed text, the service greeting, or else
    // as GetNextGreeting.
    int GetCurrentGreeting(int32_t identityCRC, TOptionsList* out);
    // The user typed or edited the recipient's text.
    int SetCurrentGreeting(int32_t identityCRC, const std::string& text);
    // The next suitable service greeting after the current one: Found (out gets the
    // pool entry's lines, and its WishID as FSectionName), Loading, ServiceFailed,
    // NoMoreGreetings or BadArguments. "FText" is the service's text as it came (UTF-8).
    int GetNextGreeting(int32_t identityCRC, TOptionsList* out);
    // The suitable service greeting before the current one: Found or BadArguments.
    int GetPrevGreeting(int32_t identityCRC, TOptionsList* out);
    bool IsPrevAvailable(int32_t identityCRC);
    // The recipient's current service greeting is never offered again during the run.
    int BanGreeting(int32_t identityCRC);
    // After a failure: clears it and asks again.
    int RetryGreeting(int32_t identityCRC, TOptionsList* out);
    bool WasGreeted(int32_t identityCRC, int32_t holidayID, int32_t year) const;

    // Set by the chooser while it is open; run on the user-interface thread, exceptions
    // swallowed. An empty handler is not called.
    void SetOnRequestStarted(std::function<void()> handler);
    void SetOnRequestFinished(std::function<void()> handler);
    void SetOnGreetingsChanged(std::function<void()> handler);

    // --- state, for diagnostics and tests -------------------------------------------------
    bool Idle() const { return idle_.load(); }
    bool Failed() const { return failed_.load(); }
    bool Exhausted() const;
    int BatchCount() const;
    int32_t HolidayUID() const;
    // Sex, style and target filters.
    std::vector<int32_t> Filters() const;
    // The pool's entry names in pool order ("" for the placeholder of an empty answer).
    std::vector<std::string> PoolNames() const;
    // The lines of a pool entry; empty when there is none.
    std::string PoolEntryText(const std::string& name) const;
    // The body the next GetGreetings request would carry.
    std::string GetGreetingsBody();
    std::string SaveUsageBody();

protected:
    void Execute() override;

private:
    struct Recipient {
        std::string FAge, FSex, FStyle, FTarget;
        bool IsManual = false;
        bool IsLoading = false;
        std::string WishID;  // empty: none, or a typed text
        int Number = -1;     // index of the current greeting in the pool
        std::string FText;
    };

    // Each returns after the response has been taken in (or the failure noted).
    void SaveUsage();
    void FetchGreetings();
    // true: the exchange succeeded (a response with status 200).
    bool Post(const std::string& body);
    // Takes the response: flags, usage confirmations and, in greeting mode, the greetings
    // (unless the pool was reset since the request began). False when the service refused.
    bool ApplyResponse(bool greetingMode, uint64_t generation);
    // The minimum delay, Idle set, OnGreetingsChanged.
    void FinishFetch(uint32_t requestStart);
    void Raise(const std::function<void()> TGreetingThread::*handler);

    // Under lock_:
    Recipient* FindRecipient(int32_t identityCRC);
    bool Suitable(const TOptionsList& entry, const Recipient& r) const;
    void Show(Recipient& r, int index, TOptionsList* out);
    int NextGreeting(Recipient& r, TOptionsList* out);
    int FirstSuitable(const Recipient& r) const;
    void ResetPool();

    THTTPClient client_{65536, -1, 16384};
    mutable std::mutex proxyLock_;
    TProxySettings proxy_;
    std::string serviceUrl_;
    std::atomic<int> timeout_{kTimeout};

    mutable std::recursive_mutex lock_;
    int32_t holidayUID_ = 0;
    int32_t sexFilter_ = 0, styleFilter_ = 0, targetFilter_ = 0;
    int batchCount_ = 0;
    std::atomic<bool> idle_{true};
    bool exhausted_ = false;
    std::atomic<bool> failed_{false};
    bool normalSeen_ = false;
    uint64_t generation_ = 0;  // counts pool resets
    std::map<std::string, Recipient> recipients_;
    std::vector<std::unique_ptr<TOptionsList>> pool_;
    std::set<std::string> banned_;

    TUsageHistory history_;

    std::function<void()> onRequestStarted_;
    std::function<void()> onRequestFinished_;
    std::function<void()> onGreetingsChanged_;
};

} // namespace orlinda
