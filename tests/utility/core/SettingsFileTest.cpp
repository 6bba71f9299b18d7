#include <gtest/gtest.h>

#include "framework/FileException.h"
#include "tests/utility/core/CoreTestFiles.h"
#include "utility/core/Profile.h"
#include "utility/core/SettingsFile.h"

namespace {

using namespace USettingsFile;

const std::wstring kAuto = L"\u81EA\u52D5";
const std::wstring kJapaneseFolder = L"D:\\\u30C7\u30FC\u30BF\\\u30D0\u30C3\u30AF\u30A2\u30C3\u30D7";

CVelmoraEXSettingData NewDiskSettings() {
    CVelmoraEXSettingData s;
    s.LoadAtStartup = 1;
    s.DriveLetter = kDriveLetterAutomatic;
    s.DriveSize = 0x8000000;
    s.BackupBaseDir = kJapaneseFolder;
    s.SaveType = SAVE_AT_LOGOFF;
    s.LoadType = 0;
    s.FormatType = FORMAT_TYPE_NTFS;
    s.MemType = 1;
    s.CacheSetting.IECache = 1;
    s.CacheSetting.FirefoxCache = 1;
    return s;
}

// Runs f and returns the file error it throws (the caller deletes it), or null.
template <typename F>
CFileException* CatchFileError(F f) {
    try {
        f();
    } catch (CException* e) {
        if (auto* fileError = dynamic_cast<CFileException*>(e)) return fileError;
        e->Delete();
        ADD_FAILURE() << "not a file error";
    }
    return nullptr;
}

class SettingsFileTest : public ::testing::Test {
protected:
    CTempFolder folder;
    std::wstring path = folder.File(L"VelmoraEX0.ini");
};

TEST_F(SettingsFileTest, RamDiskRoundTripInANewFile) {
    CVelmoraEXSettingData written = NewDiskSettings();
    WriteRamDisk(path, written);

    CVelmoraEXSettingData read;
    ReadRamDisk(path, read);
    EXPECT_EQ(read.LoadAtStartup, 0);  // not stored in the file
    EXPECT_EQ(read.DriveLetter, kDriveLetterAutomatic);
    EXPECT_EQ(read.DriveSize, written.DriveSize);
    EXPECT_EQ(read.BackupBaseDir, kJapaneseFolder);
    EXPECT_EQ(read.SaveType, SAVE_AT_LOGOFF);
    EXPECT_EQ(read.LoadType, 0);  // "0" is not a load type: ignored
    EXPECT_EQ(read.FormatType, FORMAT_TYPE_NTFS);
    EXPECT_EQ(read.MemType, 1);
    EXPECT_EQ(read.CacheSetting.IECache, 1);
    EXPECT_EQ(read.CacheSetting.IEHistory, 0);
    EXPECT_EQ(read.CacheSetting.FirefoxCache, 1);
    EXPECT_EQ(read.CacheSetting.ChromeCache, 0);

    CProfile profile(path);
    EXPECT_EQ(
        profile.GetKeyNames(L"RamDisk"),
        (std::vector<std::wstring>{L"DriveSize", L"DriveLetter", L"FormatType", L"MemType", L"SaveType", L"LoadType",
                                   L"BackupBaseDir", L"IECache", L"IEHistory", L"FirefoxCache", L"ChromeCache"}));
    EXPECT_EQ(profile.GetString(L"RamDisk", L"DriveLetter"), kAuto);
    EXPECT_EQ(profile.GetString(L"Setting", L"CPUIdle"), L"10");
    EXPECT_EQ(profile.GetString(L"Setting", L"SleepHaveBlock"), L"1000");
    EXPECT_EQ(profile.GetString(L"Setting", L"SleepNoBlock"), L"1000");
    EXPECT_TRUE(HasRamDiskSection(path));

    // The mark that keeps "自動" is on disk.
    std::vector<unsigned char> bytes = ReadBytes(path);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
}

TEST_F(SettingsFileTest, DriverValuesAreNeverOverwritten) {
    ASSERT_TRUE(WriteBytes(path, AnsiBytes("[Setting]\r\nCPUIdle=0\r\nSleepHaveBlock=5\r\n")));
    WriteRamDisk(path, NewDiskSettings());
    WriteRamDisk(path, NewDiskSettings());
    CProfile profile(path);
    EXPECT_EQ(profile.GetString(L"Setting", L"CPUIdle"), L"0");
    EXPECT_EQ(profile.GetString(L"Setting", L"SleepHaveBlock"), L"5");
    EXPECT_EQ(profile.GetString(L"Setting", L"SleepNoBlock"), L"1000");
}

TEST_F(SettingsFileTest, ReadRulesApplyToAStoredFile) {
    const std::wstring text =
        L"[RamDisk]\r\nDriveSize=99999999999999999999\r\nDriveLetter=RR\r\nFormatType=7\r\nSaveType=12\r\n"
        L"LoadType=2\r\nBackupBaseDir=\r\nIECache=1\r\nIEHistory=2\r\n";
    ASSERT_TRUE(WriteBytes(path, Utf16Bytes(text, true)));
    CVelmoraEXSettingData setting = NewDiskSettings();
    setting.MemType = 4;
    ReadRamDisk(path, setting);
    EXPECT_EQ(setting.DriveSize, 0x7FFFFFFFFFFFFFFFull);
    EXPECT_EQ(setting.DriveLetter, kDriveLetterAutomatic);  // two letters: ignored
    EXPECT_EQ(setting.FormatType, 4);
    EXPECT_EQ(setting.SaveType, SAVE_AT_LOGOFF);  // "12": ignored
    EXPECT_EQ(setting.LoadType, 2);
    EXPECT_EQ(setting.BackupBaseDir, kJapaneseFolder);  // empty: kept
    EXPECT_EQ(setting.MemType, 1);                      // missing: 1
    EXPECT_EQ(setting.CacheSetting.IECache, 1);
    EXPECT_EQ(setting.CacheSetting.IEHistory, 0);

    ASSERT_TRUE(
        WriteBytes(path, Utf16Bytes(L"[RamDisk]\r\nDriveLetter=r\r\nFormatType=131072\r\nMemType=3\r\n", true)));
    ReadRamDisk(path, setting);
    EXPECT_EQ(setting.DriveLetter, 'r');
    EXPECT_EQ(setting.FormatType, 131072);
    EXPECT_EQ(setting.MemType, 3);

    // A missing file changes nothing but MemType.
    CVelmoraEXSettingData untouched = NewDiskSettings();
    untouched.MemType = 4;
    ReadRamDisk(folder.File(L"missing.ini"), untouched);
    EXPECT_EQ(untouched.DriveSize, 0x8000000u);
    EXPECT_EQ(untouched.DriveLetter, kDriveLetterAutomatic);
    EXPECT_EQ(untouched.MemType, 1);
}

TEST_F(SettingsFileTest, RamDiskSectionPresence) {
    EXPECT_FALSE(HasRamDiskSection(path));
    ASSERT_TRUE(WriteBytes(path, AnsiBytes("[Vlink]\r\nsrc0=C:\\a\r\n[ramdisk]\r\n")));
    EXPECT_FALSE(HasRamDiskSection(path));
    ASSERT_TRUE(WriteBytes(path, AnsiBytes("[ramdisk]\r\nDriveSize=\r\n")));
    EXPECT_TRUE(HasRamDiskSection(path));
}

TEST_F(SettingsFileTest, FailedWritesOfRamDiskAndOptionsThrowFileErrors) {
    const std::wstring unreachable = folder.File(L"missing-folder\\VelmoraEX0.ini");
    CFileException* e = CatchFileError([&] { WriteRamDisk(unreachable, NewDiskSettings()); });
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->m_cause, CFileException::genericException);
    EXPECT_NE(e->m_lOsError, 0);
    EXPECT_EQ(e->m_strFileName, unreachable);
    e->Delete();

