#pragma once
#include "core/MemoryStream.h"
#include "core/Stream.h"
#include "net/Socket.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace orlinda {

enum class THTTPCompression { httpcNone, httpcGzip };

class THTTPClient;
class TGzipWriter;
class TGzipReader;

// Receives a downloaded body block by block instead of Document: HTTPCode is the
// response's status, RangeStart the offset in the resource of the block's first byte.
// Blocks are at most 32768 bytes. An exception thrown by the handler is swallowed.
using THTTPSaveDataEvent =
    std::function<void(THTTPClient& sender, int httpCode, int64_t rangeStart, const char* data, int size)>;

// The program's HTTP/1.x client: one blocking request at a time on the calling thread.
//
// Use: Reset(true); set the properties; write the body into Document (or PostData);
// SendRequest(method, url). True means a response was received and read, whatever its
// status: then ResultCode, Headers (status line, header lines, an empty line) and
// Document (the body, at position 0) tell the outcome. False means a network failure
// (Sock().LastError() is set), a cancellation (ResultCode 2, "Cancelled") or a
// compression failure (ResultCode 100 and the message in ResultString).
//
// Abort may be called from any thread: the blocked call returns and the request ends
// with false. It also fails requests started after it, until the next Reset.
class THTTPClient {
public:
    static constexpr int SaveBufferSize = 32768;

    // Document is a TMemoryStream(initialCapacity, maxSize, growthStep); maxSize -1:
    // unlimited.
    THTTPClient(int64_t initialCapacity, int64_t maxSize, int64_t growthStep);
    THTTPClient() : THTTPClient(0, -1, 4096) {}
    ~THTTPClient();
    THTTPClient(const THTTPClient&) = delete;
    THTTPClient& operator=(const THTTPClient&) = delete;

    // Connection settings ----------------------------------------------------------------

    const std::string& TargetHost() const { return targetHost_; }
    const std::string& TargetPort() const { return targetPort_; }
    // Local address to bind the connection to; empty: any.
    const std::string& IPInterface() const { return ipInterface_; }
    void SetIPInterface(const std::string& v) { ipInterface_ = v; }
    // Milliseconds for connecting and for each wait for data (0 or less: no limit).
    int Timeout() const { return timeout_; }
    void SetTimeout(int milliseconds) { timeout_ = milliseconds; }
    // Kept for the callers that set them; requests take their credentials from the URL.
    const std::string& UserName() const { return userName_; }
    void SetUserName(const std::string& v) { userName_ = v; }
    const std::string& Password() const { return password_; }
    void SetPassword(const std::string& v) { password_ = v; }

    TTCPBlockSocket& Sock() { return *sock_; }

    const std::string& ProxyHost() const { return proxyHost_; }
    void SetProxyHost(const std::string& v) { proxyHost_ = v; }
    const std::string& ProxyPort() const { return proxyPort_; }
    void SetProxyPort(const std::string& v) { proxyPort_ = v; }
    const std::string& ProxyUser() const { return proxyUser_; }
    void SetProxyUser(const std::string& v) { proxyUser_ = v; }
    const std::string& ProxyPass() const { return proxyPass_; }
    void SetProxyPass(const std::string& v) { proxyPass_ = v; }

    // Request settings -------------------------------------------------------------------

    bool KeepAlive() const { return keepAlive_; }
    void SetKeepAlive(bool v) { keepAlive_ = v; }
    // "1.0", "1.1" or "0.9".
    const std::string& Protocol() const { return protocol_; }
    void SetProtocol(const std::string& v) { protocol_ = v; }
    // Content-Type of the body to send; after a request, that of the response.
    const std::string& MimeType() const { return mimeType_; }
    void SetMimeType(const std::string& v) { mimeType_ = v; }
    const std::string& UserAgent() const { return userAgent_; }
    void SetUserAgent(const std::string& v) { userAgent_ = v; }
    // Gzip the request body. Setting it empties Document (and with DirectCompression
    // makes PostData a fresh gzip writer over it).
    THTTPCompression Compression() const { return compression_; }
    void SetCompression(THTTPCompression v);
    // Ask for a gzip response ("Accept-Encoding: gzip").
    THTTPCompression AcceptCompression() const { return acceptCompression_; }
    void SetAcceptCompression(THTTPCompression v) { acceptCompression_ = v; }
    // The caller writes the body through PostData, which compresses as it goes.
    bool DirectCompression() const { return directCompression_; }
    void SetDirectCompression(bool v) { directCompression_ = v; }
    // A gzip response stays packed in Document; Response unpacks it on reading.
    bool DirectDecompression() const { return directDecompression_; }
    void SetDirectDecompression(bool v) { directDecompression_ = v; }
    // The password of URL credentials is sent as its MD5 digest.
    bool HashPassword() const { return hashPassword_; }
    void SetHashPassword(bool v) { hashPassword_ = v; }
    // With a body and protocol "1.1": ask for and wait for "100 Continue" first.
    bool Status100() const { return status100_; }
    void SetStatus100(bool v) { status100_ = v; }
    // Bytes per second (0: no limit), applied by the socket.
    int MaxSendBandwidth() const { return sock_->MaxSendBandwidth(); }
    void SetMaxSendBandwidth(int v) { sock_->SetMaxSendBandwidth(v); }
    int MaxRecvBandwidth() const { return sock_->MaxRecvBandwidth(); }
    void SetMaxRecvBandwidth(int v) { sock_->SetMaxRecvBandwidth(v); }
    // Byte range wanted: start > 0 alone asks for "start-", end > 0 alone for "0-end".
    int64_t RangeStart() const { return rangeStart_; }
    void SetRangeStart(int64_t v) { rangeStart_ = v; }
    int64_t RangeEnd() const { return rangeEnd_; }
    void SetRangeEnd(int64_t v) { rangeEnd_ = v; }

