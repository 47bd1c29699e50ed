#include "net/Socket.h"

#include "core/Base64.h"
#include "net/Url.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orlinda {

namespace {

constexpr size_t BufferSize = 65536;

// A peer that vanishes must give an error, not kill the program: writes to a closed
// connection (also OpenSSL's own) would otherwise raise SIGPIPE.
void IgnoreSigPipe()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current {};
        if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            std::signal(SIGPIPE, SIG_IGN);
    });
}

std::string SystemMessage(int code)
{
    char buffer[512];
    buffer[0] = 0;
    // The GNU variant returns the text (possibly a static one).
    const char* text = strerror_r(code, buffer, sizeof buffer);
    return text ? text : "";
}

std::string OpenSSLErrors()
{
    std::string text;
    while (unsigned long e = ERR_get_error()) {
        char buffer[256];
        ERR_error_string_n(e, buffer, sizeof buffer);
        if (!text.empty())
            text += "; ";
        text += buffer;
    }
    return text;
}

bool IsNumericAddress(const std::string& host)
{
    in6_addr a6;
    in_addr a4;
    return inet_pton(AF_INET, host.c_str(), &a4) == 1 || inet_pton(AF_INET6, host.c_str(), &a6) == 1;
}

int Remaining(std::chrono::steady_clock::time_point deadline, bool limited)
{
    if (!limited)
        return -1;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    return left > 0 ? static_cast<int>(std::min<long long>(left, INT_MAX)) : 0;
}

void RaiseBuffer(int s, int option, int size)
{
    if (size <= 0)
        return;
    int current = 0;
    socklen_t len = sizeof current;
    // Linux reports twice the size that was asked for (its bookkeeping share included).
    if (getsockopt(s, SOL_SOCKET, option, &current, &len) == 0 && current / 2 >= size)
        return;
    setsockopt(s, SOL_SOCKET, option, &size, sizeof size);
}

} // namespace

std::string SocketErrorText(int code)
{
    switch (code) {
    case 0:
        return "OK";
    case SocketError::HostNotFound:
        return "The host name could not be resolved";
    case SocketError::TlsFailed:
        return "The secure connection could not be established";
    case SocketError::CertificateRejected:
        return "The server's certificate was not accepted";
    case SocketError::TunnelRefused:
        return "The proxy refused the tunnel";
    case SocketError::LineTooLong:
        return "The received line is too long";
    case SocketError::BadResponse:
        return "The server's response could not be understood";
    case SocketError::InvalidRequest:
        return "The request is not valid";
    default:
        return SystemMessage(code);
    }
}

TTCPBlockSocket::TTCPBlockSocket() : buffer_(BufferSize)
{
    IgnoreSigPipe();
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

TTCPBlockSocket::~TTCPBlockSocket()
{
    CloseSocket();
    if (ctx_)
        SSL_CTX_free(ctx_);
    if (wakeFd_ >= 0)
        close(wakeFd_);
}

void TTCPBlockSocket::SetCAFile(const std::string& fileName)
{
    caFile_ = fileName;
}

void TTCPBlockSocket::ClearError()
{
    lastError_ = 0;
    lastErrorDesc_.clear();
}

void TTCPBlockSocket::SetLastError(int code, const std::string& description)
{
    lastError_ = code;
    lastErrorDesc_ = description.empty() && code != 0 ? SocketErrorText(code) : description;
}

void TTCPBlockSocket::SetSystemError(int code)
{
    if (code == ECONNRESET)
        SetLastError(code, "The connection was closed by the peer");
    else if (code == ECONNABORTED)
        SetLastError(code, "The operation was aborted");
    else
        SetLastError(code);
}

bool TTCPBlockSocket::CheckStop()
{
    if (!stop_.load())
        return false;
    SetSystemError(ECONNABORTED);
    return true;
}

// ---------------------------------------------------------------------------------------
// Aborting

void TTCPBlockSocket::SetStopFlag()
{
    stop_.store(true);
    if (wakeFd_ >= 0) {
        uint64_t one = 1;
        [[maybe_unused]] ssize_t n = write(wakeFd_, &one, sizeof one);
    }
}

void TTCPBlockSocket::Abort()
{
    SetStopFlag();
    // The descriptor itself is closed by the owning thread; closing it here could hit a
    // descriptor number reused meanwhile.
    std::lock_guard<std::mutex> lock(fdMutex_);
    int fd = fd_.load();
    if (fd >= 0)
        shutdown(fd, SHUT_RDWR);
}

void TTCPBlockSocket::ResetStop()
{
    stop_.store(false);
    if (wakeFd_ >= 0) {
        uint64_t value;
        while (read(wakeFd_, &value, sizeof value) > 0) {
        }
    }
}

TTCPBlockSocket::Wait TTCPBlockSocket::WaitFor(short events, int timeout)
{
    auto start = std::chrono::steady_clock::now();
    for (;;) {
        if (stop_.load())
            return Wait::Aborted;
        pollfd fds[2] = {{fd_.load(), events, 0}, {wakeFd_, POLLIN, 0}};
        int wait = timeout;
        if (timeout > 0) {
            auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
            wait = spent >= timeout ? 0 : static_cast<int>(timeout - spent);
        }
        int r = poll(fds, wakeFd_ >= 0 ? 2 : 1, timeout < 0 ? -1 : wait);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return Wait::Failed;
        }
        if (stop_.load() || (wakeFd_ >= 0 && (fds[1].revents & POLLIN)))
            return Wait::Aborted;
        if (r == 0)
            return Wait::TimedOut;
        if (fds[0].revents)
            return Wait::Ready;
    }
}

