#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

namespace orlinda {

// Error codes of the socket layer. Failures of the system calls carry the system's own
// errno value (ETIMEDOUT, ECONNREFUSED, ECONNRESET for a peer that closed, ECONNABORTED
// after Abort); failures that have no errno value carry these.
namespace SocketError {
inline constexpr int HostNotFound = 20001;         // the name could not be resolved
inline constexpr int TlsFailed = 20002;            // the TLS handshake failed
inline constexpr int CertificateRejected = 20003;  // the server's certificate was not trusted
inline constexpr int TunnelRefused = 20004;        // the proxy refused the CONNECT tunnel
inline constexpr int LineTooLong = 20005;          // a received line exceeded the limit
inline constexpr int BadResponse = 20006;          // the peer broke the protocol
inline constexpr int InvalidRequest = 20007;       // the request cannot be sent as given
} // namespace SocketError

// English text of a socket error code: the layer's own texts for the codes above, the
// system's message for errno values.
std::string SocketErrorText(int code);

// The environment variable that names an extra file of trusted certificate authorities
// (PEM), trusted beside the system's store.
inline constexpr const char* CAFileVariable = "ORLINDA_CA_FILE";

// A blocking TCP connection with optional TLS, used by one thread at a time. Every call
// waits at most its time-out; Abort, callable from any thread, makes a blocked call
// return with ECONNABORTED. Failures set LastError and LastErrorDesc and return false
// (or a short count); the next call clears them.
class TTCPBlockSocket {
public:
    TTCPBlockSocket();
    ~TTCPBlockSocket();
    TTCPBlockSocket(const TTCPBlockSocket&) = delete;
    TTCPBlockSocket& operator=(const TTCPBlockSocket&) = delete;

    // Settings ---------------------------------------------------------------------------

    // Time-out of connecting, of the TLS handshake and of sends, in milliseconds
    // (0 or less: no time-out).
    void SetTimeout(int milliseconds) { timeout_ = milliseconds; }
    int Timeout() const { return timeout_; }
    // A received line may end in CR LF, LF or CR (on); only CR LF (off).
    void SetConvertLineEnd(bool on) { convertLineEnd_ = on; }
    // Smallest kernel buffer sizes of each new connection (0: the system's default).
    void SetSizeRecvBuffer(int bytes) { recvBufferSize_ = bytes; }
    void SetSizeSendBuffer(int bytes) { sendBufferSize_ = bytes; }
    // Longest line RecvString accepts (LineTooLong beyond it).
    void SetMaxLineLength(size_t bytes) { maxLineLength_ = bytes; }
    // Bandwidth limits in bytes per second (0: none).
    void SetMaxSendBandwidth(int bytesPerSecond) { maxSendBandwidth_ = bytesPerSecond; }
    void SetMaxRecvBandwidth(int bytesPerSecond) { maxRecvBandwidth_ = bytesPerSecond; }
    int MaxSendBandwidth() const { return maxSendBandwidth_; }
    int MaxRecvBandwidth() const { return maxRecvBandwidth_; }
    // An extra file of trusted authorities; empty: the ORLINDA_CA_FILE variable, if set.
    void SetCAFile(const std::string& fileName);
    const std::string& CAFile() const { return caFile_; }

    // HTTP proxy for a CONNECT tunnel: when HTTPTunnelIP is set, Connect reaches its
    // host through the proxy. Basic credentials are sent when HTTPTunnelUser is set.
    std::string HTTPTunnelIP;
    std::string HTTPTunnelPort;
    std::string HTTPTunnelUser;
    std::string HTTPTunnelPass;

    // Connection -------------------------------------------------------------------------

