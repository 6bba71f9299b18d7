#include "framework/Clock.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

namespace {

class CSystemClock : public IClock {
public:
    int64_t Seconds() override { return static_cast<int64_t>(std::time(nullptr)); }
    uint64_t Milliseconds() override {
        return static_cast<uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
                .count());
    }
    void Sleep(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

CSystemClock g_system;
std::atomic<IClock*> g_current{&g_system};

}  // namespace

IClock& UClock::Current() { return *g_current.load(); }

IClock* UClock::Replace(IClock* clock) { return g_current.exchange(clock ? clock : &g_system); }
