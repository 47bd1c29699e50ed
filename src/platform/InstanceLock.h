#pragma once
#include <string>

namespace orlinda {

// A named lock that one process of the user holds at a time, in place of a named mutex:
// a lock file under $XDG_RUNTIME_DIR (or /tmp) held with flock. The kernel releases it
// when the process ends, however it ends, so a crashed instance never blocks the next.
class TInstanceLock {
public:
    // name: "Orlinda", "OrlindaContact", … (the user id is added to the file name).
    explicit TInstanceLock(std::string name);
    // Releases the lock when held.
    ~TInstanceLock();
    TInstanceLock(const TInstanceLock&) = delete;
    TInstanceLock& operator=(const TInstanceLock&) = delete;

    // Takes the lock without waiting; true when this object holds it afterwards (also when
    // it already did). False when another holder has it or the file cannot be opened.
    bool TryAcquire();
    void Release();
    bool Held() const { return fd_ >= 0; }

    // Whether some other object or process holds the lock of that name now.
    static bool IsHeld(const std::string& name);

    // The lock file of a name: $XDG_RUNTIME_DIR/<name>-<uid>.lock when that folder is
    // usable, else /tmp/<name>-<uid>.lock; characters other than letters, digits, '-',
    // '_' and '.' become '_'.
    static std::string LockFilePath(const std::string& name);

private:
    std::string path_;
    int fd_ = -1;
};

} // namespace orlinda
