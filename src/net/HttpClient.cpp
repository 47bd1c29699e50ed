#include "net/HttpClient.h"

#include "core/Base64.h"
#include "core/Digest.h"
#include "core/Error.h"
#include "net/GzipStream.h"
#include "net/Url.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

namespace orlinda {

namespace {

constexpr size_t MaxHeadBytes = 1 << 20;  // a head larger than this is not a real server's

std::string Upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Without the characters up to the space at both ends.
std::string Trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return s.substr(b, e - b);
}

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    size_t n = std::strlen(prefix);
    if (text.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != prefix[i])
            return false;
    }
    return true;
}

// The trimmed value after the header's colon.
std::string HeaderValue(const std::string& line)
{
    size_t colon = line.find(':');
    return colon == std::string::npos ? std::string() : Trim(line.substr(colon + 1));
}

// A decimal number, or fallback when the text is not one.
int64_t ToInt64(const std::string& text, int64_t fallback)
{
    int64_t value = 0;
    const char* b = text.data();
    const char* e = b + text.size();
    auto r = std::from_chars(b, e, value);
    return r.ec == std::errc() && r.ptr == e && b != e ? value : fallback;
}

bool IsPlainText(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u > ' ' && u != 0x7F;
    });
}

// Bytes that cannot stand in a request line (blanks, control and 8-bit characters) are
// sent percent-encoded; the server decodes them to the same bytes.
std::string EncodeRequestUri(const std::string& uri)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(uri.size());
    for (char c : uri) {
        auto u = static_cast<unsigned char>(c);
        if (u <= ' ' || u >= 0x7F) {
            out += '%';
            out += hex[u >> 4];
            out += hex[u & 15];
        } else {
            out += c;
        }
    }
    return out;
}

// "HTTP/1.1 200 OK": the trimmed text after the first space, and its first word as the
// status code (0 when it is not a number). The reason phrase follows the next space.
std::string AfterFirstSpace(const std::string& line)
{
    size_t space = line.find(' ');
    return space == std::string::npos ? std::string() : Trim(line.substr(space + 1));
}

int StatusCodeOf(const std::string& line)
{
    std::string rest = AfterFirstSpace(line);
    int64_t code = ToInt64(rest.substr(0, rest.find(' ')), 0);
    return code < 0 || code > 999999 ? 0 : static_cast<int>(code);
}

// Reads a block of memory.
class TByteSource : public TStream {
public:
    TByteSource(const char* data, int64_t size) : data_(data), size_(size) {}
    int64_t Read(void* buffer, int64_t count) override
    {
        int64_t n = std::clamp<int64_t>(size_ - pos_, 0, count);
        std::memcpy(buffer, data_ + pos_, static_cast<size_t>(n));
        pos_ += n;
        return n;
    }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t offset, SeekOrigin origin) override
    {
        int64_t base = origin == SeekOrigin::Begin ? 0 : origin == SeekOrigin::Current ? pos_ : size_;
        pos_ = std::clamp<int64_t>(base + offset, 0, size_);
        return pos_;
    }
    int64_t Size() override { return size_; }

private:
    const char* data_;
    int64_t size_;
    int64_t pos_ = 0;
};

} // namespace

THTTPClient::THTTPClient(int64_t initialCapacity, int64_t maxSize, int64_t growthStep)
    : sock_(std::make_unique<TTCPBlockSocket>()),
      document_(std::make_unique<TMemoryStream>(initialCapacity, maxSize, growthStep)),
      saveBuffer_(SaveBufferSize)
{
    sock_->SetConvertLineEnd(true);
    sock_->SetSizeRecvBuffer(65536);
    sock_->SetSizeSendBuffer(65536);
    ResetState(false);
}

THTTPClient::~THTTPClient()
{
    gzipWriter_.reset();
    gzipReader_.reset();
}

