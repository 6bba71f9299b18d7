#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <map>

#include "utility/core/SettingsRules.h"

namespace {

using namespace USettingsRules;

const std::wstring kAuto = L"\u81EA\u52D5";  // 自動

// A section held in memory; a missing key reads as empty, like the profile API.
struct Section {
    std::map<std::wstring, std::wstring> values;
    ValueReader reader() const {
        return [this](const std::wstring& key) {
            auto it = values.find(key);
            return it == values.end() ? std::wstring() : it->second;
        };
    }
    void put(const KeyValueList& list) {
        for (const auto& kv : list) values[kv.first] = kv.second;
    }
};

std::vector<std::wstring> Keys(const KeyValueList& list) {
    std::vector<std::wstring> keys;
    for (const auto& kv : list) keys.push_back(kv.first);
    return keys;
}

CVelmoraEXSettingData Sample() {
    CVelmoraEXSettingData s;
    s.DriveLetter = 'r';
    s.DriveSize = 0x8000000;
    s.BackupBaseDir = L"D:\\\u30D0\u30C3\u30AF\u30A2\u30C3\u30D7";
    s.SaveType = SAVE_WRITE_BACK;
    s.LoadType = LOAD_FAST;
    s.FormatType = FORMAT_TYPE_FAT_AUTO;
    s.MemType = 3;
    s.CacheSetting.IEHistory = 1;
    s.CacheSetting.ChromeCache = 1;
    return s;
}

TEST(DriveLetterRule, AcceptsAutomaticAndSingleAsciiLetters) {
    unsigned char letter = 'Q';
    EXPECT_TRUE(ParseDriveLetter(kAuto, letter));
    EXPECT_EQ(letter, kDriveLetterAutomatic);
    EXPECT_TRUE(ParseDriveLetter(L"R", letter));
    EXPECT_EQ(letter, 'R');
    EXPECT_TRUE(ParseDriveLetter(L"r", letter));
    EXPECT_EQ(letter, 'r');
    for (const std::wstring bad : {L"", L"RR", L"1", L"R:", L"@", L"[", L"\u81EA", L"\u81EA\u52D5\u81EA", L"\u00C4",
                                   L"\uFF32" /* fullwidth R */, L"?"}) {
        letter = 'Q';
        EXPECT_FALSE(ParseDriveLetter(bad, letter));
        EXPECT_EQ(letter, 'Q');
    }
}

TEST(NumberRules, ParseLikeTheRuntime) {
    EXPECT_EQ(ParseInt64(L"134217728"), 134217728);
    EXPECT_EQ(ParseInt64(L"12abc"), 12);
    EXPECT_EQ(ParseInt64(L"abc"), 0);
    EXPECT_EQ(ParseInt64(L"  +42"), 42);
    EXPECT_EQ(ParseInt64(L"-7"), -7);
    EXPECT_EQ(ParseInt64(L"- 7"), 0);
    EXPECT_EQ(ParseInt64(L"9223372036854775807"), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(ParseInt64(L"-9223372036854775808"), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(ParseInt64(L"9223372036854775808"), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(ParseInt64(L"-99999999999999999999999"), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(ParseInt32(L"2147483647"), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(ParseInt32(L"2147483648"), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(ParseInt32(L"-2147483649"), std::numeric_limits<int32_t>::min());
    // 2^32 + 4 must not wrap round to 4.
    EXPECT_EQ(ParseInt32(L"4294967300"), std::numeric_limits<int32_t>::max());
}

TEST(DriveSizeRule, AnyNonEmptyTextIsParsed) {
    uint64_t size = 5;
    EXPECT_FALSE(ParseDriveSize(L"", size));
    EXPECT_EQ(size, 5u);
    EXPECT_TRUE(ParseDriveSize(L"1048576", size));
    EXPECT_EQ(size, 1048576u);
    EXPECT_TRUE(ParseDriveSize(L"x", size));
    EXPECT_EQ(size, 0u);
    // Sizes of 2^63 and more are written as negative numbers and read back to the same bits.
    const uint64_t big = 0x8000000000000010ull;
    EXPECT_EQ(FormatDriveSize(big), L"-9223372036854775792");
    EXPECT_TRUE(ParseDriveSize(FormatDriveSize(big), size));
    EXPECT_EQ(size, big);
    EXPECT_TRUE(ParseDriveSize(L"99999999999999999999", size));
    EXPECT_EQ(size, static_cast<uint64_t>(std::numeric_limits<int64_t>::max()));
}

TEST(TypeRules, FormatMemSaveLoadAndFlags) {
    int32_t v = 99;
    EXPECT_FALSE(ParseFormatType(L"", v));
    EXPECT_EQ(v, 99);
    EXPECT_TRUE(ParseFormatType(L"7", v));
    EXPECT_EQ(v, 4);
    EXPECT_TRUE(ParseFormatType(L"131072", v));
    EXPECT_EQ(v, 131072);
    EXPECT_TRUE(ParseFormatType(L"131072 FAT", v));
    EXPECT_EQ(v, 131072);
    EXPECT_TRUE(ParseFormatType(L"0x20000", v));
    EXPECT_EQ(v, 4);
    EXPECT_TRUE(ParseFormatType(L"4294967300", v));
    EXPECT_EQ(v, 4);

    EXPECT_EQ(ParseMemType(L"1"), 1);
    EXPECT_EQ(ParseMemType(L"3"), 3);
    EXPECT_EQ(ParseMemType(L"4"), 4);
    for (const std::wstring other : {L"", L"2", L"0", L"03", L"4 ", L"34", L"x"}) EXPECT_EQ(ParseMemType(other), 1);

    v = 99;
    for (const std::wstring bad : {L"", L"12", L"4", L"-1", L"01", L" 1", L"a"}) {
        EXPECT_FALSE(ParseSaveType(bad, v));
        EXPECT_EQ(v, 99);
    }
    for (int t = 0; t <= 3; ++t) {
        EXPECT_TRUE(ParseSaveType(std::to_wstring(t), v));
        EXPECT_EQ(v, t);
    }

    v = 99;
    for (const std::wstring bad : {L"", L"0", L"3", L"12", L"1x"}) {
        EXPECT_FALSE(ParseLoadType(bad, v));
        EXPECT_EQ(v, 99);
    }
    EXPECT_TRUE(ParseLoadType(L"2", v));
    EXPECT_EQ(v, 2);

    v = 99;
    for (const std::wstring bad : {L"", L"2", L"01", L"10", L"true", L"-1"}) {
        EXPECT_FALSE(ParseFlag(bad, v));
        EXPECT_EQ(v, 99);
    }
    EXPECT_TRUE(ParseFlag(L"0", v));
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(ParseFlag(L"1", v));
    EXPECT_EQ(v, 1);
}

TEST(RamDiskSectionRules, WrittenValuesReadBackAndKeepTheirOrder) {
    CVelmoraEXSettingData original = Sample();
    EXPECT_EQ(Keys(RamDiskValues(original)),
              (std::vector<std::wstring>{L"DriveSize", L"DriveLetter", L"FormatType", L"MemType", L"SaveType",
                                         L"LoadType", L"BackupBaseDir"}));
    EXPECT_EQ(Keys(CacheValues(original.CacheSetting)),
              (std::vector<std::wstring>{L"IECache", L"IEHistory", L"FirefoxCache", L"ChromeCache"}));
    EXPECT_EQ(DriverSettingDefaults(),
              (KeyValueList{{L"CPUIdle", L"10"}, {L"SleepHaveBlock", L"1000"}, {L"SleepNoBlock", L"1000"}}));

    Section section;
    section.put(RamDiskValues(original));
    section.put(CacheValues(original.CacheSetting));
    EXPECT_EQ(section.values[L"DriveSize"], L"134217728");
    EXPECT_EQ(section.values[L"DriveLetter"], L"r");
    EXPECT_EQ(section.values[L"FormatType"], L"131072");

    CVelmoraEXSettingData read;
    ReadRamDisk(section.reader(), read);
    EXPECT_EQ(read.DriveLetter, original.DriveLetter);
    EXPECT_EQ(read.DriveSize, original.DriveSize);
    EXPECT_EQ(read.BackupBaseDir, original.BackupBaseDir);
    EXPECT_EQ(read.SaveType, original.SaveType);
    EXPECT_EQ(read.LoadType, original.LoadType);
    EXPECT_EQ(read.FormatType, original.FormatType);
    EXPECT_EQ(read.MemType, original.MemType);
    EXPECT_EQ(read.CacheSetting.IECache, 0);
    EXPECT_EQ(read.CacheSetting.IEHistory, 1);
    EXPECT_EQ(read.CacheSetting.FirefoxCache, 0);
    EXPECT_EQ(read.CacheSetting.ChromeCache, 1);

    original.DriveLetter = kDriveLetterAutomatic;
    EXPECT_EQ(RamDiskValues(original)[1].second, kAuto);
    original.DriveLetter = 0;
    EXPECT_EQ(RamDiskValues(original)[1].second, L"");
}

TEST(RamDiskSectionRules, MissingOrBadValuesLeaveFieldsExceptTheFallbacks) {
    CVelmoraEXSettingData setting = Sample();
    Section empty;
    ReadRamDisk(empty.reader(), setting);
    CVelmoraEXSettingData expected = Sample();
    EXPECT_EQ(setting.DriveSize, expected.DriveSize);
    EXPECT_EQ(setting.DriveLetter, expected.DriveLetter);
    EXPECT_EQ(setting.FormatType, expected.FormatType);
    EXPECT_EQ(setting.BackupBaseDir, expected.BackupBaseDir);
    EXPECT_EQ(setting.SaveType, expected.SaveType);
    EXPECT_EQ(setting.LoadType, expected.LoadType);
    EXPECT_EQ(setting.CacheSetting.ChromeCache, 1);
    EXPECT_EQ(setting.MemType, 1);  // missing MemType always reads as 1

    Section bad;
    bad.values = {{L"DriveLetter", L"RR"}, {L"SaveType", L"12"}, {L"LoadType", L"0"},   {L"FormatType", L"7"},
                  {L"MemType", L"2"},      {L"IECache", L"2"},   {L"IEHistory", L"yes"}};
    setting = Sample();
    ReadRamDisk(bad.reader(), setting);
    EXPECT_EQ(setting.DriveLetter, 'r');
    EXPECT_EQ(setting.SaveType, SAVE_WRITE_BACK);
    EXPECT_EQ(setting.LoadType, LOAD_FAST);
    EXPECT_EQ(setting.FormatType, 4);
    EXPECT_EQ(setting.MemType, 1);
    EXPECT_EQ(setting.CacheSetting.IECache, 0);
    EXPECT_EQ(setting.CacheSetting.IEHistory, 1);
}

TEST(LinkSectionRules, NumberingStopsAtTheFirstIncompleteEntry) {
    Section gap;
    gap.values = {{L"src0", L"C:\\a"}, {L"dst0", L"R:\\a"}, {L"backup0", L"C:\\a_Backup"},
                  {L"src2", L"C:\\c"}, {L"dst2", L"R:\\c"}, {L"backup2", L"C:\\c_Backup"}};
    std::vector<CVelmoraEXVlinkData> links{CVelmoraEXVlinkData(L"old", L"old", L"old")};
    ReadVlinks(gap.reader(), links);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0], CVelmoraEXVlinkData(L"C:\\a", L"R:\\a", L"C:\\a_Backup"));

    // An entry missing one of its three values ends the list too.
    Section partial = gap;
    partial.values[L"src1"] = L"C:\\b";
    partial.values[L"dst1"] = L"R:\\b";
    ReadVlinks(partial.reader(), links);
    EXPECT_EQ(links.size(), 1u);
    partial.values[L"backup1"] = L"C:\\b_Backup";
    ReadVlinks(partial.reader(), links);
    EXPECT_EQ(links.size(), 3u);

    Section written;
    written.put(VlinkValues(links));
    EXPECT_EQ(Keys(VlinkValues(links)).front(), L"src0");
    EXPECT_EQ(Keys(VlinkValues(links)).back(), L"backup2");
    std::vector<CVelmoraEXVlinkData> again;
    ReadVlinks(written.reader(), again);
    EXPECT_EQ(again, links);

    Section pending;
    pending.put(RVlinkValues({L"C:\\x", L"C:\\y"}));
    pending.values[L"src3"] = L"C:\\after-gap";
    std::vector<std::wstring> sources{L"old"};
    ReadRVlinks(pending.reader(), sources);
    EXPECT_EQ(sources, (std::vector<std::wstring>{L"C:\\x", L"C:\\y"}));
    Section none;
    ReadRVlinks(none.reader(), sources);
    EXPECT_TRUE(sources.empty());
}

TEST(OptionRules, OnlyZeroAndOneAreTaken) {
    Section section;
    section.values = {{L"TaskTray", L"0"}, {L"Indicator", L"2"}};
    CVelmoraEXOptionData options;
    options.TaskTray = 1;
    options.Indicator = 1;
    ReadOptions(section.reader(), options);
    EXPECT_EQ(options.TaskTray, 0);
    EXPECT_EQ(options.Indicator, 1);
    EXPECT_EQ(OptionValues(options), (KeyValueList{{L"TaskTray", L"0"}, {L"Indicator", L"1"}}));

    Section ie;
    ie.values = {{L"Cache", L"1"}, {L"Cookie", L"01"}, {L"History", L"1"}, {L"TypedUrls", L""}};
    CVelmoraIEDeleteSettingData data;
    data.TypedUrls = 1;
    ReadIEDelete(ie.reader(), data);
    EXPECT_EQ(data.Cache, 1);
    EXPECT_EQ(data.Cookie, 0);
    EXPECT_EQ(data.History, 1);
    EXPECT_EQ(data.TypedUrls, 1);
    EXPECT_EQ(Keys(IEDeleteValues(data)), (std::vector<std::wstring>{L"Cache", L"Cookie", L"History", L"TypedUrls"}));
}

TEST(DeletePathRules, MergeAndRemoveIgnoreCase) {
    using List = std::vector<std::wstring>;
    EXPECT_EQ(AddDeletePaths({}, {L"History", L"Cache"}), (List{L"History", L"Cache"}));
    EXPECT_EQ(AddDeletePaths({L"History"}, {L"HISTORY", L"Chrome Cache", L"chrome cache"}),
              (List{L"History", L"Chrome Cache"}));
    // Names that would not read back as the same key are never stored.
    EXPECT_EQ(AddDeletePaths({}, {L"", L"a=b", L"Cache"}), (List{L"Cache"}));

    EXPECT_EQ(
        RemoveDeletePaths({L"History", L"Cache", L"Temporary Internet Files"}, {L"cache", L"TEMPORARY internet FILES"}),
        (List{L"History"}));
    EXPECT_EQ(RemoveDeletePaths({L"History"}, {L"Histor", L"History2"}), (List{L"History"}));
}

TEST(FileNameRules, SettingsAndPendingDeletionNames) {
    for (const std::wstring yes : {L"VelmoraEX0.ini", L"velmoraex12.INI", L"VelmoraEX.ini", L"VELMORAEXfoo.Ini"})
        EXPECT_TRUE(IsSettingsFileName(yes)) << std::string(yes.begin(), yes.end());
    for (const std::wstring no : {L"VelmoraE.ini", L"Option.ini", L"VelmoraEX0.ini.bak", L"VelmoraEX0.bak",
                                  L"VelmoraEX0", L"VelmoraEX0.del", L".ini", L"xVelmoraEX0.ini", L"VelmoraEX0.inix"})
        EXPECT_FALSE(IsSettingsFileName(no)) << std::string(no.begin(), no.end());
    EXPECT_TRUE(IsPendingDeletionName(L"VelmoraEX3.DEL"));
    EXPECT_FALSE(IsPendingDeletionName(L"VelmoraEX3.ini"));
    EXPECT_FALSE(IsPendingDeletionName(L"Other3.del"));

    EXPECT_EQ(SettingsFileName(0), L"VelmoraEX0.ini");
    EXPECT_EQ(SettingsFileName(12), L"VelmoraEX12.ini");
    EXPECT_EQ(BackupFolderName(3), L"Backup3");
}

TEST(FileNameRules, ReplaceExtensionOfTheLastComponentOnly) {
    EXPECT_EQ(ReplaceExtension(L"C:\\Data\\VelmoraEX0.ini", L".bak"), L"C:\\Data\\VelmoraEX0.bak");
    EXPECT_EQ(ReplaceExtension(L"C:\\Data\\VelmoraEX0.bak", L".ini"), L"C:\\Data\\VelmoraEX0.ini");
    EXPECT_EQ(ReplaceExtension(L"C:\\a.b\\file", L".del"), L"C:\\a.b\\file.del");
    EXPECT_EQ(ReplaceExtension(L"C:/a.b/x.tar.ini", L".bak"), L"C:/a.b/x.tar.bak");
    EXPECT_EQ(ReplaceExtension(L"C:VelmoraEX1.ini", L".del"), L"C:VelmoraEX1.del");
    EXPECT_EQ(ReplaceExtension(L"VelmoraEX1", L".ini"), L"VelmoraEX1.ini");
}

TEST(FileNameRules, CaseInsensitiveEquality) {
    EXPECT_TRUE(EqualNoCase(L"C:\\Data\\VelmoraEX0.ini", L"c:\\DATA\\velmoraex0.INI"));
    EXPECT_FALSE(EqualNoCase(L"abc", L"abd"));
    EXPECT_FALSE(EqualNoCase(L"abc", L"abcd"));
    EXPECT_FALSE(EqualNoCase(L"[", L"{"));  // differ by 0x20 but are not letters
}

}  // namespace