    const std::wstring options = folder.File(L"missing-folder\\Option.ini");
    e = CatchFileError([&] { WriteOptions(options, CVelmoraEXOptionData()); });
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->m_strFileName, options);
    e->Delete();

    // The other sections report failure by their result only.
    EXPECT_EQ(CatchFileError([&] { WriteIEDelete(folder.File(L"missing-folder\\IEDelete.ini"), {}); }), nullptr);
    EXPECT_FALSE(WriteVlink(unreachable, {CVelmoraEXVlinkData(L"a", L"b", L"c")}));
    EXPECT_FALSE(AddDeletePaths(unreachable, {L"Cache"}));
}

TEST_F(SettingsFileTest, VlinkSectionsAreReplacedWhole) {
    WriteRamDisk(path, NewDiskSettings());
    std::vector<CVelmoraEXVlinkData> three{CVelmoraEXVlinkData(L"C:\\a", L"R:\\a", L"C:\\a_Backup"),
                                           CVelmoraEXVlinkData(kJapaneseFolder, L"R:\\j", kJapaneseFolder + L"_Backup"),
                                           CVelmoraEXVlinkData(L"C:\\c", L"R:\\c", L"C:\\c_Backup")};
    ASSERT_TRUE(WriteVlink(path, three));
    std::vector<CVelmoraEXVlinkData> read;
    ReadVlink(path, read);
    EXPECT_EQ(read, three);

    ASSERT_TRUE(WriteVlink(path, {three[2]}));
    EXPECT_EQ(CProfile(path).GetKeyNames(L"Vlink"), (std::vector<std::wstring>{L"src0", L"dst0", L"backup0"}));
    ReadVlink(path, read);
    EXPECT_EQ(read, std::vector<CVelmoraEXVlinkData>{three[2]});
    EXPECT_TRUE(HasRamDiskSection(path));  // other sections untouched

    ASSERT_TRUE(WriteRVlink(path, {L"C:\\x", kJapaneseFolder}));
    ASSERT_TRUE(WriteRVlink(path, {L"C:\\y"}));
    std::vector<std::wstring> pending;
    ReadRVlink(path, pending);
    EXPECT_EQ(pending, std::vector<std::wstring>{L"C:\\y"});
    ASSERT_TRUE(WriteRVlink(path, {}));
    EXPECT_TRUE(CProfile(path).GetKeyNames(L"RVlink").empty());
}

