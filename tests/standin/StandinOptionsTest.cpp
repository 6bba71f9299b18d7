#include "standin/StandinOptions.h"

#include <gtest/gtest.h>

namespace {
bool ParseArgs(std::vector<std::wstring> args, CStandinOptions& options) {
    std::wstring error;
    bool ok = options.Parse(args, error);
    EXPECT_EQ(ok, error.empty()) << "a refusal always says why";
    return ok;
}
}  // namespace

TEST(StandinOptions, DefaultsServeTheDriversPipeWithoutABudget) {
    CStandinOptions options;
    ASSERT_TRUE(ParseArgs({}, options));
    EXPECT_EQ(options.pipeName, L"VelmoraEXRamDiskDriver");
    EXPECT_FALSE(options.hasMemoryBudget);
    EXPECT_TRUE(options.ramDir.empty());
    EXPECT_TRUE(options.startupDisks);
    EXPECT_FALSE(options.stop);
}

TEST(StandinOptions, EveryOptionTakesItsValue) {
    CStandinOptions options;
    ASSERT_TRUE(ParseArgs({L"--pipe-name", L"Test-1", L"--memory-budget", L"64M", L"--ram-dir", L"Z:\\dev\\shm\\x",
                           L"--save-rate", L"8M", L"--no-startup-disks", L"--no-drives"},
                          options));
    EXPECT_EQ(options.pipeName, L"Test-1");
    EXPECT_TRUE(options.hasMemoryBudget);
    EXPECT_EQ(options.memoryBudget, 64u << 20);
    EXPECT_EQ(options.ramDir, L"Z:\\dev\\shm\\x");
    EXPECT_FALSE(options.startupDisks);
    EXPECT_FALSE(options.drives);
    EXPECT_EQ(options.saveRate, 8u << 20);

    CStandinOptions zero;
    ASSERT_TRUE(ParseArgs({L"--memory-budget", L"0"}, zero));
    EXPECT_TRUE(zero.hasMemoryBudget) << "a budget of 0 keeps every disk out of RAM";
    EXPECT_EQ(zero.memoryBudget, 0u);

    CStandinOptions stop;
    ASSERT_TRUE(ParseArgs({L"--stop", L"--pipe-name", L"p"}, stop));
    EXPECT_TRUE(stop.stop);
}

TEST(StandinOptions, MalformedCommandLinesAreRefused) {
    const std::vector<std::vector<std::wstring>> bad = {
        {L"--bogus"},
        {L"pipe"},
        {L"--pipe-name"},
        {L"--pipe-name", L""},
        {L"--pipe-name", L"a\\b"},
        {L"--pipe-name", std::wstring(201, L'x')},
        {L"--pipe-name", L"a", L"--pipe-name", L"b"},
        {L"--memory-budget"},
        {L"--memory-budget", L"-1"},
        {L"--memory-budget", L"12X"},
        {L"--memory-budget", L"1MB"},
        {L"--memory-budget", L"99999999999999999999"},
        {L"--memory-budget", L"16777216T"},
        {L"--ram-dir", L""},
        {L"--stop", L"--memory-budget", L"1"},
        {L"--save-rate", L"0"},
        {L"--save-rate", L"fast"},
        {L"--stop", L"--save-rate", L"1M"},
        {L"--stop", L"--no-drives"},
        {L"--help", L"--stop"},
    };
    for (const auto& args : bad) {
        CStandinOptions options;
        std::wstring error;
        EXPECT_FALSE(options.Parse(args, error)) << (args.empty() ? L"" : args[0]).size();
        EXPECT_FALSE(error.empty());
    }
}

TEST(StandinOptions, ByteCountsTakeBinarySuffixesAndRefuseOverflow) {
    uint64_t bytes = 0;
    EXPECT_TRUE(CStandinOptions::ParseBytes(L"1073741824", bytes));
    EXPECT_EQ(bytes, 1073741824u);
    EXPECT_TRUE(CStandinOptions::ParseBytes(L"3k", bytes));
    EXPECT_EQ(bytes, 3072u);
    EXPECT_TRUE(CStandinOptions::ParseBytes(L"2G", bytes));
    EXPECT_EQ(bytes, 2147483648u);
    EXPECT_TRUE(CStandinOptions::ParseBytes(L"18446744073709551615", bytes));
    EXPECT_EQ(bytes, UINT64_MAX);
    EXPECT_FALSE(CStandinOptions::ParseBytes(L"18446744073709551616", bytes));
    EXPECT_TRUE(CStandinOptions::ParseBytes(L"16777215T", bytes));
    EXPECT_FALSE(CStandinOptions::ParseBytes(L"16777216T", bytes));
    EXPECT_FALSE(CStandinOptions::ParseBytes(L"G", bytes));
    EXPECT_FALSE(CStandinOptions::ParseBytes(L" 1", bytes));
}
