// The names a new virtual link gets for its RAM-disk folder and its backup folder.
#include "utility/core/VlinkPaths.h"

#include <gtest/gtest.h>

#include <set>

using namespace UVlinkPaths;

TEST(VlinkPaths, FirstFreeNamesCountFromTwoOnTheRamDiskAndFromOneForTheBackup) {
    std::set<std::wstring> taken;
    std::wstring asked;
    auto isTaken = [&](const std::wstring& path) {
        asked = path;
        return taken.count(path) != 0;
    };
    EXPECT_EQ(RamFolderFor(L'R', L"C:\\me\\Docs\\", isTaken), L"\\Vlink\\Docs");
    EXPECT_EQ(asked, L"R:\\Vlink\\Docs");
    EXPECT_EQ(BackupFolderFor(L"C:\\me\\Docs\\", isTaken), L"C:\\me\\Docs_Backup");

    taken = {L"R:\\Vlink\\Docs", L"R:\\Vlink\\Docs2", L"C:\\me\\Docs_Backup", L"C:\\me\\Docs_Backup1"};
    EXPECT_EQ(RamFolderFor(L'R', L"C:\\me\\Docs", isTaken), L"\\Vlink\\Docs3");
    EXPECT_EQ(BackupFolderFor(L"C:\\me\\Docs", isTaken), L"C:\\me\\Docs_Backup2");

    EXPECT_EQ(RamFolderFor(L'R', L"C:\\", isTaken), L"");
    EXPECT_EQ(RamFolderFor(L'R', L"D:/a/b c", isTaken), L"\\Vlink\\b c");
    EXPECT_EQ(BackupFolderFor(L"C:\\", isTaken), L"");
}
