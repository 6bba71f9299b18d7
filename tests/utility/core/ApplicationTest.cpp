// The utility's start-up: the command line, the low-memory warning, and the real
// VelmoraEXUtility.exe under Wine as a child process, with and without the driver stand-in.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/FindHandle.h"
#include "framework/Handle.h"
#include "standin/StandinHarness.h"
#include "utility/core/LoadSettings.h"
#include "utility/core/PhysicalMemory.h"
#include "utility/core/SettingsFile.h"
#include "utility/core/SettingsPaths.h"
#include "utility/core/VMUCommandLineInfo.h"
#include "utility/core/VelmoraUtilityApp.h"
#include "utility/disk/DataFolder.h"
#include "utility/core/MessageText.h"
#include "utility/ui/VMUTaskTrayWnd.h"
#include "utility/ui/resource.h"

namespace {

bool IsSilent(const wchar_t* commandLine) {
    CVMUCommandLineInfo info;
    info.ParseCommandLine(commandLine);
    return info.m_bSilent != FALSE;
}

TEST(CommandLine, AnyParameterBeginningWithSIsTheSilentSwitch) {
    EXPECT_TRUE(IsSilent(L"/S"));
    EXPECT_TRUE(IsSilent(L"-s"));
    EXPECT_TRUE(IsSilent(L"silent"));
    EXPECT_TRUE(IsSilent(L"/X Start"));
    EXPECT_TRUE(IsSilent(L"\"Some thing\""));
    EXPECT_FALSE(IsSilent(L""));
    EXPECT_FALSE(IsSilent(L"/X"));
    EXPECT_FALSE(IsSilent(L"x -y /"));
    EXPECT_FALSE(IsSilent(L"\"\" /Ts"));
}

// The application object with its message box recorded.
class RecordingApp : public CVelmoraUtilityApp {
public:
    int ShowMessageBox(const std::wstring& caption, const std::wstring& text, UINT style) override {
        captions.push_back(caption);
        texts.push_back(text);
        styles.push_back(style);
        return IDOK;
    }
    std::vector<std::wstring> captions, texts;
    std::vector<UINT> styles;
};

uint64_t g_memory = 0;
MemoryFigures FakeMemory() {
    MemoryFigures figures;
    figures.totalPhys = g_memory;
    figures.availPhys = g_memory / 2;
    return figures;
}

TEST(Application, LowMemoryWarningAtAndBelow256MB) {
    UPhysicalMemory::Reader previous = UPhysicalMemory::Replace(FakeMemory);
    RecordingApp app;
    g_memory = 0x10000001;
    EXPECT_FALSE(app.WarnIfLowMemory());
    EXPECT_TRUE(app.texts.empty());
    g_memory = 0x10000000;
    EXPECT_TRUE(app.WarnIfLowMemory());
    g_memory = 64u << 20;
    EXPECT_TRUE(app.WarnIfLowMemory());
    UPhysicalMemory::Replace(previous);

    ASSERT_EQ(app.texts.size(), 2u);
    EXPECT_EQ(app.captions[0], L"VelmoraEX");
    EXPECT_EQ(app.styles[0], static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(app.texts[0],
              L"システムメモリーが256MB以下です。\nWindowsのパフォーマンスが低下する可能性があるためRAMディスクを有効に"
              L"できません。\n"
              L"メモリーを増設してください。");
    EXPECT_GT(UPhysicalMemory::Total(), 0x10000000u) << "the real figure is back";
}

// VelmoraEXUtility.exe (next to this program) in a job that kills it when the test ends.
class UtilityChild {
public:
    UtilityChild() {
        m_job.Reset(CreateJobObjectW(nullptr, nullptr));
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (m_job) SetInformationJobObject(m_job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    }
    ~UtilityChild() { End(); }
    bool Start(const std::wstring& arguments) {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring path = self;
        path = path.substr(0, path.find_last_of(L'\\') + 1) + L"VelmoraEXUtility.exe";
        std::wstring line = L"\"" + path + L"\" " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                            &info))
            return false;
        if (m_job) AssignProcessToJobObject(m_job.Get(), info.hProcess);
        const CHandle thread(info.hThread);
        m_process.Reset(info.hProcess);
        ResumeThread(thread.Get());
        m_id = info.dwProcessId;
        return true;
    }
    DWORD WaitForExit(DWORD timeoutMs) {
        if (WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(m_process.Get(), &code);
        return code;
    }
    bool IsRunning() const { return m_process && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT; }
    // Closes the tray window (the normal exit), then kills what is left.
    void End() {
        if (!m_process) return;
        HWND window = Window();
        if (window) PostMessageW(window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(m_process.Get(), 10000) == WAIT_TIMEOUT) TerminateProcess(m_process.Get(), 99);
        WaitForSingleObject(m_process.Get(), 5000);
        m_process.Reset();
    }
    // The child's top-level window titled "VelmoraEX", or null.
    HWND Window() const {
        Search search = {m_id, nullptr};
        EnumWindows(FindOwnWindow, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    // Waits until the window exists.
    HWND WaitForWindow(DWORD timeoutMs) {
        for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
            if (HWND window = Window()) return window;
            if (!IsRunning()) return nullptr;
            Sleep(100);
        }
        return nullptr;
    }
    DWORD Id() const { return m_id; }

private:
    struct Search {
        DWORD id;
        HWND found;
    };
    static BOOL CALLBACK FindOwnWindow(HWND hwnd, LPARAM param) {
        Search* s = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        wchar_t title[32] = {};
        GetWindowTextW(hwnd, title, 32);
        if (owner == s->id && lstrcmpW(title, L"VelmoraEX") == 0) s->found = hwnd;
        return TRUE;
    }

    CHandle m_job;
    CHandle m_process;
    DWORD m_id = 0;
};

struct TitleCount {
    const wchar_t* title;
    DWORD process;
    int n;
};

BOOL CALLBACK CountTitled(HWND hwnd, LPARAM param) {
    TitleCount* c = reinterpret_cast<TitleCount*>(param);
    wchar_t text[32] = {};
    GetWindowTextW(hwnd, text, 32);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == c->process && lstrcmpW(text, c->title) == 0) ++c->n;
    return TRUE;
}

// Top-level windows of one process with this title.
int CountWindowsTitled(const wchar_t* title, DWORD process) {
    TitleCount count = {title, process, 0};
    EnumWindows(CountTitled, reinterpret_cast<LPARAM>(&count));
    return count.n;
}

INT_PTR StatusRequests(HWND window) {
    return reinterpret_cast<INT_PTR>(GetPropW(window, CVMUTaskTrayWnd::kStatusRequestsProperty));
}

// Waits until the window's status-request count reaches want.
bool WaitForStatusRequests(HWND window, INT_PTR want, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
        if (StatusRequests(window) >= want) return true;
        Sleep(100);
    }
    return StatusRequests(window) >= want;
}

TEST(UtilityProgram, WithoutTheDriverEndsSilentlyAfterTenSeconds) {
    ASSERT_FALSE(CVelmoraAPI::IsDriverUp(0)) << "no stand-in may run on the default channel";
    UtilityChild utility;
    DWORD start = GetTickCount();
    ASSERT_TRUE(utility.Start(L"/S"));
    DWORD code = utility.WaitForExit(40000);
    DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(code, 0u);
    EXPECT_GE(elapsed, 9500u);
    EXPECT_LT(elapsed, 30000u);
}

// The stand-in on the default channel, so that the utility finds it as it would the driver.
class UtilityWithStandin : public ::testing::Test {
protected:
    void SetUp() override {
        std::wstring tag = std::to_wstring(GetCurrentProcessId());
        DWORD shm = GetFileAttributesW(L"Z:\\dev\\shm");
        ramDir = shm != INVALID_FILE_ATTRIBUTES && (shm & FILE_ATTRIBUTE_DIRECTORY)
                     ? L"Z:\\dev\\shm\\vmx-app-test-" + tag
                     : JoinPath(GetDataFolder(), L"apptest-ram-" + tag);
        CreateDirectoryW(ramDir.c_str(), nullptr);
        ASSERT_FALSE(CVelmoraAPI::IsDriverUp(0)) << "no other stand-in may run on the default channel";
        ASSERT_TRUE(standin.Start(L"--ram-dir \"" + ramDir + L"\" --no-startup-disks"));
        ASSERT_TRUE(CVelmoraAPI::IsDriverUp(10000));
    }
    void TearDown() override {
        standin.End();
        for (const std::wstring& file : files) DeleteFileW(file.c_str());
        for (const std::wstring& path : registered) ULoadSettings::UnregisterAtStartup(path);
        WIN32_FIND_DATAW found;
        CFindHandle find;
        if (find.First((ramDir + L"\\*").c_str(), found)) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileW((ramDir + L"\\" + found.cFileName).c_str());
            } while (find.Next(found));
        }
        RemoveDirectoryW(ramDir.c_str());
    }

    CStandinChild standin;
    std::wstring ramDir;
    std::vector<std::wstring> files, registered;
};

