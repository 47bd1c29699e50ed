#include "model/ProjectWorkers.h"

#include "model/UsageHistory.h"

namespace orlinda {

namespace {

class IdleMailSender : public MailSender {
public:
    void SetOnNextMail(NextMailHandler) override {}
    void Start() override {}
    void Stop() override {}
};

class IdleSubmissionWorker : public SubmissionWorker {
public:
    void SetOnGreeting(GreetingHandler) override {}
    void SetSettings(const std::string&) override {}
    void Abort() override {}
    void Start() override {}
    void Stop() override {}
};

class IdleFeedbackSender : public FeedbackSender {
public:
    void SetLogFile(const std::string&) override {}
    void SetProxy(const TProxySettings&) override {}
    void Start() override {}
    void Stop() override {}
};

class HistoryOnlyGreetingClient : public GreetingClient {
public:
    void SetHistoryFolder(const std::string& folder) override { history_.SetHistoryFolder(folder); }
    void SetPendingFile(const std::string& fileName) override { history_.SetPendingFile(fileName); }
    void SetProxy(const TProxySettings&) override {}
    void RecordUsage(int32_t identityCRC, int32_t holidayID, int32_t wishID, int32_t year) override
    {
        history_.RecordUsage(identityCRC, holidayID, wishID, year);
    }
    TUsageHistory& History() override { return history_; }
    void Start() override {}
    void Stop() override {}

private:
    TUsageHistory history_;
};

} // namespace

std::unique_ptr<MailSender> NewIdleMailSender() { return std::make_unique<IdleMailSender>(); }
std::unique_ptr<SubmissionWorker> NewIdleSubmissionWorker() { return std::make_unique<IdleSubmissionWorker>(); }
std::unique_ptr<FeedbackSender> NewIdleFeedbackSender() { return std::make_unique<IdleFeedbackSender>(); }
std::unique_ptr<GreetingClient> NewHistoryOnlyGreetingClient() { return std::make_unique<HistoryOnlyGreetingClient>(); }

} // namespace orlinda
