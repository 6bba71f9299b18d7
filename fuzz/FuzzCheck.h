#pragma once
// Shared by the fuzz targets: the check that stops a run on a broken promise, and a reader that
// takes fields off the front of the fuzzer's input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

// Names the failed condition, then traps so that libFuzzer keeps the input as a crash.
#define FUZZ_CHECK(condition)                                                                    \
    do {                                                                                         \
        if (!(condition)) {                                                                      \
            std::fprintf(stderr, "%s:%d: promise broken: %s\n", __FILE__, __LINE__, #condition); \
            __builtin_trap();                                                                    \
        }                                                                                        \
    } while (0)

// Little-endian fields off the front of the input; past its end every field reads as 0.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    uint64_t Take(unsigned width) {
        uint64_t value = 0;
        for (unsigned i = 0; i < width && m_used < m_size; ++i) value |= uint64_t(m_data[m_used++]) << (8 * i);
        return value;
    }
    uint8_t Byte() { return static_cast<uint8_t>(Take(1)); }
    uint32_t U32() { return static_cast<uint32_t>(Take(4)); }
    uint64_t U64() { return Take(8); }
    // Everything not taken yet.
    std::vector<uint8_t> Rest() {
        std::vector<uint8_t> rest(m_data + m_used, m_data + m_size);
        m_used = m_size;
        return rest;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_used = 0;
};

// The width-byte little-endian number at bytes.
inline uint64_t LittleEndian(const uint8_t* bytes, unsigned width) {
    uint64_t value = 0;
    for (unsigned i = 0; i < width; ++i) value |= uint64_t(bytes[i]) << (8 * i);
    return value;
}