TEST_F(UtilityWithStandin, SecondStartSignalsTheFirstAndEnds) {
    UtilityChild first;
    ASSERT_TRUE(first.Start(L""));
    HWND window = first.WaitForWindow(30000);
    ASSERT_NE(window, nullptr);
    // Without the silent switch the first asks itself for the status sheet once.
    ASSERT_TRUE(WaitForStatusRequests(window, 1, 10000));

    UtilityChild second;
    DWORD start = GetTickCount();
    ASSERT_TRUE(second.Start(L""));
    EXPECT_EQ(second.WaitForExit(15000), 0u);
    EXPECT_LT(GetTickCount() - start, 9000u) << "the second ends without waiting for the driver";
    EXPECT_TRUE(WaitForStatusRequests(window, 2, 10000));
    EXPECT_EQ(StatusRequests(window), 2);
    EXPECT_TRUE(first.IsRunning());
    EXPECT_EQ(CountWindowsTitled(L"VelmoraEX", first.Id()), 1);
    EXPECT_EQ(CountWindowsTitled(L"VelmoraEX", second.Id()), 0);
}

TEST_F(UtilityWithStandin, SilentStartOpensNoStatusSheet) {
    UtilityChild utility;
    ASSERT_TRUE(utility.Start(L"-s"));
    HWND window = utility.WaitForWindow(30000);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(WaitForStatusRequests(window, 1, 2000));
}

