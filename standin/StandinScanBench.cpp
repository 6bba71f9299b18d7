// VelmoraEXStandinScanBench: times what finding unsaved data costs the stand-in per poll, through
// the Windows file API on one sparse file: a poll the gate answers (nothing changed), a full scan
// after a one-byte change, and a plain read of the same file for comparison.
//   VelmoraEXStandinScanBench --file PATH --size BYTES [--fill] [--polls N]
// --fill makes the file first: sparse, with 1 MiB of data at the start of every 10 MiB. Prints one
// line of figures (bench/standin-scan reads it); exit 1 when a scan does not find what it should.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/Handle.h"
#include "standin/StandinBlockTracker.h"
#include "standin/StandinChangeScan.h"
#include "standin/StandinOptions.h"

namespace {

class CStopwatch {
public:
    CStopwatch() {
        QueryPerformanceFrequency(&m_frequency);
        QueryPerformanceCounter(&m_start);
    }
    double Ms() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return 1000.0 * static_cast<double>(now.QuadPart - m_start.QuadPart) /
               static_cast<double>(m_frequency.QuadPart);
    }

private:
    LARGE_INTEGER m_frequency, m_start;
};

uint64_t Ticks(const FILETIME& time) { return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

uint64_t Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return Ticks(now);
}

uint64_t Modified(HANDLE file) {
    FILETIME written = {};
    GetFileTime(file, nullptr, nullptr, &written);
    return Ticks(written);
}

uint32_t ReadAt(HANDLE file, void* buffer, uint64_t offset, uint32_t length) {
    BYTE* out = static_cast<BYTE*>(buffer);
    while (length > 0) {
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD read = 0;
        if (!ReadFile(file, out, length, &read, &at)) return GetLastError();
        if (read == 0) return ERROR_HANDLE_EOF;
        out += read;
        offset += read;
        length -= read;
    }
    return 0;
}

bool WriteAt(HANDLE file, const void* buffer, uint64_t offset, DWORD length) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD written = 0;
    return WriteFile(file, buffer, length, &written, &at) && written == length;
}

// Sparse file of size bytes with 1 MiB of non-repeating data every 10 MiB.
bool Fill(const std::wstring& path, uint64_t size) {
    const CHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file.Get())) return false;
    std::vector<uint64_t> data(0x100000 / 8);
    uint64_t x = 0x9E3779B97F4A7C15ULL;
    for (uint64_t offset = 0; offset < size; offset += 10 * 0x100000) {
        for (auto& word : data) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            word = x;
        }
        DWORD length = static_cast<DWORD>(std::min<uint64_t>(0x100000, size - offset));
        if (!WriteAt(file.Get(), data.data(), offset, length)) return false;
    }
    return true;
}

int Fail(const wchar_t* what) {
    fwprintf(stderr, L"VelmoraEXStandinScanBench: %ls (error %lu)\n", what, GetLastError());
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring path;
    uint64_t size = 0, polls = 1000;
    bool fill = false, ok = true;
    for (int i = 1; i < argc && ok; ++i) {
        std::wstring name = argv[i];
        if (name == L"--fill")
            fill = true;
        else if (name == L"--file" && i + 1 < argc)
            path = argv[++i];
        else if (name == L"--size" && i + 1 < argc)
            ok = CStandinOptions::ParseBytes(argv[++i], size);
        else if (name == L"--polls" && i + 1 < argc)
            ok = CStandinOptions::ParseBytes(argv[++i], polls);
        else
            ok = false;
    }
    if (!ok || path.empty() || size == 0 || size % 512 != 0 || polls == 0) {
        fwprintf(stderr,
                 L"usage: VelmoraEXStandinScanBench --file PATH --size BYTES (512-byte steps) [--fill] "
                 L"[--polls N]\n");
        return 2;
    }
    if (fill && !Fill(path, size)) return Fail(L"cannot make the file");
    const CHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const CHandle writer(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || !writer) return Fail(L"cannot open the file");

    CStandinBlockTracker tracker(size);
    CStandinChangeScan scan(size, tracker.BlockSize());
    const CStandinChangeScan::Reader reader = [&](void* buffer, uint64_t offset, uint32_t length) {
        return ReadAt(file.Get(), buffer, offset, length);
    };
    // What a poll does: the file's time stamp, the clock, the gated scan.
    auto poll = [&]() {
        const uint64_t modified = Modified(file.Get());
        return scan.Scan(reader, tracker, modified, Now());
    };

    CStopwatch baselineTime;
    if (scan.Baseline(reader) != 0) return Fail(L"cannot read the file");
    const double baselineMs = baselineTime.Ms();

    // The peer inside Windows: the same reads in the same chunks, nothing done with the bytes.
    std::vector<unsigned char> buffer(CStandinChangeScan::kChunkBytes);
    CStopwatch readTime;
    for (uint64_t offset = 0; offset < size; offset += buffer.size()) {
        const uint32_t length = static_cast<uint32_t>(std::min<uint64_t>(buffer.size(), size - offset));
        if (ReadAt(file.Get(), buffer.data(), offset, length) != 0) return Fail(L"cannot read the file");
    }
    const double readMs = readTime.Ms();

    // Past the settle time, one full scan finds nothing and arms the gate.
    Sleep(static_cast<DWORD>(CStandinChangeScan::kSettleTicks / 10000 + 50));
    CStopwatch cleanTime;
    CStandinChangeScan::Result result = poll();
    const double cleanMs = cleanTime.Ms();
    if (result.skipped || result.error || result.changed) return Fail(L"the first scan after the settle time");

    CStopwatch gatedTime;
    for (uint64_t i = 0; i < polls; ++i) {
        if (!poll().skipped) return Fail(L"a poll of an unchanged file scanned");
    }
    const double gatedMs = gatedTime.Ms() / static_cast<double>(polls);

    // One byte changed in the middle of the data; the next poll scans everything and finds it.
    const uint64_t at = std::min(size / 2 / (10 * 0x100000) * (10 * 0x100000) + 4097, size - 1);
    unsigned char byte = 0;
    if (ReadAt(file.Get(), &byte, at, 1) != 0) return Fail(L"cannot read the byte to change");
    byte ^= 0x5A;
    if (!WriteAt(writer.Get(), &byte, at, 1)) return Fail(L"cannot change a byte");
    CStopwatch changeTime;
    result = poll();
    const double changeMs = changeTime.Ms();
    if (result.skipped || result.error || result.changed != 1 || !tracker.IsDirty(at / tracker.BlockSize()))
        return Fail(L"the scan after a change did not find exactly the changed block");

    wprintf(
        L"size=%llu block=%u baseline_ms=%.3f readfile_ms=%.3f clean_scan_ms=%.3f gated_poll_ms=%.6f "
        L"change_scan_ms=%.3f\n",
        static_cast<unsigned long long>(size), tracker.BlockSize(), baselineMs, readMs, cleanMs, gatedMs, changeMs);
    return 0;
}
