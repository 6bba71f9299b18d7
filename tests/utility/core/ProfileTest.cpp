#include <gtest/gtest.h>

#include "tests/utility/core/CoreTestFiles.h"
#include "utility/core/Profile.h"

namespace {

const std::wstring kAuto = L"\u81EA\u52D5";  // 自動
const std::wstring kJapaneseFolder =
    L"C:\\\u30C7\u30FC\u30BF\\\u30D0\u30C3\u30AF\u30A2\u30C3\u30D7";  // C:\データ\バックアップ

std::wstring RawRead(const std::wstring& path, const wchar_t* section, const wchar_t* key) {
    wchar_t buffer[256] = {};
    DWORD n = GetPrivateProfileStringW(section, key, L"", buffer, 256, path.c_str());
    return std::wstring(buffer, n);
}

TEST(ProfileRead, LongValuesAreReadWhole) {
    CTempFolder folder;
    CProfile profile(folder.File(L"long.ini"));
    // Around the first buffer (1024) and its doubled sizes, where a cut value looks like a full one.
    for (size_t length : {1021u, 1022u, 1023u, 1024u, 1025u, 2046u, 2047u, 2048u, 9000u}) {
        std::wstring value;
        for (size_t i = 0; i < length; ++i) value += static_cast<wchar_t>(L'a' + i % 26);
        ASSERT_TRUE(profile.WriteString(L"S", L"K", value));
        EXPECT_EQ(profile.GetString(L"S", L"K"), value) << length;
    }
}

TEST(ProfileRead, KeyNameListsBeyondTheFirstBuffer) {
    for (size_t total : {1021u, 1022u, 1023u, 1024u, 3000u}) {
        CTempFolder folder;
        CProfile profile(folder.File(L"keys.ini"));
        // Names of 9 characters plus separator, and one name making up the rest.
        std::vector<std::wstring> expected;
        size_t used = 0;
        for (int i = 0; used + 10 + 11 <= total; ++i) {
            wchar_t name[16];
            swprintf(name, 16, L"Key%06d", i);
            expected.push_back(name);
            used += 10;
        }
        expected.push_back(std::wstring(total - used - 1, L'z'));
        for (const std::wstring& name : expected) ASSERT_TRUE(profile.WriteString(L"List", name, L"0"));
        EXPECT_EQ(profile.GetKeyNames(L"List"), expected) << total;
    }
}

TEST(ProfileRead, MissingFileSectionOrKeyReadsEmpty) {
    CTempFolder folder;
    CProfile missing(folder.File(L"none.ini"));
    EXPECT_EQ(missing.GetString(L"RamDisk", L"DriveSize"), L"");
    EXPECT_TRUE(missing.GetKeyNames(L"RamDisk").empty());
    // Deleting from a missing file does not create it.
    EXPECT_TRUE(missing.DeleteSection(L"Vlink"));
    EXPECT_FALSE(PathExists(missing.GetPath()));

    CProfile some(folder.File(L"some.ini"));
    ASSERT_TRUE(some.WriteString(L"A", L"k", L"v"));
    ASSERT_TRUE(some.WriteString(L"A", L"empty", L""));
    EXPECT_EQ(some.GetString(L"A", L"k"), L"v");
    EXPECT_EQ(some.GetString(L"A", L"other"), L"");
    EXPECT_EQ(some.GetString(L"B", L"k"), L"");
    EXPECT_EQ(some.GetKeyNames(L"A"), (std::vector<std::wstring>{L"k", L"empty"}));
    EXPECT_TRUE(some.DeleteSection(L"A"));
    EXPECT_TRUE(some.GetKeyNames(L"A").empty());
}

TEST(ProfileWrite, FailureReportsTheWindowsError) {
    CTempFolder folder;
    CProfile profile(folder.File(L"no-such-folder\\x.ini"));
    SetLastError(0);
    EXPECT_FALSE(profile.WriteString(L"S", L"K", L"V"));
    EXPECT_NE(GetLastError(), 0u);
    EXPECT_FALSE(PathExists(profile.GetPath()));
}

// Without a byte-order mark the profile API writes in the ANSI code page, which cannot hold
// Japanese text outside Japanese locales: the reason new files get the mark.
TEST(ProfileUnicode, AnsiFileLosesJapaneseTextOutsideJapaneseLocales) {
    if (GetACP() == 932) GTEST_SKIP() << "Japanese code page: ANSI files keep the text";
    CTempFolder folder;
    std::wstring path = folder.File(L"ansi.ini");
    ASSERT_TRUE(WriteBytes(path, AnsiBytes("[RamDisk]\r\nDriveSize=1\r\n")));
    ASSERT_TRUE(CProfile(path).WriteString(L"RamDisk", L"DriveLetter", kAuto));
    EXPECT_NE(RawRead(path, L"RamDisk", L"DriveLetter"), kAuto);
}

TEST(ProfileUnicode, NewFileIsUtf16AndKeepsJapaneseText) {
    CTempFolder folder;
    std::wstring path = folder.File(L"new.ini");
    CProfile profile(path);
    ASSERT_TRUE(profile.WriteString(L"RamDisk", L"DriveLetter", kAuto));
    ASSERT_TRUE(profile.WriteString(L"RamDisk", L"BackupBaseDir", kJapaneseFolder));

    std::vector<unsigned char> bytes = ReadBytes(path);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    EXPECT_TRUE(Contains(bytes, Utf16Bytes(L"DriveLetter=" + kAuto, false)));
    EXPECT_TRUE(Contains(bytes, Utf16Bytes(L"BackupBaseDir=" + kJapaneseFolder, false)));
    EXPECT_EQ(RawRead(path, L"RamDisk", L"DriveLetter"), kAuto);
    EXPECT_EQ(RawRead(path, L"RamDisk", L"BackupBaseDir"), kJapaneseFolder);

    // Rewriting a section keeps the encoding.
    ASSERT_TRUE(profile.DeleteSection(L"RamDisk"));
    ASSERT_TRUE(profile.WriteString(L"Vlink", L"src0", kJapaneseFolder));
    bytes = ReadBytes(path);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    EXPECT_EQ(profile.GetString(L"Vlink", L"src0"), kJapaneseFolder);
    EXPECT_EQ(profile.GetString(L"RamDisk", L"DriveLetter"), L"");
}

TEST(ProfileUnicode, ExistingFilesKeepTheirEncoding) {
    CTempFolder folder;
    std::wstring ansi = folder.File(L"ansi.ini");
    ASSERT_TRUE(WriteBytes(ansi, AnsiBytes("[RamDisk]\r\nDriveSize=134217728\r\n")));
    ASSERT_TRUE(CProfile(ansi).WriteString(L"RamDisk", L"DriveLetter", L"R"));
    std::vector<unsigned char> bytes = ReadBytes(ansi);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes[0], '[');
    EXPECT_TRUE(Contains(bytes, AnsiBytes("DriveLetter=R")));
    EXPECT_EQ(CProfile(ansi).GetString(L"RamDisk", L"DriveSize"), L"134217728");

    // An empty existing file is not given a mark either.
    std::wstring empty = folder.File(L"empty.ini");
    ASSERT_TRUE(WriteBytes(empty, {}));
    ASSERT_TRUE(CProfile(empty).WriteString(L"Option", L"TaskTray", L"1"));
    bytes = ReadBytes(empty);
    ASSERT_FALSE(bytes.empty());
    EXPECT_NE(bytes[0], 0xFF);
}

}  // namespace
