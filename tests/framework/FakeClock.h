#pragma once
// A clock for tests, installed for its lifetime: a fixed date, and milliseconds that pass only
// when someone waits, at once. Keeps every wait asked of it.
#include <atomic>
#include <mutex>
#include <numeric>
#include <vector>

#include "framework/Clock.h"

class CFakeClock : public IClock {
public:
    explicit CFakeClock(int64_t seconds = 0) : m_seconds(seconds), m_previous(UClock::Replace(this)) {}
    ~CFakeClock() override { UClock::Replace(m_previous); }
    CFakeClock(const CFakeClock&) = delete;
    CFakeClock& operator=(const CFakeClock&) = delete;

    int64_t Seconds() override { return m_seconds; }
    uint64_t Milliseconds() override { return m_milliseconds.load(); }
    void Sleep(uint32_t ms) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_sleeps.push_back(ms);
        m_milliseconds += ms;
    }

    std::vector<uint32_t> Sleeps() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_sleeps;
    }
    uint64_t TotalSlept() const {
        std::vector<uint32_t> sleeps = Sleeps();
        return std::accumulate(sleeps.begin(), sleeps.end(), uint64_t(0));
    }

private:
    const int64_t m_seconds;
    std::atomic<uint64_t> m_milliseconds{1000000};
    mutable std::mutex m_mutex;
    std::vector<uint32_t> m_sleeps;
    IClock* m_previous;
};