void THTTPClient::SetResultString(const std::string& text)
{
    std::lock_guard<std::mutex> lock(resultStringMutex_);
    resultString_ = text;
}

std::string THTTPClient::ResultString() const
{
    std::lock_guard<std::mutex> lock(resultStringMutex_);
    return resultString_;
}

void THTTPClient::SetCompression(THTTPCompression v)
{
    gzipWriter_.reset();
    document_->Clear();
    compression_ = v;
    if (v == THTTPCompression::httpcGzip && directCompression_)
        gzipWriter_ = std::make_unique<TGzipWriter>(*document_);
}

TStream& THTTPClient::PostData()
{
    if (compression_ == THTTPCompression::httpcGzip && directCompression_) {
        if (!gzipWriter_)
            gzipWriter_ = std::make_unique<TGzipWriter>(*document_);
        return *gzipWriter_;
    }
    return *document_;
}

TStream& THTTPClient::Response()
{
    if (gzipReader_)
        return *gzipReader_;
    return *document_;
}

std::string THTTPClient::Realm() const
{
    static const std::string marker = "-AUTHENTICATE: BASIC REALM=\"";
    for (const std::string& line : headers_) {
        size_t at = Upper(line).find(marker);
        if (at == std::string::npos)
            continue;
        std::string rest = line.substr(at + marker.size());
        if (!rest.empty())
            rest.pop_back();  // the closing quote
        return rest;
    }
    return std::string();
}

void THTTPClient::ResetState(bool clearCookies)
{
    maxSizeExceeded_ = false;
    downloadSize_ = 0;
    uploadSize_ = 0;
    realSize_ = -1;
    rangeStart_ = 0;
    rangeEnd_ = 0;
    gzipWriter_.reset();
    gzipReader_.reset();
    document_->Clear();
    headers_.clear();
    if (clearCookies)
        cookies_.clear();
    mimeType_ = "text/html";
}

void THTTPClient::Reset(bool clearCookies)
{
    sock_->ResetStop();
    ResetState(clearCookies);
}

void THTTPClient::Abort()
{
    sock_->Abort();
    resultCode_ = 2;
    SetResultString("Cancelled");
}

void THTTPClient::CloseConnection()
{
    sock_->CloseSocket();
    keptHost_.clear();
    keptPort_.clear();
}

bool THTTPClient::SendRequest(const std::string& method, const std::string& url)
{
    resultCode_ = -1;
    SetResultString("");
    delivered_ = 0;
    bodyTaken_ = 0;
    saveFill_ = 0;
    realSize_ = -1;
    uploadSize_ = 0;
    downloadSize_ = 0;
    maxSizeExceeded_ = false;
    // Freeing the writer of a directly compressed body completes it in Document.
    if (gzipWriter_) {
        try {
            gzipWriter_->Finish();
        } catch (const std::exception& e) {
            gzipWriter_.reset();
            resultCode_ = 100;
            SetResultString(e.what());
            return false;
        }
    }
    gzipWriter_.reset();
    gzipReader_.reset();

    bool ok = sock_->StopFlag() ? false : DoRequest(method, url);
    if (sock_->StopFlag()) {
        CloseConnection();
        if (sock_->LastError() == 0)
            sock_->SetLastError(ECONNABORTED, "The operation was aborted");
        resultCode_ = 2;
        SetResultString("Cancelled");
        return false;
    }
    return ok;
}

void THTTPClient::ParseStatusLine(const std::string& line)
{
    resultCode_ = StatusCodeOf(line);
    std::string rest = AfterFirstSpace(line);
    size_t next = rest.find(' ');
    SetResultString(next == std::string::npos ? std::string() : Trim(rest.substr(next + 1)));
}

