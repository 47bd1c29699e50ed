#include "greetings/FeedbackThread.h"

#include "core/Base64.h"
#include "core/Logging.h"
#include "core/TextUtils.h"
#include "core/Windows1251.h"
#include "greetings/ServiceHost.h"
#include "net/ResultText.h"

namespace orlinda {

TFeedbackThread::TFeedbackThread() : serviceUrl_(ServiceScriptUrl(ServiceBaseUrl(nullptr), kContactScript)) {}

TFeedbackThread::~TFeedbackThread()
{
    Stop();
    client_.Abort();
}

void TFeedbackThread::Stop()
{
    Terminate();
    CancelFeedback();
    WaitFor();
}

void TFeedbackThread::SetLogFile(const std::string& fileName)
{
    std::lock_guard guard(settingsLock_);
    logFile_ = fileName;
}

void TFeedbackThread::SetProxy(const TProxySettings& proxy)
{
    std::lock_guard guard(settingsLock_);
    proxy_ = proxy;
}

void TFeedbackThread::SetServiceUrl(const std::string& url)
{
    std::lock_guard guard(settingsLock_);
    serviceUrl_ = url;
}

std::string TFeedbackThread::ServiceUrl() const
{
    std::lock_guard guard(settingsLock_);
    return serviceUrl_;
}

void TFeedbackThread::SetOnSendStarted(TSendEvent handler)
{
    std::lock_guard guard(settingsLock_);
    onSendStarted_ = std::move(handler);
}

void TFeedbackThread::SetOnAllSent(TSendEvent handler)
{
    std::lock_guard guard(settingsLock_);
    onAllSent_ = std::move(handler);
}

void TFeedbackThread::SetOnSendFailed(TSendFailedEvent handler)
{
    std::lock_guard guard(settingsLock_);
    onSendFailed_ = std::move(handler);
}

template <class Handler, class... Args>
void TFeedbackThread::Raise(const Handler TFeedbackThread::*handler, Args... args)
{
    Sync([&] {
        Handler call;
        {
            std::lock_guard guard(settingsLock_);
            call = this->*handler;
        }
        if (call)
            call(*this, args...);
    });
}

std::string TFeedbackThread::MessageBody(const std::u16string& message, const std::u16string& name,
                                         const std::u16string& email)
{
    const std::string text = Utf16ToCp1251(message) + "\r\n\r\n" + "--" + "\r\n" + Utf16ToCp1251(name);
    return "&Action=SendComment&MessageText=" + UrlEncodeForm(Base64Encode(text)) +
           "&SenderEmail=" + UrlEncodeForm(Base64Encode(Utf16ToCp1251(email)));
}

std::string TFeedbackThread::DebugPart(bool attach, const std::string& debugInformation)
{
    return "&DebugInfo=" + (attach ? UrlEncodeForm(debugInformation) : std::string());
}

std::string TFeedbackThread::DebugInformation() const
{
    return LogTail(kLogKeep, kDebugLimit);
}

void TFeedbackThread::SendFeedback(const std::u16string& message, const std::u16string& name, bool attachDebug,
                                   const std::u16string& email)
{
    Entry entry;
    entry.body = MessageBody(message, name, email);
    entry.attachDebug = attachDebug;
    std::lock_guard guard(lock_);
    entry.id = nextId_++;
    queue_.push_back(std::move(entry));
    ++queuedCount_;
    idle_.store(false);
}

void TFeedbackThread::CancelFeedback()
{
    {
        std::lock_guard guard(lock_);
        queue_.clear();
    }
    client_.Abort();
}

int TFeedbackThread::QueueLength() const
{
    std::lock_guard guard(lock_);
    return static_cast<int>(queue_.size());
}

int TFeedbackThread::ResultKind() const
{
    std::lock_guard guard(resultLock_);
    return resultKind_;
}

int TFeedbackThread::ResultNumber() const
{
    std::lock_guard guard(resultLock_);
    return resultNumber_;
}

std::string TFeedbackThread::Response() const
{
    std::lock_guard guard(resultLock_);
    return response_;
}

bool TFeedbackThread::Queued(uint64_t id) const
{
    std::lock_guard guard(lock_);
    for (const auto& e : queue_)
        if (e.id == id)
            return true;
    return false;
}

void TFeedbackThread::Post(const Entry& entry)
{
    const std::string body = entry.body + DebugPart(entry.attachDebug, entry.attachDebug ? DebugInformation() : "");
    TProxySettings proxy;
    std::string url;
    {
        std::lock_guard guard(settingsLock_);
        proxy = proxy_;
        url = serviceUrl_;
    }
    client_.Reset(true);
    bool sent = false;
    // A cancel before this point has emptied the queue; one after it aborts the request.
    if (Queued(entry.id) && !Terminated()) {
        client_.SetUserAgent("Orlinda");
        client_.SetMimeType("application/x-www-form-urlencoded");
        client_.SetProxyHost(proxy.Host);
        client_.SetProxyPort(proxy.Port);
        client_.SetProxyUser(proxy.User);
        client_.SetProxyPass(proxy.Password);
        client_.SetTimeout(timeout_.load());
        client_.Document().Write(body.data(), static_cast<int64_t>(body.size()));
        sent = client_.SendRequest("POST", url);
    }
    std::lock_guard guard(resultLock_);
    response_ = sent ? client_.Document().DataString() : std::string();
    if (sent && client_.ResultCode() == 200) {
        resultKind_ = orlinda::ResultKind::Success;
        resultNumber_ = 200;
    } else if (sent) {
        resultKind_ = orlinda::ResultKind::Http;
        resultNumber_ = client_.ResultCode();
    } else if (client_.Sock().LastError() != 0) {
        resultKind_ = orlinda::ResultKind::Socket;
        resultNumber_ = client_.Sock().LastError();
    } else {
        resultKind_ = orlinda::ResultKind::General;
        resultNumber_ = -1;
    }
}

void TFeedbackThread::Execute()
{
    while (!Terminated()) {
        try {
            if (idle_.load()) {
                Pause(kIdleWait, [this] { return !idle_.load(); });
                continue;
            }
            if (QueueLength() == 0) {
                Pause(kIdleWait, [this] { return QueueLength() > 0; });
                continue;
            }
            Raise(&TFeedbackThread::onSendStarted_);
            Entry entry;
            uint64_t queuedBefore = 0;
            bool have = false;
            {
                std::lock_guard guard(lock_);
                if (!queue_.empty()) {
                    entry = queue_.front();
                    have = true;
                }
                queuedBefore = queuedCount_;
            }
            if (!have) {
                Raise(&TFeedbackThread::onAllSent_);
                continue;
            }
            Post(entry);
            if (ResultKind() == orlinda::ResultKind::Success) {
                bool empty;
                {
                    std::lock_guard guard(lock_);
                    if (!queue_.empty() && queue_.front().id == entry.id)
                        queue_.pop_front();
                    empty = queue_.empty();
                }
                if (empty)
                    Raise(&TFeedbackThread::onAllSent_);
                continue;
            }
            int kind = ResultKind(), number = ResultNumber();
            std::string response = Response();
            if (!Queued(entry.id)) {
                // Cancelled by the user: reported as such, and the window stays silent.
                kind = orlinda::ResultKind::General;
                number = 2;
                std::lock_guard guard(resultLock_);
                resultKind_ = kind;
                resultNumber_ = number;
            }
            {
                // A message queued while this one was on its way is a new request to send.
                std::lock_guard guard(lock_);
                if (queuedCount_ == queuedBefore)
                    idle_.store(true);
            }
            Raise(&TFeedbackThread::onSendFailed_, kind, number, response);
        } catch (...) {
            Pause(kIdleWait);
        }
    }
}

} // namespace orlinda
