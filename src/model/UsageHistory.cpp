#include "model/UsageHistory.h"

#include "core/AtomicFile.h"
#include "core/Clock.h"
#include "core/FileStream.h"
#include "core/TextUtils.h"
#include "platform/Folders.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace orlinda {

namespace {

std::string PendingLine(int32_t identity, int32_t holiday, int32_t wish, int32_t year)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d;%d;%d;%d", identity, holiday, wish, year);
    return buf;
}

// A decimal integer within 32 bits: an optional sign and digits, blanks around allowed.
bool ParseDecimal(const std::string& text, int32_t& value)
{
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    if (b == e)
        return false;
    bool negative = false;
    if (text[b] == '+' || text[b] == '-') {
        negative = text[b] == '-';
        if (++b == e)
            return false;
    }
    int64_t v = 0;
    for (size_t i = b; i < e; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        v = v * 10 + (text[i] - '0');
        if (v > 2147483648LL)
            return false;
    }
    if (negative)
        v = -v;
    if (v > INT32_MAX || v < INT32_MIN)
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

// The four fields of a pending line; false when it is not one.
bool ParsePending(const std::string& line, int32_t (&fields)[4])
{
    if (FieldCount(line, ';') != 4)
        return false;
    for (int i = 0; i < 4; ++i)
        if (!ParseDecimal(GetField(line, i, ';'), fields[i]))
            return false;
    return true;
}

int32_t LittleEndian32(const char* p)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(p[i]);
    return static_cast<int32_t>(v);
}

void PutLittleEndian32(char* p, int32_t value)
{
    auto v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i, v >>= 8)
        p[i] = static_cast<char>(v & 0xFF);
}

} // namespace

TUsageHistory::TUsageHistory() = default;

std::string TUsageHistory::ConfirmedFile() const
{
    std::lock_guard guard(lock_);
    if (folder_.empty())
        return {};
    return WithTrailingSlash(folder_) + kHistoryKey + ".his";
}

std::string TUsageHistory::PendingFile() const
{
    std::lock_guard guard(lock_);
    return pendingFile_;
}

void TUsageHistory::SetHistoryFolder(const std::string& folder)
{
    std::lock_guard guard(lock_);
    folder_ = folder;
    LoadConfirmed();
}

void TUsageHistory::LoadConfirmed()
{
    confirmed_.Clear();
    const std::string file = ConfirmedFile();
    if (file.empty() || !IsExistingFile(file))
        return;
    try {
        confirmed_.LoadFromFile(file);
        confirmed_.Seek(0, SeekOrigin::End);
    } catch (...) {
        confirmed_.Clear();
    }
}

void TUsageHistory::SetPendingFile(const std::string& fileName)
{
    std::lock_guard guard(lock_);
    pendingFile_ = fileName;
    LoadPending();
}

void TUsageHistory::LoadPending()
{
    pending_.clear();
    dueTick_.reset();
    std::string bytes;
    if (pendingFile_.empty() || !IsExistingFile(pendingFile_) || !ReadFileContent(pendingFile_, bytes))
        return;
    std::string line;
    auto flush = [&] {
        // A blank line is no record: reporting it would never be confirmed.
        if (!line.empty())
            pending_.push_back(line);
        line.clear();
    };
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\r' || c == '\n') {
            flush();
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            line += c;
        }
    }
    flush();
    if (!pending_.empty())
        dueTick_ = TickCount();
}

bool TUsageHistory::SavePending() const
{
    if (pendingFile_.empty())
        return false;
    std::string text;
    for (const auto& l : pending_)
        text += l + "\r\n";
    try {
        WriteFileAtomic(pendingFile_, text);
        return true;
    } catch (...) {
        return false; // kept in memory, written at the next save
    }
}

bool TUsageHistory::SaveConfirmed() const
{
    const std::string file = ConfirmedFile();
    if (file.empty())
        return false;
    try {
        CreateFolderWithParents(folder_);
        confirmed_.SaveToFile(file);
        return true;
    } catch (...) {
        return false;
    }
}

void TUsageHistory::RecordUsage(int32_t identity, int32_t holiday, int32_t wish, int32_t year)
{
    std::lock_guard guard(lock_);
    pending_.push_back(PendingLine(identity, holiday, wish, year));
    if (!dueTick_)
        dueTick_ = TickCount();
    SavePending();
}

