#pragma once
// The single-instance guard of the desktop program: one process of the user runs, and a
// second start wakes it. The running instance holds the lock "Orlinda" and the 256-byte
// shared block "Orlinda_Mapping", which carries one length-prefixed string: byte 0 the
// length (0 = empty, at most 255), bytes 1..255 the characters. A second start writes
// each of its arguments and then "ShowMainForm" into the block, each after the running
// instance has taken the previous one (byte 0 back at 0), and ends.
#include "platform/InstanceLock.h"
#include "platform/SharedMemory.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orlinda {

inline constexpr char kShowMainForm[] = "ShowMainForm";

class TSingleInstance {
public:
    static constexpr size_t kBlockSize = 256;
    static constexpr size_t kMaxMessage = 255;

    enum class TResult {
        Primary,   // this process runs the program
        Forwarded, // another instance runs: the arguments were handed to it; end now
    };

    // How long the guard waits; the defaults are the program's, tests shorten them.
    struct TTimings {
        int autoUpdateWaitMs = 30000; // for the old instance to leave after an update
        int autoUpdatePollMs = 1000;
        int messagePollMs = 10;       // for the block to be taken
        int messagePolls = 101;
    };

    explicit TSingleInstance(std::string lockName = "Orlinda", std::string blockName = "Orlinda_Mapping");
    ~TSingleInstance();
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    // Runs the guard with the program's arguments (without the program name). When the
    // first argument is "/autoupdate" and another instance holds the lock, waits up to
    // 30 s for it to leave. Primary: this object holds the lock and the block (the block
    // may be missing when it could not be made) for as long as it lives.
    TResult Run(const std::vector<std::string>& arguments);
    void SetTimings(const TTimings& timings) { timings_ = timings; }

    // The running instance: takes the string waiting in the block and empties it
    // (nothing when the block is empty or missing).
    std::optional<std::string> TakeMessage();

    bool IsPrimary() const { return lock_.Held(); }

    // Writes one string into a block: waits for byte 0 to be 0 (polls times, pollMs apart)
    // and then writes the string cut to 255 bytes, the length byte last. A block that is
    // not taken in time is overwritten.
    static void WriteMessage(unsigned char* block, const std::string& message, int pollMs, int polls);
    static std::optional<std::string> ReadMessage(unsigned char* block);

private:
    void Forward(const std::vector<std::string>& arguments);

    TInstanceLock lock_;
    std::string blockName_;
    std::unique_ptr<TSharedMemory> block_;
    TTimings timings_;
};

} // namespace orlinda
