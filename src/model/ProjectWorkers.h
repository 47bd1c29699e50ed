#pragma once
// The four worker threads the project owns, as the project sees them: the e-mail sender,
// the submission worker, the feedback sender and the greeting service client. Each is a
// thread created suspended, configured, started, and stopped by the project at its end;
// the implementations live in their own layers and are plugged in through
// TProjectWorkers. Their calls into the project arrive through MainThread::invoke.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace orlinda {

class TGreeting;
class TUsageHistory;

// The proxy the network clients use; all empty when no proxy is set.
struct TProxySettings {
    std::string Host, Port, User, Password; // the password in plain text
    bool operator==(const TProxySettings&) const = default;
};

// The mail server, filled by the project on every call of the e-mail sender.
struct TMailSettings {
    std::string Host, Port, User, Password; // the password in plain text
    bool SSL = false;
};

// The e-mail sender: sends the greetings of type 0.
class MailSender {
public:
    // Called by the thread at the start of every pass with its working copy: the project
    // stores the outcome of the greeting in it, then fills it with the next e-mail greeting
    // or clears its FName (nothing to do), and fills the mail settings.
    using NextMailHandler = std::function<void(TGreeting& working, TMailSettings& settings)>;

    virtual ~MailSender() = default;
    virtual void SetOnNextMail(NextMailHandler handler) = 0;
    virtual void Start() = 0;
    // Aborts the connection in use, ends the thread and waits for it.
    virtual void Stop() = 0;
};

// The submission worker: has the submission module post the greetings of types 1 to 4.
class SubmissionWorker {
public:
    // As NextMailHandler, for the social-network greetings.
    using GreetingHandler = std::function<void(TGreeting& working)>;

    virtual ~SubmissionWorker() = default;
    virtual void SetOnGreeting(GreetingHandler handler) = 0;
    // The whole settings text, handed over at every change of the settings.
    virtual void SetSettings(const std::string& settingsText) = 0;
    // Stops the greeting in progress ("Прервать").
    virtual void Abort() = 0;
    virtual void Start() = 0;
    // Ends the thread (and the module) and waits for it.
    virtual void Stop() = 0;
};

// The feedback sender: messages to the developers with the tail of the log.
class FeedbackSender {
public:
    virtual ~FeedbackSender() = default;
    // The log file whose tail goes with each message.
    virtual void SetLogFile(const std::string& fileName) = 0;
    virtual void SetProxy(const TProxySettings& proxy) = 0;
    virtual void Start() = 0;
    // Cancels the request in flight, ends the thread and waits for it.
    virtual void Stop() = 0;
};

// The greeting service client: fetches greeting texts and owns the usage history.
class GreetingClient {
public:
    virtual ~GreetingClient() = default;
    // The history folder (created when missing) and the pending-usage file.
    virtual void SetHistoryFolder(const std::string& folder) = 0;
    virtual void SetPendingFile(const std::string& fileName) = 0;
    virtual void SetProxy(const TProxySettings& proxy) = 0;
    // A greeting was sent: forwarded to the usage history.
    virtual void RecordUsage(int32_t identityCRC, int32_t holidayID, int32_t wishID, int32_t year) = 0;
    // The usage history, for the greeting chooser's questions.
    virtual TUsageHistory& History() = 0;
    virtual void Start() = 0;
    // Cancels the request in flight, ends the thread and waits for it.
    virtual void Stop() = 0;
};

// How the project gets its workers. A factory left empty gives a stand-in that does no
// work (the greeting client's stand-in still keeps the usage history), so the project runs
// headless: in tests and in orlinda-cli.
struct TProjectWorkers {
    std::function<std::unique_ptr<MailSender>()> mail;
    std::function<std::unique_ptr<SubmissionWorker>()> submission;
    std::function<std::unique_ptr<FeedbackSender>()> feedback;
    std::function<std::unique_ptr<GreetingClient>()> greetings;
    // Receives the proxy settings for the auto-updater, which belongs to the configuration.
    std::function<void(const TProxySettings&)> updaterProxy;
};

// The stand-ins.
std::unique_ptr<MailSender> NewIdleMailSender();
std::unique_ptr<SubmissionWorker> NewIdleSubmissionWorker();
std::unique_ptr<FeedbackSender> NewIdleFeedbackSender();
// Keeps the usage history but fetches nothing.
std::unique_ptr<GreetingClient> NewHistoryOnlyGreetingClient();

} // namespace orlinda
