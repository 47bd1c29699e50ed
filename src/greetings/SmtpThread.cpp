#include "greetings/SmtpThread.h"

#include "core/Base64.h"
#include "core/Clock.h"
#include "core/Log.h"
#include "core/Random.h"
#include "core/TimeZone.h"
#include "core/Windows1251.h"

#include <openssl/rand.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace orlinda {

namespace {

std::string Trim(const std::string& text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    return text.substr(begin, end - begin);
}

bool HasLineBreak(const std::string& text)
{
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

std::string Cp(const char16_t* text)
{
    return Utf16ToCp1251(text);
}

// The lines of a text, split at CR LF, CR or LF; a final line break adds no empty line.
std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return lines;
}

std::string RandomHex(int bytes)
{
    std::string raw(static_cast<size_t>(bytes), '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(raw.data()), bytes) != 1)
        for (char& c : raw)
            c = static_cast<char>(RandomInt(256));
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (char c : raw) {
        out.push_back(kHex[static_cast<unsigned char>(c) >> 4]);
        out.push_back(kHex[static_cast<unsigned char>(c) & 15]);
    }
    return out;
}

std::string NewMessageId(const std::string& sender)
{
    std::string domain;
    const size_t at = sender.rfind('@');
    if (at != std::string::npos)
        domain = sender.substr(at + 1);
    bool plain = !domain.empty();
    for (char c : domain)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-'))
            plain = false;
    if (!plain)
        domain = "orlinda.localhost";
    return "<" + RandomHex(16) + "@" + domain + ">";
}

} // namespace

TSMTPThread::TSMTPThread()
{
    client_.Timeout = kTimeout;
    working_.FName.clear();
}

TSMTPThread::~TSMTPThread()
{
    Stop();
}

void TSMTPThread::Stop()
{
    Terminate();
    Abort();
    WaitFor();
}

void TSMTPThread::Abort()
{
    client_.Abort();
}

bool TSMTPThread::IsValidAddress(const std::string& text)
{
    const size_t at = text.find('@');
    if (at == std::string::npos || at == 0)
        return false;
    const std::string domain = text.substr(at + 1);
    const size_t dot = domain.find('.');
    return !domain.empty() && dot != std::string::npos && dot > 0 && dot + 1 < domain.size();
}

std::string TSMTPThread::MailDate(TDateTime localNow, double utcOffset)
{
    static constexpr const char* kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const CivilDate d = DecodeDate(localNow);
    CivilTime t = DecodeTime(localNow);
    if (t.hour > 23)  // rounding up to the next midnight
        t = CivilTime{23, 59, 59, 0};
    const long minutes = std::lround(utcOffset * 1440.0);
    const long a = minutes < 0 ? -minutes : minutes;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld",
                  kDays[(DayOfTheWeek(localNow) + 6) % 7], d.day, kMonths[(d.month + 11) % 12], d.year, t.hour,
                  t.minute, t.second, minutes < 0 ? '-' : '+', a / 60, a % 60);
    return buffer;
}

std::vector<std::string> TSMTPThread::SubjectLines(const std::u16string& subject)
{
    // A line break in the subject would end the header.
    std::u16string clean = subject;
    for (char16_t& c : clean)
        if (c < 0x20)
            c = u' ';
    const std::string bytes = Utf16ToCp1251(clean);
    bool ascii = true;
    for (char c : bytes)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E)
            ascii = false;
    if (ascii)
        return {"Subject: " + bytes};

    // Encoded words of at most 75 characters on lines of at most 76: 36 bytes of text
    // after "Subject: ", 42 on each continuation line.
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t take = std::min<size_t>(lines.empty() ? 36 : 42, bytes.size() - pos);
        const std::string word = "=?windows-1251?B?" + Base64Encode(bytes.substr(pos, take)) + "?=";
        lines.push_back((lines.empty() ? "Subject: " : " ") + word);
        pos += take;
    }
    return lines;
}

std::vector<std::string> TSMTPThread::BuildMessage(const TGreeting& greeting, TDateTime now, double utcOffset,
                                                   const std::string& messageId)
{
    const std::string sender = Trim(greeting.FSender);
    const std::string recipient = Trim(greeting.FRecipient);
    std::vector<std::string> lines = {
        "Content-Type: text/plain; charset=windows-1251",
        "Content-Transfer-Encoding: 8bit",
        "From: " + sender,
        "To: " + recipient,
        "Reply-To: " + sender,
    };
    for (auto& l : SubjectLines(greeting.FSubject))
        lines.push_back(std::move(l));
    lines.push_back("Date: " + MailDate(now, utcOffset));
    lines.push_back("Message-ID: " + messageId);
    lines.push_back("MIME-Version: 1.0");
    lines.emplace_back();
    for (auto& l : SplitLines(Utf16ToCp1251(greeting.FText)))
        lines.push_back(std::move(l));
    return lines;
}

