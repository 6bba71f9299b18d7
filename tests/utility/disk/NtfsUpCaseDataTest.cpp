// Regenerates the upper-case table from the Unicode character data and compares it with
// the compact tables built into the NTFS builder.
#include "utility/disk/NtfsUpCase.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kUnicodeData = "/usr/share/unicode/UnicodeData.txt";
const char* const kDerivedAge = "/usr/share/unicode/DerivedAge.txt";
// Windows volumes carry the simple case mappings of this Unicode version.
const double kUnicodeVersion = 5.1;

std::vector<std::string> Split(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, separator)) fields.push_back(field);
    return fields;
}

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t");
    const size_t e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// Version in which each BMP unit was assigned (0 when never).
bool ReadAges(std::vector<double>& age) {
    std::ifstream in(kDerivedAge);
    if (!in) return false;
    age.assign(65536, 0.0);
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line.substr(0, line.find('#')));
        if (line.empty()) continue;
        const std::vector<std::string> f = Split(line, ';');
        if (f.size() < 2) continue;
        const std::string range = Trim(f[0]);
        const size_t dots = range.find("..");
        const unsigned long first = std::strtoul(range.c_str(), nullptr, 16);
        const unsigned long last =
            dots == std::string::npos ? first : std::strtoul(range.c_str() + dots + 2, nullptr, 16);
        const double version = std::atof(Trim(f[1]).c_str());
        for (unsigned long u = first; u <= last && u < 65536; ++u) age[u] = version;
    }
    return true;
}

// The expected table: a unit maps to its simple upper case when both were assigned by
// kUnicodeVersion and the upper case maps back to the unit.
bool ExpectedTable(std::vector<uint16_t>& table) {
    std::vector<double> age;
    if (!ReadAges(age)) return false;
    std::ifstream in(kUnicodeData);
    if (!in) return false;
    std::map<uint32_t, uint32_t> upper;
    std::map<uint32_t, uint32_t> lower;
    std::string line;
    while (std::getline(in, line)) {
        const std::vector<std::string> f = Split(line, ';');
        if (f.size() < 14) continue;
        const uint32_t unit = static_cast<uint32_t>(std::strtoul(f[0].c_str(), nullptr, 16));
        if (unit > 0xFFFF) continue;
        if (!f[12].empty()) upper[unit] = static_cast<uint32_t>(std::strtoul(f[12].c_str(), nullptr, 16));
        if (!f[13].empty()) lower[unit] = static_cast<uint32_t>(std::strtoul(f[13].c_str(), nullptr, 16));
    }
    table.resize(65536);
    for (uint32_t u = 0; u < 65536; ++u) table[u] = static_cast<uint16_t>(u);
    for (const auto& m : upper) {
        const uint32_t unit = m.first;
        const uint32_t up = m.second;
        if (up > 0xFFFF || age[unit] == 0.0 || age[unit] > kUnicodeVersion || age[up] == 0.0 ||
            age[up] > kUnicodeVersion)
            continue;
        const auto back = lower.find(up);
        if (back != lower.end() && back->second == unit) table[unit] = static_cast<uint16_t>(up);
    }
    return true;
}

// The compact tables for a full table, as source text: runs of pairs first, then runs
// with one offset, then single units.
std::string CompactSource(const std::vector<uint16_t>& table) {
    std::vector<bool> done(65536, false);
    std::ostringstream alternating, ranges, singles;
    char buf[64];
    // Pairs: an identity unit u followed by u+1 mapping to u, repeated.
    for (uint32_t u = 0; u + 1 < 65536;) {
        uint32_t end = u;
        while (end + 1 < 65536 && table[end] == end && table[end + 1] == end && !done[end + 1]) end += 2;
        if (end - u >= 4) {
            std::snprintf(buf, sizeof buf, "    {0x%04X, 0x%04X},\n", u, end - 1);
            alternating << buf;
            for (uint32_t k = u + 1; k < end; k += 2) done[k] = true;
            u = end;
        } else {
            ++u;
        }
    }
    for (uint32_t u = 0; u < 65536;) {
        const int32_t offset = static_cast<int32_t>(table[u]) - static_cast<int32_t>(u);
        if (offset == 0 || done[u]) {
            ++u;
            continue;
        }
        uint32_t end = u + 1;
        while (end < 65536 && !done[end] && static_cast<int32_t>(table[end]) - static_cast<int32_t>(end) == offset)
            ++end;
        if (end - u >= 2) {
            std::snprintf(buf, sizeof buf, "    {0x%04X, 0x%04X, %d},\n", u, end - 1, offset);
            ranges << buf;
        } else {
            std::snprintf(buf, sizeof buf, "    {0x%04X, 0x%04X},\n", u, table[u]);
            singles << buf;
        }
        for (uint32_t k = u; k < end; ++k) done[k] = true;
        u = end;
    }
    return "constexpr Range kRanges[] = {\n" + ranges.str() + "};\n" + "constexpr Alternating kAlternating[] = {\n" +
           alternating.str() + "};\n" + "constexpr Single kSingles[] = {\n" + singles.str() + "};\n";
}

TEST(NtfsUpCaseData, CompactTablesGiveTheTableOfTheUnicodeData) {
    std::vector<uint16_t> expected;
    if (!ExpectedTable(expected))
        GTEST_SKIP() << kUnicodeData << " or " << kDerivedAge << " missing (Debian package unicode-data)";
    std::vector<uint16_t> built(UNtfsUpCase::kUnits);
    UNtfsUpCase::Build(built.data());

    int differences = 0;
    for (uint32_t u = 0; u < 65536; ++u) {
        if (built[u] != expected[u] && ++differences <= 10)
            ADD_FAILURE() << std::hex << "unit 0x" << u << ": built 0x" << built[u] << ", expected 0x" << expected[u];
    }
    if (differences > 0) {
        const char* dir = std::getenv("VMX_BUILD_DIR");
        const std::string path = std::string(dir ? dir : ".") + "/test-results/NtfsUpCaseTables.txt";
        std::ofstream(path) << CompactSource(expected);
        ADD_FAILURE() << differences << " units differ; regenerated tables written to " << path;
    }
}

}  // namespace
