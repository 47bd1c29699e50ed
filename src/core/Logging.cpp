#include "core/Logging.h"

#include "platform/Folders.h"

#include "core/AtomicFile.h"
#include "core/Base64.h"
#include "core/Clock.h"
#include "core/FormatDateTime.h"
#include "core/Log.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace orlinda {

namespace {

// Compression feeds the log to zlib in blocks of this size.
constexpr size_t kBlockSize = 16384;

std::string WithSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

// "dir/" of "dir/name.ext" (empty for a bare name).
std::string FolderOf(const std::string& path)
{
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path)
{
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// ".ext" of the name part, from its last dot; empty when it has none.
std::string ExtensionOf(const std::string& path)
{
    std::string name = NameOf(path);
    auto dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string BaseNameOf(const std::string& path)
{
    std::string name = NameOf(path);
    return name.substr(0, name.size() - ExtensionOf(name).size());
}


bool SameKey(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

struct LoggingState {
    TLogItem main;
    std::mutex namedLock; // guards the list of named logs
    std::vector<std::shared_ptr<TLogItem>> named;
    std::mutex folderLock;
    std::string defaultFolder;
    std::atomic<bool> enabled{false};
    std::atomic<bool> closing{false};
};

LoggingState& State()
{
    static LoggingState state;
    return state;
}

std::shared_ptr<TLogItem> FindNamed(LoggingState& state, const std::string& key)
{
    std::lock_guard<std::mutex> guard(state.namedLock);
    for (const auto& item : state.named)
        if (SameKey(item->FLogName, key))
            return item;
    return nullptr;
}

// The folder to use: the wanted one when it can be created, else the default folder.
std::string UsableFolder(const std::string& wanted)
{
    if (CreateFolderWithParents(wanted))
        return wanted;
    return DefaultLogFolder();
}

enum class GzipResult { Fits, TooBig, Failed };

// Compresses data[start..] as one gzip stream into a buffer of exactly `limit` bytes. When
// the stream does not fit, `consumed` is the input position read up to when it stopped.
GzipResult GzipInto(const std::string& data, size_t start, size_t limit, std::string& out, size_t& consumed)
{
    z_stream z{};
    if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return GzipResult::Failed;
    out.assign(limit, '\0');
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(limit);
    size_t pos = start;
    GzipResult result = GzipResult::Fits;
    while (pos < data.size()) {
        size_t block = std::min(kBlockSize, data.size() - pos);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + pos));
        z.avail_in = static_cast<uInt>(block);
        pos += block;
        if (deflate(&z, Z_NO_FLUSH) == Z_STREAM_ERROR) {
            result = GzipResult::Failed;
            break;
        }
        // A full buffer cannot take the stream's end (the trailer alone needs 8 bytes).
        if (z.avail_out == 0) {
            result = GzipResult::TooBig;
            break;
        }
    }
    if (result == GzipResult::Fits) {
        int rc = deflate(&z, Z_FINISH);
        if (rc != Z_STREAM_END)
            result = rc == Z_STREAM_ERROR ? GzipResult::Failed : GzipResult::TooBig;
    }
    consumed = pos;
    if (result == GzipResult::Fits)
        out.resize(z.total_out);
    else
        out.clear();
    deflateEnd(&z);
    return result;
}

// Reads the last `keep` bytes of the file; false when it cannot be opened. fileSize gets
// the file's whole size.
bool ReadTail(const std::string& file, int64_t keep, std::string& tail, int64_t& fileSize)
{
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return false;
    }
    fileSize = st.st_size;
    int64_t count = std::min<int64_t>(fileSize, keep);
    tail.assign(static_cast<size_t>(count), '\0');
    int64_t done = 0;
    while (done < count) {
        ssize_t n = ::pread(fd, tail.data() + done, static_cast<size_t>(count - done), fileSize - count + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    ::close(fd);
    tail.resize(static_cast<size_t>(done));
    return true;
}

} // namespace

TLogItem::TLogItem(const std::string& logName) : FLogName(logName), FLock("unitLog." + logName) {}

std::string TLogItem::FileName(TDateTime moment) const
{
    if (FDaily)
        return FFolder + FBaseName + "(" + FormatDateTime("dd/mm/yyyy", moment, '-') + ")" + FExtension;
    return FFolder + FBaseName + FExtension;
}

std::string TLogItem::FormatLine(const std::string& message, TDateTime moment) const
{
    std::string line = FormatDateTime(FDaily ? "hh:nn:ss" : "dd/mm/yyyy hh:nn:ss", moment, '-', ':');
    line += ' ';
    if (FWithUser)
        line += UserPrefix();
    line += message;
    return line;
}

std::string ExecutableFolder()
{
    std::vector<char> buffer(4096);
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return {};
        if (static_cast<size_t>(n) < buffer.size())
            return FolderOf(std::string(buffer.data(), static_cast<size_t>(n)));
        buffer.resize(buffer.size() * 2);
    }
}

void SetDefaultLogFolder(const std::string& folder)
{
    LoggingState& state = State();
    std::lock_guard<std::mutex> guard(state.folderLock);
    state.defaultFolder = WithSlash(folder);
}

std::string DefaultLogFolder()
{
    LoggingState& state = State();
    std::lock_guard<std::mutex> guard(state.folderLock);
    return state.defaultFolder;
}

void StartLogging()
{
    LoggingState& state = State();
    UserPrefix(); // read the user name now, not in the middle of a fault
    SetDefaultLogFolder(ExecutableFolder());
    state.closing = false;
    SetLogWriter(MainLogWriter);
    state.enabled = true;
}

void StopLogging()
{
    LoggingState& state = State();
    state.closing = true;
    {
        std::lock_guard<std::mutex> guard(state.namedLock);
        state.named.clear();
    }
    std::lock_guard<TCriticalSection> guard(state.main.FLock);
    state.main.FFolder.clear();
    state.main.FBaseName.clear();
    state.main.FExtension.clear();
    state.main.FDaily = false;
    state.main.FWithUser = true;
    state.main.FOpen = false;
}

void OpenLog(const std::string& file, bool daily, bool withUser)
{
    try {
        if (NameOf(file).empty())
            return; // nothing to write to; keep the settings the log has
        LoggingState& state = State();
        std::lock_guard<TCriticalSection> guard(state.main.FLock);
        std::string folder = FolderOf(file);
        if (folder.empty())
            folder = state.main.FFolder;
        if (folder.empty())
            folder = DefaultLogFolder();
        state.main.FFolder = WithSlash(UsableFolder(folder));
        state.main.FBaseName = BaseNameOf(file);
        state.main.FExtension = ExtensionOf(file);
        state.main.FDaily = daily;
        state.main.FWithUser = withUser;
        state.main.FOpen = true;
    } catch (...) {
    }
}

std::string MainLogFileName()
{
    LoggingState& state = State();
    std::lock_guard<TCriticalSection> guard(state.main.FLock);
    return state.main.FOpen ? state.main.FileName(Now()) : std::string();
}

void MainLogWriter(const std::string& message)
{
    LoggingState& state = State();
    if (!state.enabled || state.closing)
        return;
    try {
        std::lock_guard<TCriticalSection> guard(state.main.FLock);
        if (!state.main.FOpen)
            return;
        const TDateTime now = Now();
        AppendLine(state.main.FileName(now), state.main.FormatLine(message, now));
    } catch (...) {
    }
}

void RegisterLog(const std::string& name, bool daily, bool withUser, const std::string& file)
{
    try {
        const std::string key = BaseNameOf(name);
        if (key.empty())
            return;
        LoggingState& state = State();
        std::shared_ptr<TLogItem> item;
        {
            std::lock_guard<std::mutex> guard(state.namedLock);
            for (const auto& existing : state.named)
                if (SameKey(existing->FLogName, key))
                    item = existing;
            if (!item) {
                item = std::make_shared<TLogItem>(key);
                state.named.push_back(item);
            }
        }
        std::lock_guard<TCriticalSection> guard(item->FLock);
        std::string folder = FolderOf(file);
        if (folder.empty())
            folder = item->FFolder;
        if (folder.empty())
            folder = DefaultLogFolder();
        std::string base = BaseNameOf(file);
        if (base.empty())
            base = item->FBaseName;
        if (base.empty())
            base = key;
        std::string extension = ExtensionOf(file);
        if (extension.empty())
            extension = item->FExtension;
        if (extension.empty())
            extension = ExtensionOf(name);
        item->FFolder = WithSlash(UsableFolder(folder));
        item->FBaseName = base;
        item->FExtension = extension;
        item->FDaily = daily;
        item->FWithUser = withUser;
        item->FOpen = true;
    } catch (...) {
    }
}

std::string NamedLogFileName(const std::string& name)
{
    auto item = FindNamed(State(), BaseNameOf(name));
    if (!item)
        return {};
    std::lock_guard<TCriticalSection> guard(item->FLock);
    return item->FileName(Now());
}

void WriteNamedLog(const std::string& name, const std::string& message)
{
    try {
        LoggingState& state = State();
        auto item = FindNamed(state, BaseNameOf(name));
        if (!item)
            return;
        bool mainOpen;
        {
            std::lock_guard<TCriticalSection> guard(state.main.FLock);
            mainOpen = state.main.FOpen;
        }
        if (mainOpen) {
            Log(message);
            return;
        }
        std::lock_guard<TCriticalSection> guard(item->FLock);
        const TDateTime now = Now();
        AppendLine(item->FileName(now), item->FormatLine(message, now));
    } catch (...) {
    }
}

bool AppendLine(const std::string& file, const std::string& line)
{
    const std::string bytes = line + "\r\n";
    for (int attempt = 1; attempt <= 10; ++attempt) {
        int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0 && errno == EINTR)
            fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (fd >= 0) {
            size_t done = 0;
            bool ok = true;
            while (done < bytes.size()) {
                ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0) {
                    ok = false;
                    break;
                }
                done += static_cast<size_t>(n);
            }
            ::close(fd);
            return ok;
        }
        if (attempt < 10) {
            timespec pause{0, 10 * 1000000L};
            while (::nanosleep(&pause, &pause) != 0 && errno == EINTR) {
            }
        }
    }
    return false;
}

