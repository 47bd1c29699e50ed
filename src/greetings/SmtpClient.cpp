#include "greetings/SmtpClient.h"

#include "core/Base64.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <cctype>
#include <unistd.h>

namespace orlinda {

namespace {

// A server that never ends its reply must not keep us reading forever.
constexpr int kMaxReplyLines = 1000;

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string LocalHostName()
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == 0)
        return "localhost";
    std::string host(name);
    for (char c : host)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_'))
            return "localhost";
    return host;
}

bool HasLineBreak(const std::string& text)
{
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

// Lower-case hexadecimal HMAC-MD5, as CRAM-MD5 answers a challenge.
std::string HmacMd5Hex(const std::string& key, const std::string& data)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!HMAC(EVP_md5(), key.data(), static_cast<int>(key.size()), reinterpret_cast<const unsigned char*>(data.data()),
              data.size(), digest, &length))
        return {};
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < length; ++i) {
        out.push_back(kHex[digest[i] >> 4]);
        out.push_back(kHex[digest[i] & 15]);
    }
    return out;
}

} // namespace

TSMTPSend::TSMTPSend() : EHLOName(LocalHostName())
{
    sock_.SetConvertLineEnd(true);
}

bool TSMTPSend::Fail(int socketError, const std::string& text)
{
    sock_.SetLastError(socketError, text);
    return false;
}

bool TSMTPSend::ReadResult()
{
    resultCode_ = 0;
    resultString_.clear();
    fullResult_.clear();
    for (int n = 0; n < kMaxReplyLines; ++n) {
        std::string line = sock_.RecvString(Timeout);
        if (sock_.LastError() != 0)
            return false;
        fullResult_.push_back(line);
        const bool coded = line.size() >= 3 && std::isdigit(static_cast<unsigned char>(line[0])) &&
                           std::isdigit(static_cast<unsigned char>(line[1])) &&
                           std::isdigit(static_cast<unsigned char>(line[2])) && (line.size() == 3 || line[3] == ' ' || line[3] == '-');
        if (!coded)
            return Fail(SocketError::BadResponse, "The server's reply has no reply code");
        if (line.size() > 3 && line[3] == '-')
            continue;
        resultCode_ = std::stoi(line.substr(0, 3));
        resultString_ = line.size() > 4 ? line.substr(4) : std::string();
        return true;
    }
    return Fail(SocketError::BadResponse, "The server's reply does not end");
}

bool TSMTPSend::Command(const std::string& line)
{
    if (!sock_.SendString(line + "\r\n"))
        return false;
    return ReadResult();
}

bool TSMTPSend::FindCap(const std::string& word) const
{
    const std::string w = Upper(word);
    for (const auto& cap : capabilities_) {
        const std::string c = Upper(cap);
        if (c.compare(0, w.size(), w) == 0 && (c.size() == w.size() || c[w.size()] == ' ' || c[w.size()] == '='))
            return true;
    }
    return false;
}

std::vector<std::string> TSMTPSend::AuthMechanisms() const
{
    std::vector<std::string> mechanisms;
    for (const auto& cap : capabilities_) {
        const std::string c = Upper(cap);
        if (c.size() < 5 || c.compare(0, 4, "AUTH") != 0 || (c[4] != ' ' && c[4] != '='))
            continue;
        size_t pos = 5;
        while (pos < c.size()) {
            size_t end = c.find(' ', pos);
            if (end == std::string::npos)
                end = c.size();
            if (end > pos)
                mechanisms.push_back(c.substr(pos, end - pos));
            pos = end + 1;
        }
    }
    return mechanisms;
}