bool THTTPClient::DoRequest(const std::string& method, const std::string& url)
{
    // The URL and its credentials.
    TURL u = ParseURL(url);
    std::string port = u.Port.empty() ? "80" : u.Port;
    lastHost_ = u.Host;
    std::string user = u.User;
    std::string pass = u.Pass;
    if (hashPassword_ && !pass.empty())
        pass = Md5Hex(pass);

    if (u.Host.empty() || !IsPlainText(u.Host) || !IsPlainText(port)) {
        sock_->SetLastError(SocketError::InvalidRequest, "The URL \"" + url + "\" names no valid host");
        return false;
    }
    if (method.empty() || !IsPlainText(method)) {
        sock_->SetLastError(SocketError::InvalidRequest, "The method \"" + method + "\" is not valid");
        return false;
    }

    // HTTPS goes through the proxy as a CONNECT tunnel; plain HTTP as absolute URIs.
    bool https = Upper(u.Prot) == "HTTPS";
    bool tunnel = false;
    if (https) {
        sock_->HTTPTunnelIP = proxyHost_;
        sock_->HTTPTunnelPort = proxyPort_;
        sock_->HTTPTunnelUser = proxyUser_;
        sock_->HTTPTunnelPass = proxyPass_;
        tunnel = !proxyHost_.empty();
    } else {
        sock_->HTTPTunnelIP.clear();
        sock_->HTTPTunnelPort.clear();
        sock_->HTTPTunnelUser.clear();
        sock_->HTTPTunnelPass.clear();
    }
    bool viaProxy = !proxyHost_.empty() && !tunnel;

    // The body, compressed in place when asked.
    bool body = document_->Size() > 0;
    if (body && compression_ == THTTPCompression::httpcGzip && !directCompression_) {
        try {
            int64_t size = document_->Size();
            TMemoryStream scratch(size, -1, 4096);
            if (scratch.Write(document_->Data(), size) != size)
                throw Error("Stream write error");
            document_->Clear();
            TGzipWriter writer(*document_);
            writer.Write(scratch.Data(), size);
            writer.Finish();
        } catch (const std::exception& e) {
            resultCode_ = 100;
            SetResultString(e.what());
            return false;
        }
    }
    const int64_t bodySize = document_->Size();

    // The head: each line is inserted at the top, so the caller's own lines stay last.
    auto insert = [this](std::string line) { headers_.insert(headers_.begin(), std::move(line)); };
    bool expectContinue = status100_ && body && protocol_ == "1.1";
    if (expectContinue)
        insert("Expect: 100-continue");
    // Any body is framed, or the server would take it for the next request.
    if (Upper(method) == "POST" || body)
        insert("Content-Length: " + std::to_string(bodySize));
    if (body && compression_ == THTTPCompression::httpcGzip)
        insert("Content-Encoding: gzip");
    if (body && !mimeType_.empty())
        insert("Content-Type: " + mimeType_);
    if (acceptCompression_ == THTTPCompression::httpcGzip)
        insert("Accept-Encoding: gzip");
    if (!userAgent_.empty())
        insert("User-Agent: " + userAgent_);
    if (rangeStart_ > 0) {
        if (rangeStart_ > rangeEnd_)
            insert("Range: bytes=" + std::to_string(rangeStart_) + "-");
        else
            insert("Range: bytes=" + std::to_string(rangeStart_) + "-" + std::to_string(rangeEnd_));
    } else if (rangeEnd_ > 0) {
        insert("Range: bytes=0-" + std::to_string(rangeEnd_));
    }
    if (!cookies_.empty()) {
        std::string line = "Cookie: ";
        for (size_t i = 0; i < cookies_.size(); ++i)
            line += (i ? "; " : "") + cookies_[i];
        insert(line);
    }
    if (!keepAlive_)
        insert("Connection: Close");
    if (!user.empty())
        insert("Authorization: Basic " + Base64Encode(user + ":" + pass));
    if (!proxyHost_.empty() && !proxyUser_.empty() && !tunnel)
        insert("Proxy-Authorization: Basic " + Base64Encode(proxyUser_ + ":" + proxyPass_));
    std::string hostPort = UrlHost(u.Host) + (port != "80" ? ":" + port : "");
    insert("Host: " + hostPort);
    std::string uri = EncodeRequestUri(u.URI);
    if (viaProxy)
        uri = u.Prot + "://" + hostPort + uri;
    if (uri == "/*")
        uri = "*";
    if (protocol_ == "0.9")
        insert(Upper(method) + " " + uri);
    else
        insert(Upper(method) + " " + uri + " HTTP/" + protocol_);
    if (!headers_.back().empty())
        headers_.push_back("");

    std::string headText;
    if (protocol_ == "0.9") {
        headText = headers_.front() + "\r\n";
    } else {
        for (const std::string& line : headers_)
            headText += line + "\r\n";
    }

    targetHost_ = viaProxy ? proxyHost_ : u.Host;
    targetPort_ = viaProxy ? (proxyPort_.empty() ? "8080" : proxyPort_) : port;
    const int wait = Wait();
    sock_->SetTimeout(timeout_);

    std::string keptStatus;
    bool haveKeptStatus = false;
    bool closeAfter = protocol_ != "1.1";
    bool mayRetry = true;
    bool stateReset = false;
    std::string statusLine;
    for (;;) {
        // A kept-alive connection to the same target is reused unless its peer has gone.
        bool sent = false;
        bool reused = false;
        if (mayRetry && sock_->Connected() && !keptHost_.empty() && keptHost_ == targetHost_ && keptPort_ == targetPort_) {
            bool alive = true;
            if (sock_->CanRead(0)) {
                char probe;
                if (sock_->RecvBufferEx(&probe, 1, 0) == 0 && sock_->LastError() != ETIMEDOUT)
                    alive = false;
                else
                    sock_->Purge();
            }
            if (alive && sock_->SendString(headText)) {
                sent = true;
                reused = true;
            }
        }
        if (!sent) {
            CloseConnection();
            sock_->Bind(ipInterface_, "0");
            bool connected = sock_->Connect(targetHost_, targetPort_) && (!https || sock_->SSLDoConnect());
            if (connected) {
                keptHost_ = targetHost_;
                keptPort_ = targetPort_;
            }
            if (!connected || !sock_->SendString(headText)) {
                int code = sock_->LastError();
                std::string desc = sock_->LastErrorDesc();
                CloseConnection();
                sock_->SetLastError(code, desc);
                return false;
            }
        }

        // 100-continue: the server either lets the body come or answers at once.
        bool sendBody = body;
        if (expectContinue) {
            std::string line;
            do {
                line = sock_->RecvString(wait);
                if (sock_->LastError()) {
                    CloseConnection();
                    return false;
                }
            } while (line.empty());
            int64_t code = StatusCodeOf(line);
            if (code >= 100 && code <= 199) {
                for (;;) {
                    std::string drop = sock_->RecvString(wait);
                    if (sock_->LastError()) {
                        CloseConnection();
                        return false;
                    }
                    if (drop.empty())
                        break;
                }
            } else {
                keptStatus = line;
                haveKeptStatus = true;
                sendBody = false;
                // The server may still wait for the body it declined: never reuse this.
                closeAfter = true;
            }
        }
        if (sendBody) {
            uploadSize_ = bodySize;
            bool ok = sock_->SendBuffer(document_->Data(), static_cast<size_t>(bodySize));
            uploadSize_ = 0;
            if (!ok) {
                CloseConnection();
                return false;
            }
        }

        if (!stateReset) {
            ResetState(false);
            stateReset = true;
        }
        framing_ = Framing::UntilClose;

        if (haveKeptStatus) {
            statusLine = keptStatus;
            break;
        }
        do {
            statusLine = sock_->RecvString(wait);
        } while (statusLine.empty() && sock_->LastError() == 0);
        if (sock_->LastError() == 0)
            break;
        // A kept-alive connection that the server closed just as the request went out:
        // nothing was answered, so the request is sent once more on a new connection.
        if (reused && !body && sock_->LastError() == ECONNRESET && !sock_->StopFlag()) {
            CloseConnection();
            mayRetry = false;
            continue;
        }
        int code = sock_->LastError();
        std::string desc = sock_->LastErrorDesc();
        CloseConnection();
        sock_->SetLastError(code, desc);
        return false;
    }

    // Status line, or a response without head.
    if (StartsWithNoCase(statusLine, "HTTP/")) {
        headers_.push_back(statusLine);
        ParseStatusLine(statusLine);
    } else {
        resultCode_ = 0;
        std::string start = statusLine + "\r\n";
        bodyTaken_ = 0;
        if (onSaveData_) {
            size_t at = 0;
            while (at < start.size()) {
                size_t n = std::min(start.size() - at, static_cast<size_t>(SaveBufferSize - saveFill_));
                std::memcpy(saveBuffer_.data() + saveFill_, start.data() + at, n);
                saveFill_ += static_cast<int>(n);
                at += n;
                if (saveFill_ == SaveBufferSize)
                    FlushSaveBuffer();
            }
            bodyTaken_ = static_cast<int64_t>(start.size());
        } else {
            AppendToDocument(start.data(), static_cast<int64_t>(start.size()));
        }
    }

    // Header lines.
    std::string encoding;
    int64_t contentLength = -1;
    if (!headers_.empty()) {
        size_t headBytes = statusLine.size();
        for (;;) {
            std::string line = sock_->RecvString(wait);
            if (sock_->LastError()) {
                int code = sock_->LastError();
                std::string desc = sock_->LastErrorDesc();
                CloseConnection();
                sock_->SetLastError(code, desc);
                return false;
            }
            headers_.push_back(line);
            headBytes += line.size() + 2;
            if (headBytes > MaxHeadBytes) {
                CloseConnection();
                sock_->SetLastError(SocketError::BadResponse, "The response's head is too large");
                return false;
            }
            if (line.empty())
                break;
            if (StartsWithNoCase(line, "CONTENT-RANGE: BYTES")) {
                std::string range = line.substr(20);
                delivered_ = std::max<int64_t>(ToInt64(Trim(range.substr(0, range.find('-'))), 0), 0);
                size_t slash = range.find('/');
                realSize_ = slash == std::string::npos ? -1 : ToInt64(Trim(range.substr(slash + 1)), -1);
            } else if (StartsWithNoCase(line, "CONTENT-LENGTH:")) {
                int64_t value = ToInt64(HeaderValue(line), -1);
                if (value < -1)
                    value = -1;
                if (value != -1) {
                    framing_ = Framing::Length;
                    contentLength = value;
                }
                if (resultCode_ != 206)
                    realSize_ = value;
            } else if (StartsWithNoCase(line, "CONTENT-TYPE:")) {
                mimeType_ = HeaderValue(line);
            } else if (StartsWithNoCase(line, "CONTENT-ENCODING:")) {
                encoding = Lower(HeaderValue(line));
            } else if (StartsWithNoCase(line, "TRANSFER-ENCODING:")) {
                if (Upper(HeaderValue(line)).find("CHUNKED") != std::string::npos)
                    framing_ = Framing::Chunked;
            } else if (StartsWithNoCase(line, "CONNECTION:")) {
                if (Upper(HeaderValue(line)).find("CLOSE") != std::string::npos)
                    closeAfter = true;
            }
        }
    }

    // The body.
    bool bodyRead = true;
    if (method != "HEAD" && resultCode_ != 204 && resultCode_ != 304) {
        switch (framing_) {
        case Framing::Length:
            downloadSize_ = contentLength;
            bodyRead = ReadBytes(contentLength);
            break;
        case Framing::Chunked:
            bodyRead = ReadChunked();
            break;
        case Framing::UntilClose:
            ReadUntilClose();
            break;
        }
    }

    if (closeAfter)
        CloseConnection();
    ParseCookies();

    document_->Seek(0, SeekOrigin::Begin);
    if (onSaveData_) {
        if (!sock_->StopFlag())
            FlushSaveBuffer();
    } else if (bodyRead && encoding == "gzip" && document_->Size() > 0) {
        if (directDecompression_) {
            gzipReader_ = std::make_unique<TGzipReader>(*document_);
        } else if (!UnpackDocument()) {
            return false;
        }
    }
    return bodyRead;
}