    // Local address (and port) of the next connections; empty or "0.0.0.0": any.
    bool Bind(const std::string& ip, const std::string& port);
    // Resolves the host (IPv4 and IPv6) and connects to the first address that answers,
    // through the tunnel when one is set.
    bool Connect(const std::string& host, const std::string& port);
    // Starts TLS on the connection: server-name indication and verification of the
    // certificate chain and of the host name against the system's trust store (and the
    // extra CA file). A rejected certificate fails with CertificateRejected.
    bool SSLDoConnect();
    void CloseSocket();
    bool Connected() const { return fd_ >= 0; }
    bool UsingTLS() const { return ssl_ != nullptr; }

    // Aborting ---------------------------------------------------------------------------

    // Thread-safe: raises the stop flag and shuts the connection down under any blocked
    // call, which then returns ECONNABORTED. The flag stays raised (and every call fails)
    // until ResetStop.
    void Abort();
    // Raises the stop flag alone; blocked calls notice it at once as with Abort.
    void SetStopFlag();
    bool StopFlag() const { return stop_.load(); }
    void ResetStop();

    // Transfer ---------------------------------------------------------------------------

    bool SendString(const std::string& data);
    bool SendBuffer(const void* data, size_t size);
    // One line without its end; "" with LastError set on failure (an empty line is a
    // success with LastError 0).
    std::string RecvString(int timeout);
    // Exactly size bytes; returns the count received (less than size on failure).
    int64_t RecvBufferEx(void* buffer, int64_t size, int timeout);
    // Whatever arrives first, at most size bytes; 0 on failure (peer close, time-out).
    int64_t RecvPacket(void* buffer, int64_t size, int timeout);
    std::string RecvPacket(int timeout);
    // True when a read would not block (data, or the peer closed); timeout 0: no wait.
    bool CanRead(int timeout);
    // Drops all buffered and immediately available input.
    void Purge();

    // Errors -----------------------------------------------------------------------------

    int LastError() const { return lastError_; }
    const std::string& LastErrorDesc() const { return lastErrorDesc_; }
    // For protocols on top: records a failure of their own in the socket's error.
    void SetLastError(int code, const std::string& description = std::string());

private:
    enum class Wait { Ready, TimedOut, Aborted, Failed };
    using SteadyTime = std::chrono::steady_clock::time_point;

    void ClearError();
    void SetSystemError(int code);
    bool CheckStop();
    Wait WaitFor(short events, int timeout);
    bool ConnectDirect(const std::string& host, const std::string& port);
    bool OpenTunnel(const std::string& host, const std::string& port);
    bool SetupTLSContext();
    // Raw transfer over TCP or TLS. RawRecv: > 0 bytes, 0 on failure (error set).
    int64_t RawRecv(void* buffer, int64_t size, int timeout);
    bool RawSend(const char* data, size_t size);
    bool Fill(int timeout);
    void ConsumePendingLF();
    void Throttle(int64_t bytes, int limit, SteadyTime& next);

    std::atomic<int> fd_{-1};
    int wakeFd_ = -1;
    std::mutex fdMutex_;  // guards closing fd_ against Abort's shutdown
    std::atomic<bool> stop_{false};

    SSL_CTX* ctx_ = nullptr;
    SSL* ssl_ = nullptr;
    std::string caFile_;
    std::string ctxCAFile_;  // the CA file ctx_ was built with

    std::string remoteHost_;  // host named to Connect: server name and certificate check
    std::string localIP_;
    std::string localPort_;

    int timeout_ = 0;
    bool convertLineEnd_ = false;
    bool pendingLF_ = false;  // a line ended in CR at the buffer's end: drop a following LF
    int recvBufferSize_ = 0;
    int sendBufferSize_ = 0;
    size_t maxLineLength_ = 1 << 20;
    int maxSendBandwidth_ = 0;
    int maxRecvBandwidth_ = 0;
    SteadyTime nextSend_{};
    SteadyTime nextRecv_{};

    std::vector<char> buffer_;
    size_t bufStart_ = 0;
    size_t bufEnd_ = 0;

    int lastError_ = 0;
    std::string lastErrorDesc_;
};

} // namespace orlinda