void TTCPBlockSocket::Throttle(int64_t bytes, int limit, SteadyTime& next)
{
    if (limit <= 0 || bytes <= 0)
        return;
    auto now = std::chrono::steady_clock::now();
    if (next < now)
        next = now;
    next += std::chrono::nanoseconds(bytes * 1000000000LL / limit);
    // Sleep until the average rate is back at the limit; an abort cuts the sleep short.
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(next - std::chrono::steady_clock::now()).count();
        if (left <= 0 || stop_.load())
            return;
        pollfd p{wakeFd_, POLLIN, 0};
        poll(&p, wakeFd_ >= 0 ? 1 : 0, static_cast<int>(std::min<long long>(left, 50)));
    }
}

// ---------------------------------------------------------------------------------------
// Connection

bool TTCPBlockSocket::Bind(const std::string& ip, const std::string& port)
{
    ClearError();
    localIP_ = ip == "0.0.0.0" || ip == "::" ? std::string() : ip;
    localPort_ = port;
    return true;
}

bool TTCPBlockSocket::Connect(const std::string& host, const std::string& port)
{
    CloseSocket();
    ClearError();
    if (CheckStop())
        return false;
    remoteHost_ = host;
    if (HTTPTunnelIP.empty())
        return ConnectDirect(host, port);
    if (!ConnectDirect(HTTPTunnelIP, HTTPTunnelPort.empty() ? "8080" : HTTPTunnelPort))
        return false;
    if (!OpenTunnel(host, port)) {
        int code = lastError_;
        std::string desc = lastErrorDesc_;
        CloseSocket();
        SetLastError(code, desc);
        return false;
    }
    return true;
}