TEST_F(UtilityWithStandin, StartupPassMountsADiskRegisteredToStartWithWindows) {
    ASSERT_TRUE(EnsureDataFolder());
    std::wstring settings, backup;
    USettingsPaths::GetNewSettingsPaths(settings, backup);
    CVelmoraEXSettingData setting;
    setting.DriveSize = 16 * 1048576;
    setting.DriveLetter = kDriveLetterAutomatic;
    setting.SaveType = SAVE_NONE;
    setting.LoadType = 1;
    setting.FormatType = FORMAT_TYPE_FAT_AUTO;
    setting.MemType = 1;
    setting.BackupBaseDir = backup;
    USettingsFile::WriteRamDisk(settings, setting);
    files.push_back(settings);
    ULoadSettings::RegisterAtStartup(settings);  // false: it was not registered before
    registered.push_back(settings);
    ASSERT_TRUE(ULoadSettings::IsRegisteredAtStartup(settings));

    {
        CStandinClient api;
        ASSERT_TRUE(api.IsOpen());
        RamDiskStatus reply{};
        ASSERT_EQ(api.Query(settings, 0, reply), 0) << "not mounted before the utility runs";
    }
    UtilityChild utility;
    ASSERT_TRUE(utility.Start(L"/S"));
    bool mounted = false;
    for (int i = 0; i < 600 && !mounted; ++i) {
        CStandinClient api;
        ASSERT_TRUE(api.IsOpen());
        RamDiskStatus reply{};
        mounted = api.Query(settings, 0, reply) == 1;
        if (!mounted) Sleep(100);
    }
    EXPECT_TRUE(mounted);
    EXPECT_TRUE(utility.IsRunning());
}

}  // namespace
