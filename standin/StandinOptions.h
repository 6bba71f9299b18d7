#pragma once
// Command line of the stand-in.
#include <cstdint>
#include <string>
#include <vector>

class CStandinOptions {
public:
    // The usage line printed with a malformed command line.
    static const wchar_t kUsage[];
    static const wchar_t kDefaultPipeName[];  // "VelmoraEXRamDiskDriver"
    static const size_t kMaxPipeNameLength = 200;

    // Parses the arguments after the program name. False with a one-line reason on anything
    // unknown, repeated, missing its value or with a malformed value; the fields are then
    // unspecified.
    bool Parse(const std::vector<std::wstring>& args, std::wstring& error);

    // Bytes with an optional K, M, G or T suffix (powers of 1024); false on anything else or
    // on overflow.
    static bool ParseBytes(const std::wstring& text, uint64_t& bytes);

    std::wstring pipeName = kDefaultPipeName;  // --pipe-name
    bool hasMemoryBudget = false;              // --memory-budget: RAM all disks may hold together
    uint64_t memoryBudget = 0;
    std::wstring ramDir;       // --ram-dir; empty: chosen at start
    uint64_t saveRate = 0;     // --save-rate: bytes a second a disk's saves may
                               // write to its image; 0 = as fast as it goes
    bool startupDisks = true;  // --no-startup-disks turns it off
    bool drives = true;        // --no-drives: disks are not opened as Windows drives
    bool stop = false;         // --stop: ask the running stand-in to end
    bool help = false;         // --help
};