bool TTCPBlockSocket::ConnectDirect(const std::string& host, const std::string& port)
{
    if (host.empty()) {
        SetLastError(SocketError::HostNotFound, "No host name given");
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    int rc = getaddrinfo(host.c_str(), port.c_str(), &hints, &list);
    if (rc != 0) {
        SetLastError(SocketError::HostNotFound, "Cannot resolve \"" + host + "\" (port \"" + port + "\"): " + gai_strerror(rc));
        return false;
    }
    if (CheckStop()) {
        freeaddrinfo(list);
        return false;
    }

    bool limited = timeout_ > 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_);
    int error = ECONNREFUSED;
    std::string errorDesc;
    for (addrinfo* ai = list; ai; ai = ai->ai_next) {
        int s = socket(ai->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
        if (s < 0) {
            error = errno;
            continue;
        }
        // The sizes are minimums: a larger system default is kept, since fixing the size
        // would also switch off the kernel's own tuning of the buffers.
        RaiseBuffer(s, SO_RCVBUF, recvBufferSize_);
        RaiseBuffer(s, SO_SNDBUF, sendBufferSize_);
        int one = 1;
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);

        if (!localIP_.empty() || (!localPort_.empty() && localPort_ != "0")) {
            addrinfo lh{};
            lh.ai_family = ai->ai_family;
            lh.ai_socktype = SOCK_STREAM;
            lh.ai_flags = AI_PASSIVE;
            addrinfo* local = nullptr;
            int lrc = getaddrinfo(localIP_.empty() ? nullptr : localIP_.c_str(),
                                  localPort_.empty() ? "0" : localPort_.c_str(), &lh, &local);
            bool bound = lrc == 0 && bind(s, local->ai_addr, local->ai_addrlen) == 0;
            if (!bound) {
                error = lrc == 0 ? errno : EADDRNOTAVAIL;
                errorDesc = "Cannot bind to the local address \"" + localIP_ + "\": " + SocketErrorText(error);
            }
            if (local)
                freeaddrinfo(local);
            if (!bound) {
                close(s);
                continue;
            }
        }

        {
            std::lock_guard<std::mutex> lock(fdMutex_);
            fd_ = s;
        }
        int r = connect(s, ai->ai_addr, ai->ai_addrlen);
        if (r != 0 && errno == EINPROGRESS) {
            Wait w = WaitFor(POLLOUT, Remaining(deadline, limited));
            if (w == Wait::Ready) {
                int soError = 0;
                socklen_t len = sizeof soError;
                getsockopt(s, SOL_SOCKET, SO_ERROR, &soError, &len);
                r = soError == 0 ? 0 : -1;
                errno = soError;
            } else if (w == Wait::Aborted) {
                CloseSocket();
                freeaddrinfo(list);
                SetSystemError(ECONNABORTED);
                return false;
            } else {
                r = -1;
                errno = w == Wait::TimedOut ? ETIMEDOUT : errno;
            }
        }
        if (r == 0) {
            freeaddrinfo(list);
            if (CheckStop()) {
                CloseSocket();
                return false;
            }
            return true;
        }
        error = errno;
        errorDesc.clear();
        CloseSocket();
        if (limited && Remaining(deadline, true) == 0)
            break;
    }
    freeaddrinfo(list);
    if (errorDesc.empty())
        SetSystemError(error);
    else
        SetLastError(error, errorDesc);
    return false;
}

bool TTCPBlockSocket::OpenTunnel(const std::string& host, const std::string& port)
{
    std::string target = UrlHost(host) + ":" + port;
    std::string request = "CONNECT " + target + " HTTP/1.0\r\nHost: " + target + "\r\n";
    if (!HTTPTunnelUser.empty())
        request += "Proxy-Authorization: Basic " + Base64Encode(HTTPTunnelUser + ":" + HTTPTunnelPass) + "\r\n";
    request += "\r\n";
    if (!SendString(request))
        return false;
    int wait = timeout_ > 0 ? timeout_ : -1;
    std::string status;
    do {
        status = RecvString(wait);
        if (lastError_)
            return false;
    } while (status.empty());
    for (;;) {
        std::string line = RecvString(wait);
        if (lastError_)
            return false;
        if (line.empty())
            break;
    }
    // "HTTP/1.x 200 Connection established"
    int code = 0;
    if (size_t space = status.find(' '); space != std::string::npos)
        code = std::atoi(status.c_str() + space + 1);
    if (code != 200) {
        SetLastError(SocketError::TunnelRefused, "The proxy refused the tunnel: " + status);
        return false;
    }
    return true;
}