bool THTTPClient::UnpackDocument()
{
    // The packed bytes move aside and the unpacked ones go straight into Document in
    // large blocks: no scratch stream the size of the body, whose fresh memory would
    // cost more than unpacking itself. A failure puts the packed bytes back.
    const int64_t packedSize = document_->Size();
    std::vector<char> packed(document_->Data(), document_->Data() + packedSize);
    try {
        TByteSource source(packed.data(), packedSize);
        TGzipReader reader(source);
        // The gzip trailer tells the unpacked size (of the last member): reserving it at
        // once spares the copies of growing step by step. Only a hint, so it is bounded.
        if (packedSize >= 18) {
            const auto* t = reinterpret_cast<const unsigned char*>(packed.data() + packedSize - 4);
            int64_t hint = int64_t(t[0]) | int64_t(t[1]) << 8 | int64_t(t[2]) << 16 | int64_t(t[3]) << 24;
            hint = std::min(hint, packedSize * 32);
            if (document_->Limit() >= 0)
                hint = std::min(hint, document_->Limit());
            if (hint > document_->Capacity())
                document_->SetSize(hint);
        }
        document_->Clear();
        std::vector<char> block(256 * 1024);
        for (;;) {
            int64_t n = reader.Read(block.data(), static_cast<int64_t>(block.size()));
            if (n <= 0)
                break;
            if (document_->Write(block.data(), n) != n) {
                maxSizeExceeded_ = true;
                break;
            }
        }
        document_->Seek(0, SeekOrigin::Begin);
        return true;
    } catch (const std::exception& e) {
        document_->Clear();
        document_->Write(packed.data(), packedSize);
        document_->Seek(0, SeekOrigin::Begin);
        resultCode_ = 100;
        SetResultString(e.what());
        return false;
    }
}

