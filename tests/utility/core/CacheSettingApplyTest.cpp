// The browser-cache setting applied to a RAM disk with a drive letter of its own and undone: every
// browser at once, against real folders, files and registry (the shell-folder setter and the
// junctions as Windows has them).
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "common/FakeReparsePoints.h"
#include "common/Junction.h"
#include "framework/ScratchFolder.h"
#include "utility/core/VelmoraEXCacheSettingData.h"
#include "utility/links/BrowserChrome.h"
#include "utility/links/BrowserFirefox.h"
#include "utility/links/FakeShellFolderSetter.h"
#include "utility/links/ShellFolder.h"
#include "utility/links/WineDriveLetter.h"

namespace {

void Write(const std::wstring& path, const std::string& text) {
    ScratchFolder::Write(path, std::vector<char>(text.begin(), text.end()));
}

}  // namespace

TEST(CacheSettingApply, EveryBrowserMovesToTheDiskAndBackToItsDefault) {
    FakeShellFolderSetter setter;
    FakeReparsePoints junctions;
    ScratchFolder disk, home;
    WineDriveLetter letter(L'Q', disk.Path());
    ASSERT_TRUE(letter.Works()) << "no drive letter for the RAM disk's folder";
    SetEnvironmentVariableW(L"APPDATA", home.Path().c_str());
    const std::wstring firefox = home / L"Mozilla\\Firefox";
    SHCreateDirectoryExW(nullptr, (firefox + L"\\Profiles\\p.default").c_str(), nullptr);
    Write(firefox + L"\\Profiles.ini", "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/p.default\r\n");
    const std::wstring chrome = UBrowserChrome::CacheFolder();
    SHCreateDirectoryExW(nullptr, chrome.c_str(), nullptr);
    Write(chrome + L"\\index", "chrome");

    std::wstring ieHome;
    ASSERT_TRUE(UShellFolder::GetDefault(CSIDL_INTERNET_CACHE, ieHome));
    ScratchFolder::MakeFolder(ieHome + L"\\Low");
    Write(ieHome + L"\\Low\\a.htm", "a");

    CVelmoraEXCacheSettingData all, result;
    all.IECache = all.IEHistory = all.FirefoxCache = all.ChromeCache = 1;
    all.ApplyToDrive(L'Q', result, 1);
    EXPECT_EQ(std::vector<int>({result.IECache, result.IEHistory, result.FirefoxCache, result.ChromeCache}),
              std::vector<int>({1, 1, 1, 1}));
    std::wstring path;
    ASSERT_TRUE(UShellFolder::GetCurrent(CSIDL_INTERNET_CACHE, path));
    EXPECT_EQ(path, L"Q:\\Temporary Internet Files");
    ASSERT_TRUE(UShellFolder::GetCurrent(CSIDL_HISTORY, path));
    EXPECT_EQ(path, L"Q:\\History");
    EXPECT_EQ(UBrowserFirefox::GetCacheParent(firefox + L"\\Profiles\\p.default"), L"Q:\\Cache");
    const std::wstring ieDisk = disk / L"Temporary Internet Files";
    EXPECT_EQ(ScratchFolder::Read(ieDisk + L"\\Low\\a.htm"), std::vector<char>{'a'}) << "the old content is copied";
    EXPECT_EQ(GetFileAttributesW(ieDisk.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    std::wstring target;
    EXPECT_TRUE(UJunction::IsJunction(chrome, &target));
    EXPECT_EQ(target, L"\\??\\Q:\\Chrome Cache");
    EXPECT_EQ(ScratchFolder::Read(disk / L"Chrome Cache\\index"), (std::vector<char>{'c', 'h', 'r', 'o', 'm', 'e'}));
    std::vector<std::wstring> names;
    all.GetFolderNames(names);
    for (const std::wstring& name : names) EXPECT_TRUE(ScratchFolder::Exists(disk / name)) << name.size();

    // Enabled again on an empty disk: every folder is back, nothing had to move.
    for (const std::wstring& name : names) ScratchFolder::RemoveTree(disk / name);
    CVelmoraEXCacheSettingData again;
    all.ApplyToDrive(L'Q', again, 1);
    EXPECT_EQ(std::vector<int>({again.IECache, again.IEHistory, again.FirefoxCache, again.ChromeCache}),
              std::vector<int>({0, 0, 0, 0}));
    for (const std::wstring& name : names) EXPECT_TRUE(ScratchFolder::Exists(disk / name));
    EXPECT_TRUE(ScratchFolder::Exists(ieDisk + L"\\low"));
    Write(ieDisk + L"\\today.htm", "t");

    CVelmoraEXCacheSettingData reverted;
    all.RevertToDefault(reverted);
    EXPECT_EQ(std::vector<int>({reverted.IECache, reverted.IEHistory, reverted.FirefoxCache, reverted.ChromeCache}),
              std::vector<int>({1, 1, 1, 1}));
    std::wstring defaultPath;
    ASSERT_TRUE(UShellFolder::GetCurrent(CSIDL_HISTORY, path));
    ASSERT_TRUE(UShellFolder::GetDefault(CSIDL_HISTORY, defaultPath));
    EXPECT_EQ(path, defaultPath);
    EXPECT_EQ(ScratchFolder::Read(ieHome + L"\\today.htm"), std::vector<char>{'t'}) << "copied back home";
    EXPECT_FALSE(ScratchFolder::Exists(ieDisk));
    EXPECT_EQ(UBrowserFirefox::GetCacheParent(firefox + L"\\Profiles\\p.default"), L"");
    EXPECT_FALSE(UJunction::IsJunction(chrome));
    EXPECT_TRUE(UBrowserChrome::BackupFolders(chrome).empty());

    EXPECT_EQ(setter.sets, 4);
}
