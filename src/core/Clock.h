#pragma once
#include "core/DateTime.h"

#include <cstdint>
#include <memory>

namespace orlinda {

// The one source of "now" in the program. Every date rule, scan, snooze and log stamp
// asks it; tests install a fixed clock.
class TClock {
public:
    virtual ~TClock() = default;
    // Local date and time as a day number.
    virtual TDateTime Now() const = 0;
    // Milliseconds since boot, kept in 32 bits (wraps after 49.7 days).
    virtual uint32_t TickCount() const = 0;
};

// The clock of the running system.
class TSystemClock : public TClock {
public:
    TDateTime Now() const override;
    uint32_t TickCount() const override;
};

// A clock that stands still until told to move: for tests and the command line's --now.
class TFixedClock : public TClock {
public:
    explicit TFixedClock(TDateTime now = 0, uint32_t tick = 0) : now_(now), tick_(tick) {}
    TDateTime Now() const override { return now_; }
    uint32_t TickCount() const override { return tick_; }
    void Set(TDateTime now) { now_ = now; }
    void SetTick(uint32_t tick) { tick_ = tick; }
    // Moves both the date and the tick on by the given milliseconds.
    void Advance(uint32_t milliseconds);

private:
    TDateTime now_;
    uint32_t tick_;
};

// The clock in force; the system clock unless one was installed.
const TClock& Clock();
// Installs a clock (not owned; null restores the system clock). Not thread-safe:
// install before threads start.
void SetClock(const TClock* clock);

inline TDateTime Now() { return Clock().Now(); }
inline uint32_t TickCount() { return Clock().TickCount(); }

} // namespace orlinda