bool THTTPClient::AppendToDocument(const char* data, int64_t count)
{
    document_->Seek(0, SeekOrigin::End);
    int64_t written = document_->Write(data, count);
    bodyTaken_ += written;
    if (written < count) {
        maxSizeExceeded_ = true;
        return false;
    }
    return true;
}

void THTTPClient::FlushSaveBuffer()
{
    if (!onSaveData_ || saveFill_ == 0)
        return;
    try {
        onSaveData_(*this, resultCode_.load(), delivered_, saveBuffer_.data(), saveFill_);
    } catch (...) {
        // The handler's failure is its own business; the transfer goes on.
    }
    delivered_ += saveFill_;
    saveFill_ = 0;
}

bool THTTPClient::ReadBytes(int64_t count)
{
    int64_t limit = document_->Limit();
    if (limit >= 0 && bodyTaken_ + count > limit) {
        maxSizeExceeded_ = true;
        count = std::max<int64_t>(limit - bodyTaken_, 0);
    }
    const int wait = Wait();
    bool ok = true;
    if (!onSaveData_) {
        char block[65536];
        while (count > 0 && ok) {
            int64_t want = std::min<int64_t>(count, sizeof block);
            int64_t got = sock_->RecvBufferEx(block, want, wait);
            if (got > 0 && !AppendToDocument(block, got)) {
                // Document can hold no more (it cannot grow): the rest is cut like at
                // the maximum size.
                break;
            }
            ok = got == want;
            count -= got;
        }
    } else {
        while (count > 0 && ok) {
            int64_t want = std::min<int64_t>(count, SaveBufferSize - saveFill_);
            int64_t got = sock_->RecvBufferEx(saveBuffer_.data() + saveFill_, want, wait);
            saveFill_ += static_cast<int>(got);
            bodyTaken_ += got;
            count -= got;
            ok = got == want;
            if (saveFill_ == SaveBufferSize)
                FlushSaveBuffer();
        }
    }
    if (!ok) {
        int code = sock_->LastError();
        std::string desc = sock_->LastErrorDesc();
        CloseConnection();
        sock_->SetLastError(code, desc);
        return false;
    }
    if (maxSizeExceeded_)
        CloseConnection();
    return true;
}