std::string LogTail(int64_t keep, int64_t limit)
{
    if (limit < 1024)
        return {};
    try {
        LoggingState& state = State();
        // Held throughout, so no line is appended between reading the tail and writing it back.
        std::lock_guard<TCriticalSection> guard(state.main.FLock);
        if (!state.main.FOpen)
            return {};
        const std::string file = state.main.FileName(Now());
        std::string tail;
        int64_t fileSize = 0;
        keep = std::max<int64_t>(keep, 0);
        if (!ReadTail(file, keep, tail, fileSize))
            return {};
        if (fileSize > keep) {
            try {
                WriteFileAtomic(file, tail);
            } catch (...) {
                // The log stays as it was; the tail is still sent.
            }
        }
        if (tail.empty())
            return {};

        size_t start = 0;
        for (int attempt = 1; attempt <= 3; ++attempt) {
            std::string gzip;
            size_t consumed = 0;
            GzipResult result = GzipInto(tail, start, static_cast<size_t>(limit), gzip, consumed);
            if (result == GzipResult::Fits)
                return Base64Encode(gzip);
            if (result == GzipResult::Failed)
                return {};
            // Take about nine tenths of what fitted, counted from the end.
            const double fitted = static_cast<double>(consumed) - static_cast<double>(start) - double(kBlockSize);
            const auto amount = static_cast<int64_t>(std::llround(0.9 * fitted));
            if (amount <= 0)
                return {}; // not even one block fitted: no tail is small enough to be of use
            start = tail.size() - std::min<size_t>(static_cast<size_t>(amount), tail.size() - start - 1);
        }
    } catch (...) {
    }
    return {};
}

} // namespace orlinda