    void SetOnSaveData(THTTPSaveDataEvent handler) { onSaveData_ = std::move(handler); }
    const THTTPSaveDataEvent& OnSaveData() const { return onSaveData_; }

    // Request and response ---------------------------------------------------------------

    // One "name=value" line per cookie; sent with every request, updated from responses.
    std::vector<std::string>& Cookies() { return cookies_; }
    // Before a request: extra header lines; after it: the response's head.
    std::vector<std::string>& Headers() { return headers_; }
    TMemoryStream& Document() { return *document_; }
    // Where the caller writes the body: a gzip writer over Document with gzip
    // Compression and DirectCompression, else Document.
    TStream& PostData();
    // Where the caller reads the body: a gzip reader over Document for a gzip response
    // with DirectDecompression, else Document.
    TStream& Response();

    int ResultCode() const { return resultCode_.load(); }
    std::string ResultString() const;
    // Total size of the resource (Content-Length, or the total of a 206's Content-Range);
    // -1 unknown.
    int64_t RealSize() const { return realSize_; }
    int64_t UploadSize() const { return uploadSize_.load(); }
    int64_t DownloadSize() const { return downloadSize_.load(); }
    bool MaxSizeExceeded() const { return maxSizeExceeded_; }
    const std::string& LastHost() const { return lastHost_; }
    // Realm of a Basic authentication challenge among the response's headers.
    std::string Realm() const;

    // Clears the last request's state (and the cookies when asked) and an abort.
    void Reset(bool clearCookies);
    bool SendRequest(const std::string& method, const std::string& url);
    // Thread-safe.
    void Abort();

private:
    enum class Framing { UntilClose, Length, Chunked };

    void ResetState(bool clearCookies);
    bool DoRequest(const std::string& method, const std::string& url);
    void CloseConnection();
    void SetResultString(const std::string& text);
    void ParseStatusLine(const std::string& line);
    bool ReadBytes(int64_t count);
    bool ReadChunked();
    void ReadUntilClose();
    bool AppendToDocument(const char* data, int64_t count);
    void FlushSaveBuffer();
    void ParseCookies();
    bool UnpackDocument();
    int Wait() const { return timeout_ > 0 ? timeout_ : -1; }

    std::unique_ptr<TTCPBlockSocket> sock_;
    std::string targetHost_, targetPort_, ipInterface_, userName_, password_;
    int timeout_ = 90000;

    std::string proxyHost_, proxyPort_, proxyUser_, proxyPass_;
    std::string keptHost_, keptPort_;  // the connection kept alive
    std::string lastHost_;
    std::string protocol_ = "1.0";
    Framing framing_ = Framing::UntilClose;
    std::string mimeType_ = "text/html";
    std::string userAgent_ = "Mozilla/4.0 (compatible)";
    THTTPCompression compression_ = THTTPCompression::httpcNone;
    THTTPCompression acceptCompression_ = THTTPCompression::httpcNone;
    bool directCompression_ = false;
    bool directDecompression_ = false;
    bool hashPassword_ = false;
    bool keepAlive_ = true;
    std::vector<std::string> cookies_;
    std::vector<std::string> headers_;
    std::unique_ptr<TMemoryStream> document_;
    std::unique_ptr<TGzipWriter> gzipWriter_;
    std::unique_ptr<TGzipReader> gzipReader_;
    bool status100_ = false;
    int64_t realSize_ = -1;
    std::atomic<int64_t> uploadSize_{0};
    std::atomic<int64_t> downloadSize_{0};
    bool maxSizeExceeded_ = false;
    int64_t rangeStart_ = 0;
    int64_t rangeEnd_ = 0;
    int64_t delivered_ = 0;   // offset in the resource of the next byte handed to OnSaveData
    int64_t bodyTaken_ = 0;   // body bytes received for this response
    std::atomic<int> resultCode_{-1};
    mutable std::mutex resultStringMutex_;
    std::string resultString_;
    int saveFill_ = 0;
    std::vector<char> saveBuffer_;
    THTTPSaveDataEvent onSaveData_;
};

} // namespace orlinda