bool THTTPClient::ReadChunked()
{
    const int wait = Wait();
    for (;;) {
        std::string line = sock_->RecvString(wait);
        if (sock_->LastError()) {
            int code = sock_->LastError();
            std::string desc = sock_->LastErrorDesc();
            CloseConnection();
            sock_->SetLastError(code, desc);
            return false;
        }
        line = Trim(line);
        if (line.empty())
            continue;  // the line end after a chunk's data
        std::string size = line.substr(0, line.find(' '));
        size = Trim(size.substr(0, size.find(';')));
        int64_t count = 0;
        const char* b = size.data();
        const char* e = b + size.size();
        auto r = std::from_chars(b, e, count, 16);
        if (r.ec != std::errc() || r.ptr != e || count < 0) {
            // A broken size line would silently cut the body: fail instead.
            CloseConnection();
            sock_->SetLastError(SocketError::BadResponse, "Invalid chunk size line \"" + line.substr(0, 64) + "\"");
            return false;
        }
        if (count == 0)
            return true;
        if (!ReadBytes(count))
            return false;
        if (maxSizeExceeded_) {
            CloseConnection();
            return true;
        }
    }
}

void THTTPClient::ReadUntilClose()
{
    const int wait = Wait();
    int64_t limit = document_->Limit();
    char block[65536];
    for (;;) {
        if (limit >= 0 && bodyTaken_ >= limit) {
            maxSizeExceeded_ = true;
            break;
        }
        if (onSaveData_) {
            int64_t want = SaveBufferSize - saveFill_;
            if (limit >= 0)
                want = std::min(want, limit - bodyTaken_);
            int64_t got = sock_->RecvPacket(saveBuffer_.data() + saveFill_, want, wait);
            if (got <= 0)
                break;
            saveFill_ += static_cast<int>(got);
            bodyTaken_ += got;
            if (saveFill_ == SaveBufferSize)
                FlushSaveBuffer();
        } else {
            int64_t want = sizeof block;
            if (limit >= 0)
                want = std::min(want, limit - bodyTaken_);
            int64_t got = sock_->RecvPacket(block, want, wait);
            if (got <= 0)
                break;
            if (!AppendToDocument(block, got))
                break;
        }
    }
    // The end of the data is the end of the body, whatever ended it.
    sock_->SetLastError(0);
    CloseConnection();
}

void THTTPClient::ParseCookies()
{
    for (const std::string& line : headers_) {
        if (!StartsWithNoCase(line, "SET-COOKIE:"))
            continue;
        std::string text = line.substr(line.find(':') + 1);
        text = Trim(text.substr(0, text.find(';')));
        size_t eq = text.find('=');
        std::string name = Trim(text.substr(0, eq));
        std::string value = eq == std::string::npos ? std::string() : Trim(text.substr(eq + 1));
        if (name.empty())
            continue;
        auto it = std::find_if(cookies_.begin(), cookies_.end(), [&](const std::string& c) {
            return c.compare(0, name.size(), name) == 0 && c.size() > name.size() && c[name.size()] == '=';
        });
        if (value.empty()) {
            if (it != cookies_.end())
                cookies_.erase(it);
        } else if (it != cookies_.end()) {
            *it = name + "=" + value;
        } else {
            cookies_.push_back(name + "=" + value);
        }
    }
}

} // namespace orlinda
