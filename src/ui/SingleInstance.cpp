#include "ui/SingleInstance.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace orlinda {

namespace {

// The length byte is the only handshake between the two processes: the writer fills the
// characters first and publishes the length last; the reader copies and then clears it.
unsigned char LoadLength(unsigned char* block)
{
    return __atomic_load_n(block, __ATOMIC_ACQUIRE);
}

void StoreLength(unsigned char* block, unsigned char length)
{
    __atomic_store_n(block, length, __ATOMIC_RELEASE);
}

void Sleep(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

TSingleInstance::TSingleInstance(std::string lockName, std::string blockName)
    : lock_(std::move(lockName)), blockName_(std::move(blockName))
{
}

TSingleInstance::~TSingleInstance() = default;

TSingleInstance::TResult TSingleInstance::Run(const std::vector<std::string>& arguments)
{
    bool acquired = lock_.TryAcquire();
    if (!acquired && !arguments.empty() && arguments[0] == "/autoupdate") {
        // The updater restarted us while the old instance is still closing.
        const auto start = std::chrono::steady_clock::now();
        while (!acquired) {
            const auto waited =
                std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
            if (waited > timings_.autoUpdateWaitMs)
                break;
            Sleep(timings_.autoUpdatePollMs);
            acquired = lock_.TryAcquire();
        }
    }
    if (acquired) {
        // Without the block the program still runs on the lock alone.
        block_ = TSharedMemory::Create(blockName_, kBlockSize);
        return TResult::Primary;
    }
    Forward(arguments);
    return TResult::Forwarded;
}

void TSingleInstance::Forward(const std::vector<std::string>& arguments)
{
    std::unique_ptr<TSharedMemory> block = TSharedMemory::Open(blockName_, kBlockSize);
    if (!block)
        return;
    for (const std::string& a : arguments)
        WriteMessage(block->Data(), a, timings_.messagePollMs, timings_.messagePolls);
    WriteMessage(block->Data(), kShowMainForm, timings_.messagePollMs, timings_.messagePolls);
}

std::optional<std::string> TSingleInstance::TakeMessage()
{
    if (!block_)
        return std::nullopt;
    return ReadMessage(block_->Data());
}

void TSingleInstance::WriteMessage(unsigned char* block, const std::string& message, int pollMs, int polls)
{
    for (int i = 0; i < polls && LoadLength(block) != 0; ++i)
        Sleep(pollMs);
    const size_t n = std::min(message.size(), kMaxMessage);
    // Clear the length first, so that a reader never pairs an old length with new bytes.
    StoreLength(block, 0);
    std::memcpy(block + 1, message.data(), n);
    StoreLength(block, static_cast<unsigned char>(n));
}

std::optional<std::string> TSingleInstance::ReadMessage(unsigned char* block)
{
    const unsigned char n = LoadLength(block);
    if (n == 0)
        return std::nullopt;
    std::string message(reinterpret_cast<const char*>(block + 1), n);
    StoreLength(block, 0);
    return message;
}

} // namespace orlinda
