// Internet Explorer's folders on the RAM disk, against real folders, files and registry; the
// shell-folder setter is the one Windows has (Wine's moves nothing).
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "framework/RegKey.h"
#include "framework/ScratchFolder.h"
#include "utility/links/BrowserIE.h"
#include "utility/links/FakeShellFolderSetter.h"
#include "utility/links/ShellFolder.h"

namespace {

const wchar_t kContainers[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\5.0\\Cache\\Extensible Cache";
const wchar_t kLowContainers[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\5.0\\LowCache\\Extensible Cache";

std::wstring Current(int folder) {
    std::wstring path;
    EXPECT_TRUE(UShellFolder::GetCurrent(folder, path));
    return path;
}

std::wstring Default(int folder) {
    std::wstring path;
    EXPECT_TRUE(UShellFolder::GetDefault(folder, path));
    return path;
}

bool Put(const std::wstring& path, const char* text) {
    return ScratchFolder::Write(path, std::vector<char>(text, text + strlen(text)));
}

void SetString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value, DWORD type) {
    CRegKey k;
    ASSERT_EQ(k.Create(root, key.c_str(), KEY_SET_VALUE), ERROR_SUCCESS);
    RegSetValueExW(k.Get(), name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// The value as stored, or "(gone)" when the key or value is missing.
std::wstring GetString(HKEY root, const std::wstring& key, const wchar_t* name, DWORD* type = nullptr) {
    CRegKey k;
    if (k.Open(root, key.c_str(), KEY_QUERY_VALUE) != ERROR_SUCCESS) return L"(gone)";
    wchar_t buffer[1024] = {};
    DWORD bytes = sizeof(buffer) - 2, t = 0;
    if (RegQueryValueExW(k.Get(), name, nullptr, &t, reinterpret_cast<BYTE*>(buffer), &bytes) != ERROR_SUCCESS)
        return L"(gone)";
    if (type) *type = t;
    return buffer;
}

std::wstring Expanded(const std::wstring& text) {
    wchar_t buffer[1024] = {};
    ExpandEnvironmentStringsW(text.c_str(), buffer, 1024);
    return buffer;
}

}  // namespace

TEST(BrowserIE, HistoryMovesWithItsContainersAndOnlyThoseInsideTheOldFolder) {
    FakeShellFolderSetter setter;
    ScratchFolder ram, elsewhere;
    const std::wstring home = Default(CSIDL_HISTORY), root = ram.Path() + L"\\", target = root + L"History";
    const std::wstring inside = home + L"\\History.IE5\\MSHist012026120720261208";
    ASSERT_TRUE(SHCreateDirectoryExW(nullptr, inside.c_str(), nullptr) == ERROR_SUCCESS ||
                ScratchFolder::Exists(inside));
    ASSERT_TRUE(Put(inside + L"\\index.dat", "i"));
    ASSERT_TRUE(Put(home + L"\\desktop.ini", "[.ShellClassInfo]"));
    const std::wstring outside = elsewhere.Path() + L"\\MSHistOut";
    ScratchFolder::MakeFolder(outside);
    const std::wstring profile = Expanded(L"%USERPROFILE%");
    ASSERT_EQ(home.compare(0, profile.size(), profile), 0);
    const std::wstring insideStored = L"%USERPROFILE%" + inside.substr(profile.size());
    SetString(HKEY_CURRENT_USER, std::wstring(kContainers) + L"\\MSHist012026120720261208", L"CachePath", insideStored,
              REG_EXPAND_SZ);
    SetString(HKEY_CURRENT_USER, std::wstring(kContainers) + L"\\mshistOutside", L"CachePath", outside, REG_SZ);
    SetString(HKEY_CURRENT_USER, std::wstring(kContainers) + L"\\MSHistGone", L"CachePath", L"C:\\nowhere\\MSHist",
              REG_SZ);
    SetString(HKEY_CURRENT_USER, std::wstring(kContainers) + L"\\Feeds", L"CachePath", L"C:\\nowhere\\Feeds", REG_SZ);
    SetString(HKEY_CURRENT_USER, std::wstring(kLowContainers) + L"\\MSHistLow", L"CachePath", home + L"\\Low\\gone",
              REG_SZ);

    bool changed = false;
    ASSERT_TRUE(UBrowserIE::ApplyHistory(root, false, changed));
    EXPECT_TRUE(changed);
    EXPECT_EQ(Current(CSIDL_HISTORY), target);
    const std::wstring moved = target + inside.substr(home.size());
    EXPECT_EQ(ScratchFolder::Read(moved + L"\\index.dat"), std::vector<char>{'i'});
    DWORD type = 0;
    EXPECT_EQ(Expanded(GetString(HKEY_CURRENT_USER, std::wstring(kContainers) + L"\\MSHist012026120720261208",
                                 L"CachePath", &type)),
              moved);
    EXPECT_EQ(type, DWORD(REG_EXPAND_SZ));
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, std::wstring(kContainers) + L"\\mshistOutside", L"CachePath"), outside)
        << "a container outside the old folder keeps its value";
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, std::wstring(kContainers) + L"\\MSHistGone", L"CachePath"), L"(gone)");
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, std::wstring(kContainers) + L"\\Feeds", L"CachePath"),
              L"C:\\nowhere\\Feeds");
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, std::wstring(kLowContainers) + L"\\MSHistLow", L"CachePath"), L"(gone)");

    // An empty disk without backup: the default "desktop.ini" is seeded.
    ScratchFolder::RemoveTree(target);
    ASSERT_TRUE(UBrowserIE::ApplyHistory(root, true, changed));
    EXPECT_FALSE(changed);
    EXPECT_TRUE(ScratchFolder::Exists(target + L"\\low"));
    EXPECT_EQ(ScratchFolder::Read(target + L"\\desktop.ini"), ScratchFolder::Read(home + L"\\desktop.ini"));

    ASSERT_TRUE(SHCreateDirectoryExW(nullptr, moved.c_str(), nullptr) == ERROR_SUCCESS);
    SetString(HKEY_CURRENT_USER, std::wstring(kContainers) + L"\\MSHist012026120720261208", L"CachePath", moved,
              REG_EXPAND_SZ);
    ASSERT_TRUE(Put(moved + L"\\today.dat", "t"));
    ASSERT_TRUE(UBrowserIE::UndoHistory(changed));
    EXPECT_TRUE(changed);
    EXPECT_EQ(Current(CSIDL_HISTORY), home);
    EXPECT_EQ(ScratchFolder::Read(inside + L"\\today.dat"), std::vector<char>{'t'});
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, std::wstring(kContainers) + L"\\MSHist012026120720261208", L"CachePath"),
              insideStored);
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, std::wstring(kContainers) + L"\\mshistOutside", L"CachePath"), outside);
    EXPECT_FALSE(ScratchFolder::Exists(target));
}

