#pragma once
// The clock: the time of day, the milliseconds that pass, and waiting. Behind one process-wide
// hook, so that tests can fix the date and need not sleep through the fixed waits.
#include <cstdint>

class IClock {
public:
    virtual ~IClock() = default;
    // Seconds since 1970 (UTC).
    virtual int64_t Seconds() = 0;
    // Milliseconds since an arbitrary start; never goes back.
    virtual uint64_t Milliseconds() = 0;
    // Returns after ms milliseconds.
    virtual void Sleep(uint32_t ms) = 0;
};

namespace UClock {

// The clock in use: the system's unless replaced.
IClock& Current();
// Replaces the clock (null restores the system's); returns the one before.
IClock* Replace(IClock* clock);

inline int64_t Seconds() { return Current().Seconds(); }
inline uint64_t Milliseconds() { return Current().Milliseconds(); }
inline void Sleep(uint32_t ms) { Current().Sleep(ms); }

}  // namespace UClock
