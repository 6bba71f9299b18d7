#pragma once
// The linear congruential generator behind the volume serial number.
#include <cstdint>

class CNtfsRandom {
public:
    explicit CNtfsRandom(uint32_t seed) : m_state(seed) {}

    // Next value, 0..32767.
    uint32_t Next() {
        m_state = m_state * 214013u + 2531011u;
        return (m_state >> 16) & 0x7FFF;
    }

    // Two successive values, the first in the high half.
    uint64_t NextSerial() {
        const uint64_t high = Next();
        const uint64_t low = Next();
        return (high << 32) | low;
    }

private:
    uint32_t m_state;
};