std::string TSMTPThread::StepError()
{
    TTCPBlockSocket& sock = client_.Sock();
    if (sock.LastError() != 0)
        return std::to_string(sock.LastError()) + " - " + sock.LastErrorDesc();
    return std::to_string(client_.ResultCode()) + " - " + client_.ResultString();
}

void TSMTPThread::Fail(const std::string& message)
{
    // The error text is shown to the user on one line.
    std::string shown = Trim(working_.FRecipient);
    for (char& c : shown)
        if (c == '\r' || c == '\n' || c == '\0')
            c = ' ';
    working_.FErrorStr = "[" + shown + "] " + message;
    working_.FStatus = GreetingFailed;
    connected_ = false;
    Log("SMTPThread: " + message);
}

void TSMTPThread::Execute()
{
    while (!Terminated()) {
        try {
            Pass();
        } catch (const std::exception& e) {
            if (!working_.FName.empty() && working_.FStatus == GreetingSending)
                Fail(e.what());
        } catch (...) {
            if (!working_.FName.empty() && working_.FStatus == GreetingSending)
                Fail("Unknown error");
        }
    }
}

void TSMTPThread::Pass()
{
    bool handled = false;
    Sync([this, &handled] {
        try {
            if (onNextMail_)
                onNextMail_(working_, settings_);
            else
                working_.FName.clear();
            handled = true;
        } catch (...) {
        }
    });
    if (Terminated())
        return;
    // A handler that failed or did not run has not taken the outcome: the greeting must
    // not go out a second time.
    if (!handled)
        working_.FName.clear();

    if (working_.FName.empty()) {
        if (connected_) {
            client_.Logout();
            connected_ = false;
        }
        Pause(idleWait_.load());
        return;
    }

    working_.FStatus = GreetingSending;
    working_.FErrorStr.clear();
    const std::string recipient = Trim(working_.FRecipient);
    const std::string sender = Trim(working_.FSender);
    const std::vector<std::string> lines = BuildMessage(working_, Now(), UtcOffset(), NewMessageId(sender));
    int64_t size = 0;
    for (const auto& l : lines)
        size += static_cast<int64_t>(l.size()) + 2;

    const bool loginNeeded = !connected_ || client_.TargetHost != settings_.Host ||
                             client_.TargetPort != settings_.Port || client_.UserName != settings_.User ||
                             client_.Password != settings_.Password || client_.FullSSL != settings_.SSL;
    client_.TargetHost = settings_.Host;
    client_.TargetPort = settings_.Port;
    client_.UserName = settings_.User;
    client_.Password = settings_.Password;
    client_.FullSSL = settings_.SSL;
    client_.Timeout = kTimeout;

    if (Trim(settings_.Host).empty())
        return Fail(Cp(SmtpText::NoHost));
    if (Trim(settings_.Port).empty())
        return Fail(Cp(SmtpText::NoPort));
    if (recipient.empty())
        return Fail(Cp(SmtpText::NoRecipient));
    if (sender.empty())
        return Fail(Cp(SmtpText::NoSender));
    if (!IsValidAddress(recipient) || HasLineBreak(recipient))
        return Fail(Cp(SmtpText::BadRecipient));
    if (!IsValidAddress(sender) || HasLineBreak(sender))
        return Fail(Cp(SmtpText::BadSender));

    if (loginNeeded) {
        if (!client_.Login())
            return Fail(StepError());
        connected_ = true;
    }

    if (Terminated())
        return;
    if (!client_.Reset()) {
        // The server may have closed the connection kept from the last greeting: one new
        // login before giving up.
        if (loginNeeded || client_.Sock().LastError() == 0)
            return Fail(StepError());
        if (Terminated())
            return;
        if (!client_.Login())
            return Fail(StepError());
        if (Terminated())
            return;
        if (!client_.Reset())
            return Fail(StepError());
    }
    if (Terminated())
        return;
    if (!client_.MailFrom(sender, size))
        return Fail(StepError());
    if (Terminated())
        return;
    if (!client_.MailTo(recipient))
        return Fail(StepError());
    if (Terminated())
        return;
    if (!client_.MailData(lines))
        return Fail(StepError());
    working_.FStatus = GreetingSent;
}

} // namespace orlinda