bool TTCPBlockSocket::SetupTLSContext()
{
    std::string ca = caFile_;
    if (ca.empty()) {
        const char* env = std::getenv(CAFileVariable);
        ca = env ? env : "";
    }
    if (ctx_ && ctxCAFile_ == ca)
        return true;
    if (ctx_) {
        SSL_CTX_free(ctx_);
        ctx_ = nullptr;
    }
    ERR_clear_error();
    SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
    if (!ctx) {
        SetLastError(SocketError::TlsFailed, "Cannot set up TLS: " + OpenSSLErrors());
        return false;
    }
    SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
    SSL_CTX_set_default_verify_paths(ctx);
    if (!ca.empty() && SSL_CTX_load_verify_locations(ctx, ca.c_str(), nullptr) != 1) {
        SetLastError(SocketError::TlsFailed, "Cannot load the trusted authorities from \"" + ca + "\": " + OpenSSLErrors());
        SSL_CTX_free(ctx);
        return false;
    }
    ERR_clear_error();
    SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
    SSL_CTX_set_mode(ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // A peer that closes without a TLS close notice ends the data like a plain close;
    // the protocol on top still tells a cut body from a whole one.
    SSL_CTX_set_options(ctx, SSL_OP_IGNORE_UNEXPECTED_EOF);
    ctx_ = ctx;
    ctxCAFile_ = ca;
    return true;
}

bool TTCPBlockSocket::SSLDoConnect()
{
    ClearError();
    if (fd_ < 0) {
        SetSystemError(ENOTCONN);
        return false;
    }
    if (CheckStop() || !SetupTLSContext())
        return false;
    ssl_ = SSL_new(ctx_);
    if (!ssl_) {
        SetLastError(SocketError::TlsFailed, "Cannot set up TLS: " + OpenSSLErrors());
        return false;
    }
    SSL_set_fd(ssl_, fd_);
    bool ok = true;
    if (IsNumericAddress(remoteHost_)) {
        ok = X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl_), remoteHost_.c_str()) == 1;
    } else {
        ok = SSL_set_tlsext_host_name(ssl_, remoteHost_.c_str()) == 1 && SSL_set1_host(ssl_, remoteHost_.c_str()) == 1;
    }
    if (!ok) {
        SetLastError(SocketError::TlsFailed, "Cannot set up TLS for \"" + remoteHost_ + "\": " + OpenSSLErrors());
        SSL_free(ssl_);
        ssl_ = nullptr;
        return false;
    }

    int wait = timeout_ > 0 ? timeout_ : -1;
    for (;;) {
        ERR_clear_error();
        errno = 0;
        int r = SSL_connect(ssl_);
        if (r == 1)
            return true;
        int err = SSL_get_error(ssl_, r);
        Wait w = Wait::Failed;
        if (err == SSL_ERROR_WANT_READ)
            w = WaitFor(POLLIN, wait);
        else if (err == SSL_ERROR_WANT_WRITE)
            w = WaitFor(POLLOUT, wait);
        if (w == Wait::Ready)
            continue;

        if (w == Wait::Aborted) {
            SetSystemError(ECONNABORTED);
        } else if (w == Wait::TimedOut) {
            SetSystemError(ETIMEDOUT);
        } else {
            long verify = SSL_get_verify_result(ssl_);
            std::string details = OpenSSLErrors();
            if (verify != X509_V_OK) {
                SetLastError(SocketError::CertificateRejected,
                             "The certificate of \"" + remoteHost_ + "\" was not accepted: " +
                                 X509_verify_cert_error_string(verify));
            } else if (err == SSL_ERROR_SYSCALL && details.empty()) {
                SetLastError(SocketError::TlsFailed,
                             "TLS handshake failed: " + (errno ? SocketErrorText(errno) : std::string("the peer closed the connection")));
            } else {
                SetLastError(SocketError::TlsFailed, "TLS handshake failed: " + details);
            }
        }
        SSL_free(ssl_);
        ssl_ = nullptr;
        return false;
    }
}

void TTCPBlockSocket::CloseSocket()
{
    if (ssl_) {
        // A close notice if it goes out at once; the peer needs no answer.
        ERR_clear_error();
        SSL_shutdown(ssl_);
        ERR_clear_error();
        SSL_free(ssl_);
        ssl_ = nullptr;
    }
    {
        std::lock_guard<std::mutex> lock(fdMutex_);
        int fd = fd_.exchange(-1);
        if (fd >= 0)
            close(fd);
    }
    bufStart_ = bufEnd_ = 0;
    pendingLF_ = false;
}

// ---------------------------------------------------------------------------------------
// Raw transfer

