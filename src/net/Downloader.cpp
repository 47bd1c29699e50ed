#include "net/Downloader.h"

#include "core/Clock.h"
#include "core/Log.h"
#include "net/ResultText.h"
#include "net/UpdateFiles.h"
#include "platform/Folders.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlinda {

namespace {

// General result codes of a download.
constexpr int CodeUnknown = -1;
constexpr int CodeAborted = 2;
constexpr int CodeBadSize = 52;
constexpr int CodeCannotCreateFolder = 103;
constexpr int CodeCannotCreateFile = 104;
constexpr int CodeCannotOpenFile = 105;
constexpr int CodeFileSizeChanged = 108;
constexpr int CodeRetriesExceeded = 203;
constexpr int CodeTimeout = 204;
constexpr int CodeCrcError = 551;
constexpr int CodeWriteError = 604;
constexpr int CodeReadError = 605;

constexpr int MinimumRequestTimeout = 1000;

} // namespace

TDownloader::TDownloader() : client_(32768, -1, 4096)
{
    client_.SetOnSaveData([this](THTTPClient& sender, int httpCode, int64_t offset, const char* data, int size) {
        OnData(sender, httpCode, offset, data, size);
    });
}

TDownloader::~TDownloader()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void TDownloader::Abort()
{
    abort_ = true;
    client_.Abort();
}

void TDownloader::SetProxy(const std::string& host, const std::string& port, const std::string& user,
                           const std::string& password)
{
    proxyHost_ = host;
    proxyPort_ = port;
    proxyUser_ = user;
    proxyPass_ = password;
}

uint32_t TDownloader::Elapsed() const
{
    return TickCount() - start_;
}

bool TDownloader::TimeUp() const
{
    return Elapsed() > static_cast<uint32_t>(std::max(timings_.Budget, 0));
}

void TDownloader::Pause(int ms)
{
    const uint32_t from = TickCount();
    while (!abort_ && !TimeUp() && TickCount() - from < static_cast<uint32_t>(std::max(ms, 0)))
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(50, ms)));
}

int TDownloader::OpenTarget(const std::string& fileName)
{
    if (::access(fileName.c_str(), F_OK) == 0) {
        fd_ = ::open(fileName.c_str(), O_RDWR | O_CLOEXEC);
        return fd_ >= 0 ? 0 : CodeCannotOpenFile;
    }
    const std::string folder = FolderOf(fileName);
    if (!folder.empty() && !CreateFolderWithParents(folder))
        return CodeCannotCreateFolder;
    fd_ = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    return fd_ >= 0 ? 0 : CodeCannotCreateFile;
}

