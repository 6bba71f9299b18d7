// The launcher against real packages under Wine's installer: a package of this version is
// installed with msiexec, launchers carrying this and the next version meet it (messages recorded,
// the WOW64 answer chosen by the test), the next one updates it, and the product is uninstalled.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Handle.h"
#include "framework/Library.h"
#include "framework/RegKey.h"
#include "setup/SetupLauncher.h"

namespace {

const wchar_t kProductX64[] = L"{A9D3F27E-5B84-4C0F-8E19-7D2B6A4C5E08}";
const wchar_t kProductX86[] = L"{6C1E4B0A-3F62-4D1E-9B7A-2E5C8D914A31}";
const wchar_t kNewerInstalled[] =
    L"このマシンには、より新しいバージョンがすでにインストールされています。セットアップを続行することはできません。";
const wchar_t kNotInstalled[] =
    L"VelmoraEX がインストールされていません。\nVelmoraEX "
    L"がインストールされている環境で、本アップデータを実行してください。";
const wchar_t kUpToDate[] =
    L"現在インストールされているバージョンの方が新しいか、同じバージョンです。\nアップデートの必要はありません。";

std::wstring Widen(const char* text) { return std::wstring(text, text + strlen(text)); }
const std::wstring kVersion = Widen(VMX_SETUP_VERSION);
const std::wstring kNextVersion = Widen(VMX_SETUP_NEXT_VERSION);

struct Shown {
    std::wstring caption, text;
    UINT style;
};

class RecordingPrompt : public ISetupPrompt {
public:
    int Show(const std::wstring& caption, const std::wstring& text, UINT style) override {
        shown.push_back({caption, text, style});
        return IDOK;
    }
    std::vector<Shown> shown;
};

class FixedWow64 : public IWow64Query {
public:
    explicit FixedWow64(bool answer) : m_answer(answer) {}
    bool IsWow64() override { return m_answer; }

private:
    bool m_answer;
};

std::wstring BuildDir() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

std::wstring SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs `line` and waits; the exit code, or -1 when it did not start.
DWORD RunAndWait(std::wstring line) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return static_cast<DWORD>(-1);
    CHandle process(info.hProcess), thread(info.hThread);
    if (WaitForSingleObject(process.Get(), 120000) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.Get(), &code);
    return code;
}

// "major.minor.patch" of a program's fixed version block (its last field is always 0).
std::wstring FileVersion(const std::wstring& path) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    if (size == 0) return L"";
    std::vector<BYTE> block(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data()) ||
        !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length))
        return L"";
    return std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(fixed->dwFileVersionMS)) +
           L"." + std::to_wstring(HIWORD(fixed->dwFileVersionLS));
}

std::wstring RunValue() {
    CRegKey run;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, run.Put()) != ERROR_SUCCESS)
        return L"";
    wchar_t value[512] = {};
    DWORD bytes = sizeof(value) - sizeof(wchar_t);
    if (RegQueryValueExW(run.Get(), L"VelmoraEX", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &bytes) !=
        ERROR_SUCCESS)
        return L"";
    return value;
}

std::wstring Installed(const wchar_t* product) {
    std::wstring version;
    UINT rc = CSetupLauncher::ReadInstalledVersion(product, version);
    return rc == ERROR_SUCCESS ? version : L"error " + std::to_wstring(rc);
}

// One launcher run with this module's packages; what it showed, and that it cleaned up.
struct LaunchResult {
    CSetupLauncher::EEnd end;
    std::vector<Shown> shown;
    int packageId;
    std::wstring parameters, tempFolder;
    DWORD exitCode;
};

LaunchResult Launch(HMODULE module, bool wow64, const std::vector<std::wstring>& arguments) {
    RecordingPrompt prompt;
    FixedWow64 query(wow64);
    CSetupLauncher launcher(module, prompt, query);
    LaunchResult result{launcher.Run(arguments), {}, 0, {}, {}, 0};
    result.shown = prompt.shown;
    result.packageId = launcher.PackageId();
    result.parameters = launcher.InstallerParameters();
    result.tempFolder = launcher.TempFolder();
    result.exitCode = launcher.InstallerExitCode();
    EXPECT_FALSE(result.tempFolder.empty());
    EXPECT_FALSE(Exists(result.tempFolder)) << "the temporary folder stays behind";
    return result;
}

void ExpectMessage(const LaunchResult& result, const wchar_t* text, UINT style) {
    ASSERT_EQ(result.shown.size(), 1u);
    EXPECT_EQ(result.shown[0].caption, L"VelmoraEX");
    EXPECT_EQ(result.shown[0].text, text);
    EXPECT_EQ(result.shown[0].style, style);
    EXPECT_TRUE(result.parameters.empty()) << "msiexec must not run";
    EXPECT_EQ(result.exitCode, static_cast<DWORD>(-1));
}

}  // namespace