int64_t TTCPBlockSocket::RawRecv(void* buffer, int64_t size, int timeout)
{
    if (fd_ < 0) {
        SetSystemError(ENOTCONN);
        return 0;
    }
    if (maxRecvBandwidth_ > 0)
        size = std::min<int64_t>(size, std::max(1, maxRecvBandwidth_ / 20));
    size = std::min<int64_t>(size, INT_MAX);
    for (;;) {
        if (CheckStop())
            return 0;
        Wait w;
        if (ssl_) {
            ERR_clear_error();
            errno = 0;
            int n = SSL_read(ssl_, buffer, static_cast<int>(size));
            if (n > 0) {
                Throttle(n, maxRecvBandwidth_, nextRecv_);
                return n;
            }
            int err = SSL_get_error(ssl_, n);
            if (err == SSL_ERROR_WANT_READ) {
                w = WaitFor(POLLIN, timeout);
            } else if (err == SSL_ERROR_WANT_WRITE) {
                w = WaitFor(POLLOUT, timeout);
            } else {
                if (CheckStop())
                    return 0;
                if (err == SSL_ERROR_ZERO_RETURN || (err == SSL_ERROR_SYSCALL && errno == 0))
                    SetSystemError(ECONNRESET);
                else if (err == SSL_ERROR_SYSCALL)
                    SetSystemError(errno);
                else
                    SetLastError(SocketError::TlsFailed, "TLS error: " + OpenSSLErrors());
                return 0;
            }
        } else {
            ssize_t n = recv(fd_, buffer, static_cast<size_t>(size), 0);
            if (n > 0) {
                Throttle(n, maxRecvBandwidth_, nextRecv_);
                return n;
            }
            if (n == 0) {
                if (!CheckStop())
                    SetSystemError(ECONNRESET);
                return 0;
            }
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                int e = errno;
                if (!CheckStop())
                    SetSystemError(e);
                return 0;
            }
            w = WaitFor(POLLIN, timeout);
        }
        if (w == Wait::Ready)
            continue;
        SetSystemError(w == Wait::TimedOut ? ETIMEDOUT : w == Wait::Aborted ? ECONNABORTED : errno);
        return 0;
    }
}

bool TTCPBlockSocket::RawSend(const char* data, size_t size)
{
    if (fd_ < 0) {
        SetSystemError(ENOTCONN);
        return false;
    }
    int wait = timeout_ > 0 ? timeout_ : -1;
    while (size > 0) {
        if (CheckStop())
            return false;
        size_t piece = std::min<size_t>(size, INT_MAX);
        if (maxSendBandwidth_ > 0)
            piece = std::min<size_t>(piece, std::max(1, maxSendBandwidth_ / 20));
        Wait w;
        if (ssl_) {
            ERR_clear_error();
            errno = 0;
            int n = SSL_write(ssl_, data, static_cast<int>(piece));
            if (n > 0) {
                data += n;
                size -= static_cast<size_t>(n);
                Throttle(n, maxSendBandwidth_, nextSend_);
                continue;
            }
            int err = SSL_get_error(ssl_, n);
            if (err == SSL_ERROR_WANT_WRITE) {
                w = WaitFor(POLLOUT, wait);
            } else if (err == SSL_ERROR_WANT_READ) {
                w = WaitFor(POLLIN, wait);
            } else {
                if (CheckStop())
                    return false;
                if (err == SSL_ERROR_SYSCALL)
                    SetSystemError(errno ? errno : ECONNRESET);
                else
                    SetLastError(SocketError::TlsFailed, "TLS error: " + OpenSSLErrors());
                return false;
            }
        } else {
            ssize_t n = send(fd_, data, piece, MSG_NOSIGNAL);
            if (n > 0) {
                data += n;
                size -= static_cast<size_t>(n);
                Throttle(n, maxSendBandwidth_, nextSend_);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                int e = errno;
                if (!CheckStop())
                    SetSystemError(e);
                return false;
            }
            w = WaitFor(POLLOUT, wait);
        }
        if (w == Wait::Ready)
            continue;
        SetSystemError(w == Wait::TimedOut ? ETIMEDOUT : w == Wait::Aborted ? ECONNABORTED : errno);
        return false;
    }
    return true;
}

bool TTCPBlockSocket::Fill(int timeout)
{
    if (bufStart_ == bufEnd_) {
        bufStart_ = bufEnd_ = 0;
    } else if (bufEnd_ == buffer_.size()) {
        std::memmove(buffer_.data(), buffer_.data() + bufStart_, bufEnd_ - bufStart_);
        bufEnd_ -= bufStart_;
        bufStart_ = 0;
    }
    int64_t n = RawRecv(buffer_.data() + bufEnd_, static_cast<int64_t>(buffer_.size() - bufEnd_), timeout);
    if (n <= 0)
        return false;
    bufEnd_ += static_cast<size_t>(n);
    return true;
}

void TTCPBlockSocket::ConsumePendingLF()
{
    if (pendingLF_ && bufStart_ < bufEnd_) {
        if (buffer_[bufStart_] == '\n')
            ++bufStart_;
        pendingLF_ = false;
    }
}

