// The usage history: any history.dat, any .his file and any confirmation lines of the
// greeting service. The input is the three parts separated by zero bytes.
#include "model/UsageHistory.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// A folder of its own, on a memory file system when there is one (saves flush to disk),
// removed when the fuzzer ends.
struct ScratchFolder {
    ScratchFolder()
    {
        const std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        path = base + "/fuzz_usage_history_" + std::to_string(::getpid());
        std::filesystem::create_directories(path + "/history");
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string path;
};

const std::string& Folder()
{
    static const ScratchFolder folder;
    return folder.path;
}

void Write(const std::string& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == separator)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace orlinda;
    std::vector<std::string> parts = Split(std::string(reinterpret_cast<const char*>(data), size), '\0');
    parts.resize(3);
    const std::string pendingFile = Folder() + "/history.dat";
    const std::string hisFile = Folder() + "/history/" + TUsageHistory::kHistoryKey + ".his";
    Write(pendingFile, parts[0]);
    Write(hisFile, parts[1]);

    TUsageHistory history;
    history.SetHistoryFolder(Folder() + "/history");
    history.SetPendingFile(pendingFile);
    (void)history.PendingText();
    (void)history.WasGreeted(1, 1, 2026);
    (void)history.WishUsed(0);
    (void)history.HighestNumber();
    // Whole records stay; a confirmed file of broken size was emptied, in memory and on disk.
    if (history.ConfirmedRecords().size() * TUsageHistory::kRecordSize != std::filesystem::file_size(hisFile))
        std::abort();

    const size_t pendingBefore = history.PendingLines().size();
    const size_t confirmedBefore = history.ConfirmedRecords().size();
    const std::vector<std::string> lines = Split(parts[2], '\n');
    history.MergeConfirmed(lines);
    // Each line removes at most one pending line and adds at most one record.
    if (history.PendingLines().size() > pendingBefore || history.ConfirmedRecords().size() > confirmedBefore + lines.size())
        std::abort();
    for (const auto& r : history.ConfirmedRecords())
        if (!history.WasGreeted(r.identity, r.holiday, r.year) || !history.WishUsed(r.wish))
            std::abort();
    return 0;
}