TEST_F(SettingsFileTest, VlinkNumberingStopsAtAGap) {
    ASSERT_TRUE(WriteBytes(path, AnsiBytes("[Vlink]\r\nsrc0=C:\\a\r\ndst0=R:\\a\r\nbackup0=C:\\a_Backup\r\n"
                                           "src2=C:\\c\r\ndst2=R:\\c\r\nbackup2=C:\\c_Backup\r\n")));
    std::vector<CVelmoraEXVlinkData> read;
    ReadVlink(path, read);
    EXPECT_EQ(read, std::vector<CVelmoraEXVlinkData>{CVelmoraEXVlinkData(L"C:\\a", L"R:\\a", L"C:\\a_Backup")});
}

TEST_F(SettingsFileTest, DeletePathsAddAndRemoveIgnoringCase) {
    ASSERT_TRUE(AddDeletePaths(path, {L"Temporary Internet Files", L"History"}));
    ASSERT_TRUE(AddDeletePaths(path, {L"HISTORY", L"Chrome Cache"}));
    std::vector<std::wstring> names;
    ReadDeletePath(path, names);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Temporary Internet Files", L"History", L"Chrome Cache"}));
    CProfile profile(path);
    for (const std::wstring& name : names) EXPECT_EQ(profile.GetString(L"DeletePath", name), L"0");

    ASSERT_TRUE(RemoveDeletePaths(path, {L"temporary internet files", L"Cache"}));
    ReadDeletePath(path, names);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"History", L"Chrome Cache"}));
    ASSERT_TRUE(RemoveDeletePaths(path, {L"History", L"Chrome Cache"}));
    ReadDeletePath(path, names);
    EXPECT_TRUE(names.empty());

    // Removing from a file that does not exist creates nothing.
    std::wstring missing = folder.File(L"VelmoraEX9.ini");
    EXPECT_TRUE(RemoveDeletePaths(missing, {L"History"}));
    EXPECT_FALSE(PathExists(missing));
}

TEST_F(SettingsFileTest, OptionAndIEDeleteFiles) {
    std::wstring options = folder.File(L"Option.ini");
    CVelmoraEXOptionData o;
    o.TaskTray = 0;
    o.Indicator = 1;
    WriteOptions(options, o);
    CVelmoraEXOptionData read;
    read.TaskTray = 1;  // as loading sets it before reading
    read.Indicator = 0;
    ReadOptions(options, read);
    EXPECT_EQ(read.TaskTray, 0);
    EXPECT_EQ(read.Indicator, 1);

    ASSERT_TRUE(WriteBytes(options, AnsiBytes("[Option]\r\nTaskTray=yes\r\nIndicator=0\r\n")));
    read.TaskTray = 1;
    ReadOptions(options, read);
    EXPECT_EQ(read.TaskTray, 1);
    EXPECT_EQ(read.Indicator, 0);

    std::wstring ie = folder.File(L"IEDelete.ini");
    CVelmoraIEDeleteSettingData d;
    d.Cache = 1;
    d.TypedUrls = 1;
    WriteIEDelete(ie, d);
    CVelmoraIEDeleteSettingData back;
    back.Cookie = 1;
    ReadIEDelete(ie, back);
    EXPECT_EQ(back.Cache, 1);
    EXPECT_EQ(back.Cookie, 0);
    EXPECT_EQ(back.History, 0);
    EXPECT_EQ(back.TypedUrls, 1);
    EXPECT_EQ(CProfile(ie).GetKeyNames(L"Setting"),
              (std::vector<std::wstring>{L"Cache", L"Cookie", L"History", L"TypedUrls"}));
}

}  // namespace