bool TSMTPSend::Login()
{
    resultCode_ = 0;
    resultString_.clear();
    fullResult_.clear();
    capabilities_.clear();
    esmtp_ = false;
    hasSize_ = false;
    authDone_ = false;
    authMechanism_.clear();

    sock_.CloseSocket();
    sock_.SetTimeout(Timeout);
    if (!sock_.Connect(TargetHost, TargetPort))
        return false;
    if (FullSSL && !sock_.SSLDoConnect())
        return false;
    if (!ReadResult())
        return false;
    if (resultCode_ != 220)
        return false;

    if (Command("EHLO " + EHLOName) && resultCode_ == 250) {
        esmtp_ = true;
        for (size_t i = 1; i < fullResult_.size(); ++i)
            capabilities_.push_back(fullResult_[i].size() > 4 ? fullResult_[i].substr(4) : std::string());
    } else {
        if (sock_.LastError() != 0)
            return false;
        if (!Command("HELO " + EHLOName) || resultCode_ != 250)
            return false;
    }
    hasSize_ = FindCap("SIZE");

    if (UserName.empty() && Password.empty())
        return true;
    bool cram = false, login = false, plain = false;
    for (const auto& m : AuthMechanisms()) {
        cram = cram || m == "CRAM-MD5";
        login = login || m == "LOGIN";
        plain = plain || m == "PLAIN";
    }
    // A server that offers no mechanism we know is tried without logging in: it says so
    // itself when it wants a login.
    if (cram)
        authDone_ = AuthCramMD5();
    else if (login)
        authDone_ = AuthLogin();
    else if (plain)
        authDone_ = AuthPlain();
    else
        return true;
    return authDone_;
}

bool TSMTPSend::AuthCramMD5()
{
    authMechanism_ = "CRAM-MD5";
    if (!Command("AUTH CRAM-MD5") || resultCode_ != 334)
        return false;
    const std::string challenge = Base64Decode(resultString_);
    const std::string answer = Base64Encode(UserName + " " + HmacMd5Hex(Password, challenge));
    return Command(answer) && resultCode_ == 235;
}

bool TSMTPSend::AuthLogin()
{
    authMechanism_ = "LOGIN";
    if (!Command("AUTH LOGIN") || resultCode_ != 334)
        return false;
    if (!Command(Base64Encode(UserName)) || resultCode_ != 334)
        return false;
    return Command(Base64Encode(Password)) && resultCode_ == 235;
}

bool TSMTPSend::AuthPlain()
{
    authMechanism_ = "PLAIN";
    const std::string credentials = Base64Encode(std::string(1, '\0') + UserName + std::string(1, '\0') + Password);
    if (!Command("AUTH PLAIN " + credentials))
        return false;
    // A server that wants the credentials on a line of their own asks with 334.
    if (resultCode_ == 334 && !Command(credentials))
        return false;
    return resultCode_ == 235;
}

bool TSMTPSend::Logout()
{
    const bool ok = Command("QUIT") && resultCode_ == 221;
    sock_.CloseSocket();
    return ok;
}

bool TSMTPSend::Reset()
{
    return Command("RSET") && resultCode_ == 250;
}

bool TSMTPSend::MailFrom(const std::string& address, int64_t size)
{
    if (HasLineBreak(address))
        return Fail(SocketError::InvalidRequest, "The sender's address holds a line break");
    std::string line = "MAIL FROM:<" + address + ">";
    if (hasSize_ && size > 0)
        line += " SIZE=" + std::to_string(size);
    return Command(line) && resultCode_ == 250;
}

bool TSMTPSend::MailTo(const std::string& address)
{
    if (HasLineBreak(address))
        return Fail(SocketError::InvalidRequest, "The recipient's address holds a line break");
    // 251: not local, the server forwards it; delivered all the same.
    return Command("RCPT TO:<" + address + ">") && (resultCode_ == 250 || resultCode_ == 251);
}

std::vector<std::string> TSMTPSend::DataBlocks(const std::vector<std::string>& lines)
{
    std::vector<std::string> blocks;
    std::string block;
    for (const auto& line : lines) {
        std::string l;
        if (!line.empty() && line[0] == '.')
            l = ".";
        l += line;
        l += "\r\n";
        if (!block.empty() && block.size() + l.size() >= kDataBlock) {
            blocks.push_back(std::move(block));
            block.clear();
        }
        block += l;
    }
    if (!block.empty())
        blocks.push_back(std::move(block));
    blocks.push_back(".\r\n");
    return blocks;
}

bool TSMTPSend::MailData(const std::vector<std::string>& lines)
{
    if (!Command("DATA") || resultCode_ != 354)
        return false;
    const std::vector<std::string> blocks = DataBlocks(lines);
    for (size_t i = 0; i + 1 < blocks.size(); ++i)
        if (!sock_.SendString(blocks[i]))
            return false;
    return Command(".") && resultCode_ == 250;
}

void TSMTPSend::Abort()
{
    sock_.Abort();
}

} // namespace orlinda