// ---------------------------------------------------------------------------------------
// Transfer

bool TTCPBlockSocket::SendString(const std::string& data)
{
    return SendBuffer(data.data(), data.size());
}

bool TTCPBlockSocket::SendBuffer(const void* data, size_t size)
{
    ClearError();
    return RawSend(static_cast<const char*>(data), size);
}

std::string TTCPBlockSocket::RecvString(int timeout)
{
    ClearError();
    std::string line;
    for (;;) {
        ConsumePendingLF();
        if (bufStart_ < bufEnd_) {
            const char* p = buffer_.data() + bufStart_;
            size_t n = bufEnd_ - bufStart_;
            for (size_t i = 0; i < n; ++i) {
                char c = p[i];
                if (c == '\n') {
                    if (convertLineEnd_) {
                        line.append(p, i);
                        bufStart_ += i + 1;
                        return line;
                    }
                    bool afterCR = i > 0 ? p[i - 1] == '\r' : (!line.empty() && line.back() == '\r');
                    if (afterCR) {
                        line.append(p, i);
                        line.pop_back();
                        bufStart_ += i + 1;
                        return line;
                    }
                } else if (c == '\r' && convertLineEnd_) {
                    line.append(p, i);
                    bufStart_ += i + 1;
                    if (bufStart_ < bufEnd_) {
                        if (buffer_[bufStart_] == '\n')
                            ++bufStart_;
                    } else {
                        pendingLF_ = true;
                    }
                    return line;
                }
            }
            line.append(p, n);
            bufStart_ = bufEnd_;
        }
        if (line.size() > maxLineLength_) {
            SetLastError(SocketError::LineTooLong);
            return std::string();
        }
        if (!Fill(timeout))
            return std::string();
    }
}

int64_t TTCPBlockSocket::RecvBufferEx(void* buffer, int64_t size, int timeout)
{
    ClearError();
    char* out = static_cast<char*>(buffer);
    int64_t got = 0;
    while (got < size) {
        ConsumePendingLF();
        if (bufStart_ < bufEnd_) {
            int64_t n = std::min<int64_t>(size - got, static_cast<int64_t>(bufEnd_ - bufStart_));
            std::memcpy(out + got, buffer_.data() + bufStart_, static_cast<size_t>(n));
            bufStart_ += static_cast<size_t>(n);
            got += n;
            continue;
        }
        int64_t want = size - got;
        if (!pendingLF_ && want >= static_cast<int64_t>(buffer_.size() / 2)) {
            // Large reads go straight into the caller's memory.
            int64_t n = RawRecv(out + got, want, timeout);
            if (n <= 0)
                return got;
            got += n;
        } else if (!Fill(timeout)) {
            return got;
        }
    }
    return got;
}

int64_t TTCPBlockSocket::RecvPacket(void* buffer, int64_t size, int timeout)
{
    ClearError();
    if (size <= 0)
        return 0;
    for (;;) {
        ConsumePendingLF();
        if (bufStart_ < bufEnd_) {
            int64_t n = std::min<int64_t>(size, static_cast<int64_t>(bufEnd_ - bufStart_));
            std::memcpy(buffer, buffer_.data() + bufStart_, static_cast<size_t>(n));
            bufStart_ += static_cast<size_t>(n);
            return n;
        }
        if (!pendingLF_)
            return RawRecv(buffer, size, timeout);
        if (!Fill(timeout))
            return 0;
    }
}

std::string TTCPBlockSocket::RecvPacket(int timeout)
{
    std::string data(BufferSize, '\0');
    data.resize(static_cast<size_t>(RecvPacket(data.data(), static_cast<int64_t>(data.size()), timeout)));
    return data;
}

bool TTCPBlockSocket::CanRead(int timeout)
{
    ClearError();
    ConsumePendingLF();
    if (bufStart_ < bufEnd_)
        return true;
    if (fd_ < 0)
        return false;
    if (ssl_ && SSL_pending(ssl_) > 0)
        return true;
    return WaitFor(POLLIN, timeout) == Wait::Ready;
}

void TTCPBlockSocket::Purge()
{
    bufStart_ = bufEnd_ = 0;
    pendingLF_ = false;
    char scratch[16384];
    while (fd_ >= 0 && RawRecv(scratch, sizeof scratch, 0) > 0) {
    }
    ClearError();
}

} // namespace orlinda
