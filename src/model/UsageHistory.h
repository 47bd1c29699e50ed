#pragma once
#include "core/CriticalSection.h"
#include "core/MemoryStream.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orlinda {

// Which greeting was sent to whom for which occasion in which year.
//
// Pending half: greetings sent but not yet confirmed by the greeting service, one line
// "identity;holiday;wish;year" each, kept in history.dat in the user folder. They become
// due for reporting 30 s after the first of them was written (or after loading).
//
// Confirmed half: the records the service returned, 20 bytes each in the .his file of the
// history folder: number, identity, holiday, wish, year as signed little-endian 32-bit
// values, no header.
//
// Used from the greeting client's thread and from the user-interface thread: every
// operation holds the "UsageHistory" lock for its whole duration.
class TUsageHistory {
public:
    static constexpr const char* kHistoryKey = "e99e9de47e35e756a1774061bbe4134f";
    static constexpr int kRecordSize = 20;
    static constexpr uint32_t kReportDelayMs = 30000;
    static constexpr int kMaxReportLines = 11;

    struct Record {
        int32_t number = 0;
        int32_t identity = 0;
        int32_t holiday = 0;
        int32_t wish = 0;
        int32_t year = 0;
    };

    TUsageHistory();
    TUsageHistory(const TUsageHistory&) = delete;
    TUsageHistory& operator=(const TUsageHistory&) = delete;

    // Remembers the folder and reloads the confirmed records from it; a failure leaves
    // them empty.
    void SetHistoryFolder(const std::string& folder);
    // Remembers the file and reloads the pending lines; lines read are due at once (in 30 s).
    void SetPendingFile(const std::string& fileName);

    // A greeting has been sent: a pending line, saved at once (failures ignored).
    void RecordUsage(int32_t identity, int32_t holiday, int32_t wish, int32_t year);
    // Pending lines exist and 30 s have passed since they became due or since the last attempt.
    bool HasDuePending() const;
    // A report was attempted: the next one waits another 30 s.
    void MarkAttempt();
    // The first pending lines (at most 11) joined by "|"; empty when there are none.
    std::string PendingText() const;

    // The largest confirmed record number, 0 when there are none. A confirmed file whose
    // size is not a whole number of records is corrupt: it is emptied (memory and file).
    int32_t HighestNumber();
    // Takes the service's confirmations "number|identity|holiday|wish|year": each removes
    // its pending line and is appended to the confirmed records; malformed lines are skipped.
    void MergeConfirmed(const std::vector<std::string>& lines);

    // Whether the person was greeted on that occasion in that year (pending or confirmed).
    bool WasGreeted(int32_t identity, int32_t holiday, int32_t year) const;
    // Whether the service greeting was ever used, for anyone.
    bool WishUsed(int32_t wish) const;

    // For diagnostics and tests.
    std::vector<std::string> PendingLines() const;
    std::vector<Record> ConfirmedRecords() const;
    std::string ConfirmedFile() const;
    std::string PendingFile() const;

private:
    void LoadConfirmed();
    void LoadPending();
    bool SavePending() const;
    bool SaveConfirmed() const;
    Record RecordAt(int64_t index) const;
    int64_t RecordCount() const;

    mutable TCriticalSection lock_{"UsageHistory"};
    std::string folder_;
    std::string pendingFile_;
    std::vector<std::string> pending_;
    std::optional<uint32_t> dueTick_;
    mutable TMemoryStream confirmed_{65536, -1, 65536};
};

} // namespace orlinda