TEST(BrowserIE, StartUpCheckGivesTheHistoryBackOnlyUnderInternetExplorer10) {
    FakeShellFolderSetter setter;
    ScratchFolder ram;
    const std::wstring home = Default(CSIDL_HISTORY), target = ram.Path() + L"\\History";
    const std::wstring ie = L"Software\\Microsoft\\Internet Explorer";
    const std::wstring wineVersion = GetString(HKEY_LOCAL_MACHINE, ie, L"Version");
    bool changed = false;
    ASSERT_TRUE(UBrowserIE::ApplyHistory(ram.Path() + L"\\", false, changed));
    ASSERT_TRUE(Put(target + L"\\visited.dat", "v"));

    for (const wchar_t* version : {L"9.11.9600.18376", L"8.0.6001.18702", L"9.1"}) {
        SetString(HKEY_LOCAL_MACHINE, ie, L"Version", version, REG_SZ);
        int restored = 0;
        EXPECT_TRUE(UBrowserIE::CheckHistoryForIE10(restored));
        EXPECT_EQ(restored, 0) << version;
        EXPECT_EQ(Current(CSIDL_HISTORY), target) << version;
    }
    SetString(HKEY_LOCAL_MACHINE, ie, L"Version", L"9.10.9200.16384", REG_SZ);
    int restored = 0;
    EXPECT_TRUE(UBrowserIE::CheckHistoryForIE10(restored));
    EXPECT_EQ(restored, 1);
    EXPECT_EQ(Current(CSIDL_HISTORY), home);
    EXPECT_FALSE(ScratchFolder::Exists(target)) << "the RAM-disk history is deleted without being copied";
    EXPECT_FALSE(ScratchFolder::Exists(home + L"\\visited.dat"));
    restored = 0;
    EXPECT_TRUE(UBrowserIE::CheckHistoryForIE10(restored));
    EXPECT_EQ(restored, 0) << "nothing left to give back";
    SetString(HKEY_LOCAL_MACHINE, ie, L"Version", wineVersion, REG_SZ);
}

TEST(BrowserIE, ARefusedSetMovesNothingAndTheOldShellKeepsItsRegistryForms) {
    FakeShellFolderSetter setter;
    setter.result = E_ACCESSDENIED;
    ScratchFolder ram;
    const std::wstring home = Default(CSIDL_INTERNET_CACHE);
    ASSERT_TRUE(Put(home + L"\\kept.htm", "k"));
    bool changed = true;
    EXPECT_FALSE(UBrowserIE::ApplyCache(ram.Path() + L"\\", changed));
    EXPECT_FALSE(changed);
    EXPECT_EQ(Current(CSIDL_INTERNET_CACHE), home);
    EXPECT_EQ(ScratchFolder::Read(home + L"\\kept.htm"), std::vector<char>{'k'}) << "the source is never touched";

    using UShellFolder::Shell;
    const std::wstring shellFolders = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    const std::wstring userShellFolders = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    std::wstring oldDefault, read;
    ASSERT_TRUE(UShellFolder::GetDefault(Shell::Old, CSIDL_HISTORY, oldDefault));
    EXPECT_EQ(oldDefault, Expanded(L"%USERPROFILE%\\Local Settings\\History"));
    ASSERT_TRUE(UShellFolder::SetLocation(Shell::Old, CSIDL_HISTORY, L"R:\\History"));
    DWORD type = 0;
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, shellFolders, L"History", &type), L"R:\\History");
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, userShellFolders, L"History", &type), L"R:\\History");
    EXPECT_EQ(type, DWORD(REG_EXPAND_SZ));
    ASSERT_TRUE(UShellFolder::GetCurrent(Shell::Old, CSIDL_HISTORY, read));
    EXPECT_EQ(read, L"R:\\History");
    ASSERT_TRUE(UShellFolder::SetLocation(Shell::Old, CSIDL_HISTORY, oldDefault));
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, shellFolders, L"History"), oldDefault);
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, userShellFolders, L"History"), L"%USERPROFILE%\\Local Settings\\History");
    EXPECT_EQ(setter.sets, 1) << "the old shell never calls the setter";
}