int64_t TDownloader::FileLength() const
{
    struct stat st {};
    return ::fstat(fd_, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

bool TDownloader::Truncate()
{
    return ::ftruncate(fd_, 0) == 0;
}

int TDownloader::Complete()
{
    int64_t length = FileLength();
    if (length < 0)
        return -1;
    if (length != size_)
        return 0;
    if (::lseek(fd_, 0, SEEK_SET) != 0)
        return -1;
    uint32_t crc = 0;
    int64_t read = 0;
    if (!DescriptorCrc32(fd_, crc, read))
        return -1;
    return read == size_ && crc == crc_ ? 1 : 0;
}

bool TDownloader::Succeed()
{
    SetResult(ResultKind::Success, 0);
    return true;
}

void TDownloader::OnData(THTTPClient& sender, int httpCode, int64_t offset, const char* data, int size)
{
    if (fd_ < 0 || done_ || stop_)
        return;
    if (httpCode != 200 && httpCode != 206) {
        SetResult(ResultKind::Http, httpCode);
        // The body of a passing server error is dropped and the request tried again.
        if (httpCode == 500 || httpCode == 503)
            return;
        stop_ = true;
        sender.Abort();
        return;
    }
    if (offset < 0 || offset + size > size_) {
        // More than the file should hold: nothing is written past its end.
        SetResult(ResultKind::General, CodeFileSizeChanged);
        stop_ = true;
        sender.Abort();
        return;
    }
    const char* p = data;
    int64_t left = size;
    int64_t at = offset;
    while (left > 0) {
        ssize_t n = ::pwrite(fd_, p, static_cast<size_t>(left), at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            SetResult(ResultKind::General, CodeWriteError);
            stop_ = true;
            sender.Abort();
            return;
        }
        p += n;
        left -= n;
        at += n;
    }
    sinceCheck_ += size;
    if (sinceCheck_ >= interval_ || offset + size == size_) {
        sinceCheck_ = 0;
        int complete = Complete();
        if (complete < 0) {
            SetResult(ResultKind::General, CodeReadError);
            stop_ = true;
            sender.Abort();
        } else if (complete > 0) {
            done_ = true;
            sender.Abort();
        }
    }
}

bool TDownloader::Fetch(const std::string& address, const std::string& fileName, uint32_t crc, int64_t size)
{
    SetResult(ResultKind::General, CodeUnknown);
    done_ = false;
    stop_ = false;
    start_ = TickCount();
    size_ = size;
    crc_ = crc;
    interval_ = std::max<int64_t>(size / 10, 32768);
    sinceCheck_ = 0;
    // An empty file is fine when its CRC is that of no bytes (0).
    if (size < 0 || (size == 0 && crc != 0)) {
        SetResult(ResultKind::General, CodeBadSize);
        return false;
    }

    struct Closer {
        int& fd;
        ~Closer()
        {
            if (fd >= 0)
                ::close(fd);
            fd = -1;
        }
    } closer{fd_};

    // Open (or create) the staged file, trying again while it is held elsewhere.
    int openError = 0;
    for (;;) {
        if (abort_) {
            SetResult(ResultKind::General, CodeAborted);
            return false;
        }
        if (TimeUp()) {
            SetResult(ResultKind::General, openError ? openError : CodeTimeout);
            return false;
        }
        openError = OpenTarget(fileName);
        if (openError == 0)
            break;
        SetResult(ResultKind::General, openError);
        Pause(timings_.OpenPause);
    }

    for (int attempt = 0; attempt < std::max(timings_.Attempts, 1); ++attempt) {
        if (attempt > 0)
            Pause(timings_.RetryPause);
        if (abort_) {
            SetResult(ResultKind::General, CodeAborted);
            return false;
        }
        if (TimeUp()) {
            SetResult(ResultKind::General, CodeTimeout);
            return false;
        }
        int64_t present = FileLength();
        if (present < 0) {
            SetResult(ResultKind::General, CodeReadError);
            return false;
        }
        if (present > size) {
            if (attempt > 0) {
                SetResult(ResultKind::General, CodeFileSizeChanged);
                return false;
            }
            // A longer staged file is not this one: start it anew.
            if (!Truncate()) {
                SetResult(ResultKind::General, CodeWriteError);
                return false;
            }
            present = 0;
        }
        if (present == size) {
            int complete = Complete();
            if (complete < 0) {
                SetResult(ResultKind::General, CodeReadError);
                return false;
            }
            if (complete > 0)
                return Succeed();
            // All there but not right: fetched again from the start.
            if (!Truncate()) {
                SetResult(ResultKind::General, CodeWriteError);
                return false;
            }
            present = 0;
        }

        client_.Reset(true);
        client_.SetProxyHost(proxyHost_);
        client_.SetProxyPort(proxyPort_);
        client_.SetProxyUser(proxyUser_);
        client_.SetProxyPass(proxyPass_);
        int64_t left = static_cast<int64_t>(timings_.Budget) - Elapsed();
        if (present > 0 && size > 0)
            left = left * (size - present) / size;
        client_.SetTimeout(static_cast<int>(std::clamp<int64_t>(left, MinimumRequestTimeout, 0x7FFFFFFF)));
        if (present > 0)
            client_.SetRangeStart(present);
        // Checked after Reset, which clears an abort of the client.
        if (abort_) {
            SetResult(ResultKind::General, CodeAborted);
            return false;
        }
        done_ = false;
        stop_ = false;
        sinceCheck_ = 0;
        const bool responded = client_.SendRequest("GET", address);
        if (stop_)
            return false;  // the result says why
        if (done_)
            return Succeed();
        if (responded) {
            int complete = Complete();
            if (complete < 0) {
                SetResult(ResultKind::General, CodeReadError);
                return false;
            }
            if (complete > 0)
                return Succeed();
            const int status = client_.ResultCode();
            if (status == 200 || status == 206) {
                if (present > 0) {
                    // What was there before does not fit the rest: from the start.
                    if (!Truncate()) {
                        SetResult(ResultKind::General, CodeWriteError);
                        return false;
                    }
                } else {
                    SetResult(ResultKind::General, CodeCrcError);
                }
            } else {
                SetResult(ResultKind::Http, status);
            }
        } else if (abort_) {
            SetResult(ResultKind::General, CodeAborted);
            return false;
        } else if (client_.Sock().LastError() != 0) {
            SetResult(ResultKind::Socket, client_.Sock().LastError());
        } else {
            SetResult(ResultKind::General, CodeUnknown);
        }
        Log("Downloader: " + address + ": " + ResultText(ResultKind(), ResultCode()));
    }
    SetResult(ResultKind::General, CodeRetriesExceeded);
    return false;
}

} // namespace orlinda
