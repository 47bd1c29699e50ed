#pragma once
// Our SMTP client over the socket layer: one blocking conversation with a mail server,
// used by the e-mail sender's thread.
//
//   Login      connect (TLS from the first byte when FullSSL), the 220 greeting, EHLO
//              (HELO when EHLO is refused), the extension list, and, when a user or a
//              password is set, AUTH CRAM-MD5 when offered, else LOGIN, else PLAIN
//   Reset      RSET                                   expects 250
//   MailFrom   MAIL FROM:<address>[ SIZE=n]           expects 250
//   MailTo     RCPT TO:<address>                      expects 250
//   MailData   DATA (354), the dot-stuffed lines, "." expects 250
//   Logout     QUIT (221), then the connection is closed
//
// Each step returns true on the expected reply. ResultCode and ResultString hold the
// server's last reply (0 and "" when none arrived); Sock().LastError tells a network
// failure from a refusal.
#include "net/Socket.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orlinda {

class TSMTPSend {
public:
    static constexpr int kDefaultTimeout = 60000;
    // DATA goes out in blocks that stay under this many characters.
    static constexpr size_t kDataBlock = 1500;

    TSMTPSend();
    TSMTPSend(const TSMTPSend&) = delete;
    TSMTPSend& operator=(const TSMTPSend&) = delete;

    // Settings --------------------------------------------------------------------------
    std::string TargetHost;
    std::string TargetPort = "25";
    std::string UserName;
    std::string Password;
    bool FullSSL = false;           // implicit TLS: TLS from the first byte
    int Timeout = kDefaultTimeout;  // milliseconds, for connecting and for every reply
    std::string EHLOName;           // the local host name by default

    // Steps -----------------------------------------------------------------------------
    bool Login();
    bool Logout();
    bool Reset();
    // size > 0 adds " SIZE=size" when the server announced SIZE.
    bool MailFrom(const std::string& address, int64_t size);
    bool MailTo(const std::string& address);
    // The message lines without their CR LF; each is sent with CR LF.
    bool MailData(const std::vector<std::string>& lines);

    // Thread-safe: raises the socket's stop flag and breaks a blocked call.
    void Abort();

    // Results ---------------------------------------------------------------------------
    int ResultCode() const { return resultCode_; }
    // The text of the last reply line, without its code.
    const std::string& ResultString() const { return resultString_; }
    // Every line of the last reply, with their codes.
    const std::vector<std::string>& FullResult() const { return fullResult_; }
    // What the server said in answer to EHLO (empty after HELO).
    bool ESMTP() const { return esmtp_; }
    const std::vector<std::string>& ESMTPcap() const { return capabilities_; }
    // True when an extension line starts with the word (case-insensitive): "SIZE", "AUTH".
    bool FindCap(const std::string& word) const;
    bool HasSize() const { return hasSize_; }
    // The mechanism used by the last login ("" when none was needed or offered).
    const std::string& AuthMechanism() const { return authMechanism_; }
    bool AuthDone() const { return authDone_; }

    TTCPBlockSocket& Sock() { return sock_; }

    // Dot-stuffing and blocks of DATA, for tests: the bytes sent after the 354 reply,
    // the closing "." line included.
    static std::vector<std::string> DataBlocks(const std::vector<std::string>& lines);

private:
    bool ReadResult();
    bool Command(const std::string& line);
    bool Expect(int code) const { return resultCode_ == code; }
    // The mechanisms listed in an AUTH (or AUTH=) extension line, upper case.
    std::vector<std::string> AuthMechanisms() const;
    bool AuthCramMD5();
    bool AuthLogin();
    bool AuthPlain();
    bool Fail(int socketError, const std::string& text);

    TTCPBlockSocket sock_;
    int resultCode_ = 0;
    std::string resultString_;
    std::vector<std::string> fullResult_;
    std::vector<std::string> capabilities_;
    bool esmtp_ = false;
    bool hasSize_ = false;
    bool authDone_ = false;
    std::string authMechanism_;
};

} // namespace orlinda