TEST(SetupLauncher, InstallMeetsEqualNextOlderAndMissingProductThenUninstalls) {
    CLibrary current(
        LoadLibraryExW((BuildDir() + L"VelmoraEXSetupCurrent.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    CLibrary next(LoadLibraryExW((BuildDir() + L"VelmoraEXSetupNext.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(current && next);
    const std::wstring programs = SpecialFolder(CSIDL_PROGRAM_FILES) + L"\\VelmoraEX\\";
    const std::wstring utility = programs + L"VelmoraEXUtility.exe", tools = programs + L"VelmoraEXTools.exe";

    {
        SCOPED_TRACE("nothing installed: message 130");
        LaunchResult r = Launch(current.Get(), true, {L"/qn"});
        EXPECT_EQ(r.end, CSetupLauncher::EEnd::NotInstalled);
        EXPECT_EQ(r.packageId, 200);
        ExpectMessage(r, kNotInstalled, MB_ICONERROR);
    }

    ASSERT_EQ(RunAndWait(L"msiexec.exe /i \"" + BuildDir() + L"packages\\VelmoraEX-x64.msi\" /qn"), 0u);
    EXPECT_EQ(Installed(kProductX64), kVersion);
    EXPECT_EQ(FileVersion(utility), kVersion);
    EXPECT_TRUE(Exists(tools));
    EXPECT_EQ(RunValue(), L"\"" + utility + L"\" S");
    const std::wstring shortcut = L"\\VelmoraEX\\VelmoraEX.lnk";
    EXPECT_TRUE(Exists(SpecialFolder(CSIDL_COMMON_PROGRAMS) + shortcut) ||
                Exists(SpecialFolder(CSIDL_PROGRAMS) + shortcut));
    // The installed tools program runs from the program folder (no pipe there: it ends at once, -1),
    // and so does the utility (no driver: it ends silently after its ten-second check).
    EXPECT_EQ(RunAndWait(L"\"" + tools + L"\""), static_cast<DWORD>(-1));
    EXPECT_EQ(RunAndWait(L"\"" + utility + L"\" S"), 0u);

    {
        SCOPED_TRACE("same version: message 131");
        LaunchResult r = Launch(current.Get(), true, {L"/qn"});
        EXPECT_EQ(r.end, CSetupLauncher::EEnd::Equal);
        ExpectMessage(r, kUpToDate, MB_ICONINFORMATION);
    }
    {
        SCOPED_TRACE("not WOW64: the x86 package, whose product is not installed");
        LaunchResult r = Launch(next.Get(), false, {L"/qn"});
        EXPECT_EQ(r.packageId, 100);
        EXPECT_EQ(r.end, CSetupLauncher::EEnd::NotInstalled);
        ExpectMessage(r, kNotInstalled, MB_ICONERROR);
        EXPECT_EQ(Installed(kProductX86), L"error 1605");
    }
    {
        SCOPED_TRACE("next version: msiexec updates");
        LaunchResult r = Launch(next.Get(), true, {L"/QN", L"/qn", L"/passive"});
        EXPECT_EQ(r.end, CSetupLauncher::EEnd::Updated);
        EXPECT_EQ(r.packageId, 200);
        EXPECT_TRUE(r.shown.empty());
        std::wstring package = r.tempFolder;
        if (package.back() != L'\\') package += L'\\';
        package += L"VelmoraEX.msi";
        EXPECT_EQ(r.parameters, L"/I \"" + package + L"\" /qn REINSTALL=ALL REINSTALLMODE=voums");
        EXPECT_EQ(r.exitCode, 0u);
        EXPECT_EQ(Installed(kProductX64), kNextVersion);
        EXPECT_EQ(FileVersion(utility), kNextVersion) << "the utility is the new one";
        EXPECT_TRUE(Exists(tools));
    }
    {
        SCOPED_TRACE("older package: message 129");
        LaunchResult r = Launch(current.Get(), true, {L"/qn"});
        EXPECT_EQ(r.end, CSetupLauncher::EEnd::Older);
        ExpectMessage(r, kNewerInstalled, MB_ICONWARNING);
        EXPECT_EQ(Installed(kProductX64), kNextVersion);
    }

    // Uninstalling removes what was installed and leaves the data folder alone.
    const std::wstring data = SpecialFolder(CSIDL_COMMON_APPDATA) + L"\\Norvane\\VelmoraEX";
    SHCreateDirectoryExW(nullptr, data.c_str(), nullptr);
    const std::wstring kept = data + L"\\Option.ini";
    CHandle(CreateFileW(kept.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_EQ(RunAndWait(L"msiexec.exe /x " + std::wstring(kProductX64) + L" /qn"), 0u);
    EXPECT_EQ(Installed(kProductX64), L"error 1605");
    EXPECT_FALSE(Exists(programs));
    EXPECT_EQ(RunValue(), L"");
    EXPECT_FALSE(Exists(SpecialFolder(CSIDL_COMMON_PROGRAMS) + L"\\VelmoraEX"));
    EXPECT_FALSE(Exists(SpecialFolder(CSIDL_PROGRAMS) + L"\\VelmoraEX"));
    EXPECT_TRUE(Exists(kept));
}
