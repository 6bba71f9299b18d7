#include <gtest/gtest.h>

#include "tests/utility/core/CoreTestFiles.h"
#include "utility/core/SettingsPaths.h"
#include "utility/disk/DataFolder.h"

namespace {

using namespace USettingsPaths;

// Works in the real data folder and removes what it created there.
class SettingsPathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureDataFolder());
        data = GetDataFolder();
        ASSERT_FALSE(data.empty());
    }
    void TearDown() override {
        for (auto it = created.rbegin(); it != created.rend(); ++it) {
            if (GetFileAttributesW(it->c_str()) & FILE_ATTRIBUTE_DIRECTORY)
                CTempFolder::RemoveTree(*it);
            else
                DeleteFileW(it->c_str());
        }
    }
    std::wstring MakeFolder(const std::wstring& name) {
        std::wstring p = JoinPath(data, name);
        EXPECT_TRUE(CreateDirectoryW(p.c_str(), nullptr));
        created.push_back(p);
        return p;
    }
    std::wstring MakeFile(const std::wstring& name) {
        std::wstring p = JoinPath(data, name);
        EXPECT_TRUE(WriteBytes(p, AnsiBytes("[RamDisk]\r\n")));
        created.push_back(p);
        return p;
    }
    // The number n of a settings path "…\VelmoraEX<n>.ini" in the data folder, or -1.
    int NumberOf(const std::wstring& settingsPath) {
        for (int n = 0; n < 1000; ++n) {
            if (settingsPath == JoinPath(data, L"VelmoraEX" + std::to_wstring(n) + L".ini")) return n;
        }
        return -1;
    }

    std::wstring data;
    std::vector<std::wstring> created;
};

TEST_F(SettingsPathsTest, FilesOfTheDataFolder) {
    EXPECT_EQ(GetOptionFile(), data + L"\\Option.ini");
    EXPECT_EQ(GetIEDeleteFile(), data + L"\\IEDelete.ini");
    EXPECT_TRUE(IsInDataFolder(GetOptionFile()));

    wchar_t self[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring program(self, length);
    EXPECT_EQ(GetToolsProgramPath(), program.substr(0, program.rfind(L'\\')) + L"\\VelmoraEXTools.exe");
}

TEST_F(SettingsPathsTest, NewSettingsSkipNumbersTakenByEitherName) {
    std::wstring settings, backup;
    GetNewSettingsPaths(settings, backup);
    const int n = NumberOf(settings);
    ASSERT_GE(n, 0) << "unexpected path";
    EXPECT_EQ(backup, JoinPath(data, L"Backup" + std::to_wstring(n)));

    // A backup folder of number n, but no settings file: both move on to n + 1.
    MakeFolder(L"Backup" + std::to_wstring(n));
    GetNewSettingsPaths(settings, backup);
    EXPECT_EQ(NumberOf(settings), n + 1);
    EXPECT_EQ(backup, JoinPath(data, L"Backup" + std::to_wstring(n + 1)));

    // A plain file with the backup folder's name counts too, and so does a settings file.
    MakeFile(L"Backup" + std::to_wstring(n + 1));
    MakeFile(L"VelmoraEX" + std::to_wstring(n + 2) + L".ini");
    GetNewSettingsPaths(settings, backup);
    EXPECT_EQ(NumberOf(settings), n + 3);
    EXPECT_EQ(backup, JoinPath(data, L"Backup" + std::to_wstring(n + 3)));

    // The default backup folder looks at backup names only.
    EXPECT_EQ(GetNewBackupFolder(), JoinPath(data, L"Backup" + std::to_wstring(n + 2)));
}

TEST_F(SettingsPathsTest, SiblingFilesOfASettingsFile) {
    const std::wstring ini = JoinPath(data, L"VelmoraEX4.ini");
    EXPECT_EQ(GetPendingSettingsPath(ini), JoinPath(data, L"VelmoraEX4.bak"));
    EXPECT_EQ(GetPendingDeletionPath(ini), JoinPath(data, L"VelmoraEX4.del"));
    EXPECT_EQ(GetSettingsPathOf(GetPendingDeletionPath(ini)), ini);
}

}  // namespace
