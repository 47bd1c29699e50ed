#pragma once
// The e-mail sender: a long-lived thread that sends the queued greetings of type 0
// through the user's mail server.
//
// Every pass starts with OnNextMail on the user-interface thread: the project takes the
// outcome of the greeting worked on before and hands over the next one (or none) and the
// mail settings. The connection stays open from one greeting to the next and is closed
// with QUIT on the first pass that finds nothing to send; a changed server setting or a
// failure makes the next greeting log in again.
#include "core/DateTime.h"
#include "greetings/BackgroundThread.h"
#include "greetings/SmtpClient.h"
#include "model/Greeting.h"
#include "model/ProjectWorkers.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace orlinda {

// The texts of the checks made before a greeting goes out (Windows-1251 in the greeting's
// error text).
namespace SmtpText {
inline constexpr char16_t NoHost[] = u"Не указан адрес почтового сервера";
inline constexpr char16_t NoPort[] = u"Не указан порт почтового сервера";
inline constexpr char16_t NoRecipient[] = u"Не указан адрес получателя";
inline constexpr char16_t NoSender[] = u"Не указан обратный адрес";
inline constexpr char16_t BadRecipient[] = u"Некорректно указан адрес получателя";
inline constexpr char16_t BadSender[] = u"Некорректно указан обратный адрес";
} // namespace SmtpText

class TSMTPThread : public MailSender, public TBackgroundThread {
public:
    static constexpr int kTimeout = 60000;   // the client's time-out for every pass
    static constexpr int kIdleWait = 10000;  // pause between passes while nothing is queued

    TSMTPThread();
    ~TSMTPThread() override;

    void SetOnNextMail(NextMailHandler handler) override { onNextMail_ = std::move(handler); }
    void Start() override { StartThread(); }
    // Aborts the connection in use, ends the thread and waits for it.
    void Stop() override;
    // From the user-interface thread: breaks the conversation in progress.
    void Abort();

    // The pause between idle passes (tests shorten it).
    void SetIdleWait(int ms) { idleWait_.store(ms); }

    // An address with a non-empty part before its first "@" and a domain after it that
    // holds a "." with text on both sides of its first ".".
    static bool IsValidAddress(const std::string& text);

    // The message of a greeting, line by line without CR LF: the headers, an empty line
    // and the text in Windows-1251. now and messageId fill "Date" and "Message-ID".
    static std::vector<std::string> BuildMessage(const TGreeting& greeting, TDateTime now, double utcOffset,
                                                 const std::string& messageId);
    // "Subject: " with the subject as it goes out: plain when it is printable ASCII, else
    // as encoded words of its Windows-1251 bytes, folded onto continuation lines.
    static std::vector<std::string> SubjectLines(const std::u16string& subject);
    // "Tue, 05 Mar 2024 10:00:00 +0300".
    static std::string MailDate(TDateTime localNow, double utcOffset);

protected:
    void Execute() override;

private:
    void Pass();
    // Ends the pass with a failure: the greeting's error text, status 3, a new login next.
    void Fail(const std::string& message);
    // "code - text" of the socket's error, or else of the server's reply.
    std::string StepError();
    bool StillRunning() const { return !Terminated(); }

    bool connected_ = false;
    TSMTPSend client_;
    TMailSettings settings_;
    TGreeting working_;
    std::atomic<int> idleWait_{kIdleWait};
    NextMailHandler onNextMail_;
};

} // namespace orlinda