bool TUsageHistory::HasDuePending() const
{
    std::lock_guard guard(lock_);
    if (pending_.empty() || !dueTick_)
        return false;
    return static_cast<uint32_t>(TickCount() - *dueTick_) >= kReportDelayMs;
}

void TUsageHistory::MarkAttempt()
{
    std::lock_guard guard(lock_);
    dueTick_ = TickCount();
}

std::string TUsageHistory::PendingText() const
{
    std::lock_guard guard(lock_);
    std::string text;
    for (size_t i = 0; i < pending_.size() && i < static_cast<size_t>(kMaxReportLines); ++i) {
        if (i)
            text += '|';
        text += pending_[i];
    }
    return text;
}

int64_t TUsageHistory::RecordCount() const
{
    return confirmed_.Size() / kRecordSize;
}

TUsageHistory::Record TUsageHistory::RecordAt(int64_t index) const
{
    const char* p = confirmed_.Data() + index * kRecordSize;
    return Record{LittleEndian32(p), LittleEndian32(p + 4), LittleEndian32(p + 8), LittleEndian32(p + 12),
                  LittleEndian32(p + 16)};
}

int32_t TUsageHistory::HighestNumber()
{
    std::lock_guard guard(lock_);
    if (confirmed_.Size() % kRecordSize != 0) {
        confirmed_.Clear();
        SaveConfirmed();
        return 0;
    }
    const int64_t n = RecordCount();
    if (n == 0)
        return 0;
    int32_t highest = RecordAt(0).number;
    for (int64_t i = 1; i < n; ++i)
        highest = std::max(highest, RecordAt(i).number);
    return highest;
}

void TUsageHistory::MergeConfirmed(const std::vector<std::string>& lines)
{
    std::lock_guard guard(lock_);
    bool appended = false;
    for (const auto& line : lines) {
        int32_t v[5];
        bool ok = true;
        for (int i = 0; i < 5 && ok; ++i)
            ok = ParseDecimal(GetField(line, i, '|'), v[i]);
        if (!ok)
            continue;
        const std::string pendingLine = PendingLine(v[1], v[2], v[3], v[4]);
        for (auto it = pending_.begin(); it != pending_.end(); ++it) {
            if (*it == pendingLine) {
                pending_.erase(it);
                SavePending();
                if (pending_.empty())
                    dueTick_.reset();
                break;
            }
        }
        char record[kRecordSize];
        for (int i = 0; i < 5; ++i)
            PutLittleEndian32(record + 4 * i, v[i]);
        const int64_t before = confirmed_.Size();
        confirmed_.Seek(0, SeekOrigin::End);
        if (confirmed_.Write(record, kRecordSize) != kRecordSize)
            confirmed_.SetSize(before);
        else
            appended = true;
    }
    if (appended)
        SaveConfirmed();
}

bool TUsageHistory::WasGreeted(int32_t identity, int32_t holiday, int32_t year) const
{
    std::lock_guard guard(lock_);
    for (const auto& line : pending_) {
        int32_t f[4];
        if (ParsePending(line, f) && f[0] == identity && f[1] == holiday && f[3] == year)
            return true;
    }
    const int64_t n = RecordCount();
    for (int64_t i = 0; i < n; ++i) {
        Record r = RecordAt(i);
        if (r.identity == identity && r.holiday == holiday && r.year == year)
            return true;
    }
    return false;
}

bool TUsageHistory::WishUsed(int32_t wish) const
{
    std::lock_guard guard(lock_);
    for (const auto& line : pending_) {
        int32_t f[4];
        if (ParsePending(line, f) && f[2] == wish)
            return true;
    }
    const int64_t n = RecordCount();
    for (int64_t i = 0; i < n; ++i)
        if (RecordAt(i).wish == wish)
            return true;
    return false;
}

std::vector<std::string> TUsageHistory::PendingLines() const
{
    std::lock_guard guard(lock_);
    return pending_;
}

std::vector<TUsageHistory::Record> TUsageHistory::ConfirmedRecords() const
{
    std::lock_guard guard(lock_);
    std::vector<Record> records;
    const int64_t n = RecordCount();
    for (int64_t i = 0; i < n; ++i)
        records.push_back(RecordAt(i));
    return records;
}

} // namespace orlinda
