#include "framework/Handle.h"
#include "framework/LocalMemory.h"
#include "utility/disk/ProcessMgr.h"
#include "utility/disk/ProcessMgrFactory.h"
#include "utility/disk/ProcessMgrPSAPIImp.h"
#include "utility/disk/ProcessMgrToolHelpImp.h"
#include "utility/disk/ProcessPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

const wchar_t kChildSwitch[] = L"--process-probe-child";
const wchar_t kWindowClass[] = L"VmxProcessProbeWindow";

std::wstring ProbeTitle(DWORD pid) { return L"Process probe " + std::to_wstring(pid); }

HWND CreateProbeWindow(const std::wstring& title) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    RegisterClassW(&wc);  // fails harmlessly when already registered
    return CreateWindowExW(0, kWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

// The copied executable runs as a child: it opens a top-level window, signals the event
// named after it and stays until the second event is set (or a minute has passed).
const bool g_childRun = [] {
    int argc = 0;
    const CLocalMemory<LPWSTR*> args(CommandLineToArgvW(GetCommandLineW(), &argc));
    LPWSTR* argv = args.Get();
    if (!argv || argc != 4 || wcscmp(argv[1], kChildSwitch) != 0) return false;
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]);
    HANDLE quit = OpenEventW(SYNCHRONIZE, FALSE, argv[3]);
    HWND wnd = CreateProbeWindow(ProbeTitle(GetCurrentProcessId()));
    if (ready) SetEvent(ready);
    if (quit) {
        while (MsgWaitForMultipleObjects(1, &quit, FALSE, 60000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
    }
    if (wnd) DestroyWindow(wnd);
    ExitProcess(wnd ? 0 : 3);
}();

std::wstring OwnExePath() {
    wchar_t path[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    return path;
}

std::wstring Upper(std::wstring text) {
    CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

bool Contains(const std::list<uint32_t>& ids, uint32_t id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

std::unique_ptr<CProcessMgrImp> MakeImp(const std::string& kind) {
    if (kind == "PSAPI") return std::make_unique<CProcessMgrPSAPIImp>();
    return std::make_unique<CProcessMgrToolHelpImp>();
}

// One child started from a copy of this test program under a distinctive name.
class ProcessMgrTest : public testing::TestWithParam<std::string> {
public:
    static void SetUpTestSuite() {
        DWORD self = GetCurrentProcessId();
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        s_childName = L"VmxProbeChild_" + std::to_wstring(self) + L".exe";
        s_childPath = std::wstring(temp) + s_childName;
        if (!CopyFileW(OwnExePath().c_str(), s_childPath.c_str(), FALSE)) return;
        std::wstring readyName = L"VmxProbeReady" + std::to_wstring(self);
        std::wstring quitName = L"VmxProbeQuit" + std::to_wstring(self);
        const CHandle ready(CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
        s_quit.Reset(CreateEventW(nullptr, TRUE, FALSE, quitName.c_str()));
        std::wstring command = L"\"" + s_childPath + L"\" " + kChildSwitch + L" " + readyName + L" " + quitName;
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        if (CreateProcessW(s_childPath.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            const CHandle thread(pi.hThread);
            s_child.Reset(pi.hProcess);
            s_childId = pi.dwProcessId;
            HANDLE waits[2] = {ready.Get(), s_child.Get()};
            if (WaitForMultipleObjects(2, waits, FALSE, 30000) != WAIT_OBJECT_0) s_childId = 0;
        }
    }

    static void TearDownTestSuite() {
        if (s_quit) SetEvent(s_quit.Get());
        if (s_child) {
            if (WaitForSingleObject(s_child.Get(), 10000) != WAIT_OBJECT_0) TerminateProcess(s_child.Get(), 1);
            WaitForSingleObject(s_child.Get(), 10000);
            s_child.Reset();
        }
        s_quit.Reset();
        DeleteFileW(s_childPath.c_str());
    }

protected:
    static std::wstring s_childName;
    static std::wstring s_childPath;
    static CHandle s_child;
    static CHandle s_quit;
    static DWORD s_childId;
};

std::wstring ProcessMgrTest::s_childName;
std::wstring ProcessMgrTest::s_childPath;
CHandle ProcessMgrTest::s_child;
CHandle ProcessMgrTest::s_quit;
DWORD ProcessMgrTest::s_childId = 0;

}  // namespace

TEST_P(ProcessMgrTest, ListsItselfAndReadsItsOwnImagePath) {
    auto imp = MakeImp(GetParam());
    std::list<uint32_t> ids = {0xDEAD};
    ASSERT_TRUE(imp->EnumProcessIds(ids));
    EXPECT_TRUE(Contains(ids, GetCurrentProcessId()));
    EXPECT_FALSE(Contains(ids, 0xDEAD)) << "the list is emptied first";

    std::wstring path = imp->GetProcessImagePath(GetCurrentProcessId());
    EXPECT_TRUE(UProcessPath::EqualNoCase(path, OwnExePath())) << "got " << testing::PrintToString(path);
    EXPECT_EQ(imp->GetProcessImagePath(0), L"");
    EXPECT_EQ(imp->GetProcessImagePath(0xFFFFFFF0u), L"") << "no such process";
}

TEST_P(ProcessMgrTest, FindsTheChildByPathAndByFileName) {
    ASSERT_NE(s_childId, 0u) << "the child did not start";
    auto imp = MakeImp(GetParam());
    std::list<uint32_t> ids;
    ASSERT_TRUE(imp->FindProcessesByPath(Upper(s_childPath), ids));
    EXPECT_EQ(ids, std::list<uint32_t>{s_childId});

    std::wstring lowerName = s_childName;
    CharLowerBuffW(&lowerName[0], static_cast<DWORD>(lowerName.size()));
    ASSERT_TRUE(imp->FindProcessesByFileName(lowerName, ids));
    EXPECT_EQ(ids, std::list<uint32_t>{s_childId});

    EXPECT_FALSE(imp->FindProcessesByFileName(s_childName + L".bak", ids));
    EXPECT_TRUE(ids.empty());
    EXPECT_FALSE(imp->FindProcessesByPath(s_childPath + L"x", ids));
    EXPECT_FALSE(imp->FindProcessesByPath(L"", ids)) << "unreadable processes must not match";

    // The own program is found under its own name, as start-up looks for a second copy.
    ASSERT_TRUE(imp->FindProcessesByPath(OwnExePath(), ids));
    EXPECT_TRUE(Contains(ids, GetCurrentProcessId()));
    EXPECT_FALSE(Contains(ids, s_childId));
}

TEST_P(ProcessMgrTest, FindsTopLevelWindowsOfAProcess) {
    ASSERT_NE(s_childId, 0u) << "the child did not start";
    auto imp = MakeImp(GetParam());
    std::list<HWND> windows;
    ASSERT_TRUE(imp->GetProcessWindows(s_childId, windows));
    bool titled = false;
    for (HWND wnd : windows) {
        wchar_t title[64] = {};
        GetWindowTextW(wnd, title, 64);
        titled = titled || ProbeTitle(s_childId) == title;
    }
    EXPECT_TRUE(titled) << "the child's window is among its " << windows.size() << " windows";

    HWND own = CreateProbeWindow(L"own window");
    ASSERT_NE(own, nullptr) << "no display?";
    ASSERT_TRUE(imp->GetProcessWindows(GetCurrentProcessId(), windows));
    EXPECT_NE(std::find(windows.begin(), windows.end(), own), windows.end());
    for (HWND wnd : windows) {
        DWORD owner = 0;
        GetWindowThreadProcessId(wnd, &owner);
        EXPECT_EQ(owner, GetCurrentProcessId());
    }
    DestroyWindow(own);
}

INSTANTIATE_TEST_SUITE_P(Both, ProcessMgrTest, testing::Values("PSAPI", "ToolHelp"),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

TEST(ProcessMgrPSAPI, WithoutTheImageNameQueryTheFirstModuleGivesThePath) {
    CPSAPIDllInterface dll;
    ASSERT_TRUE(dll.IsUsable());
    ASSERT_NE(dll.Kernel32().QueryFullProcessImageNameW, nullptr);
    dll.Kernel32().Forget();  // as on a system that lacks it
    CProcessMgrPSAPIImp imp(dll);
    EXPECT_TRUE(UProcessPath::EqualNoCase(imp.GetProcessImagePath(GetCurrentProcessId()), OwnExePath()));
    std::list<uint32_t> ids;
    EXPECT_TRUE(imp.FindProcessesByPath(OwnExePath(), ids));
    EXPECT_TRUE(Contains(ids, GetCurrentProcessId()));
}

namespace {
// Needs an entry point kernel32 does not have.
class CMissingEntryDll : public CDllInterface {
public:
    CMissingEntryDll() : CDllInterface(L"Kernel32.DLL") {}
    bool Resolve() override {
        ++resolved;
        return Lookup<FARPROC>("GetTickCount") && Lookup<FARPROC>("NoSuchEntryPoint");
    }
    void Forget() override { ++forgotten; }
    int resolved = 0;
    int forgotten = 0;
};

class CMissingLibraryDll : public CDllInterface {
public:
    CMissingLibraryDll() : CDllInterface(L"no_such_library_4711.dll") {}
    bool Resolve() override { return true; }
    void Forget() override {}
};
}  // namespace

TEST(DllInterface, FailedResolveFreesTheLibraryAgain) {
    CMissingEntryDll dll;
    EXPECT_FALSE(dll.Load());
    EXPECT_FALSE(dll.IsLoaded());
    EXPECT_EQ(dll.Module(), nullptr);
    EXPECT_EQ(dll.resolved, 1);
    EXPECT_EQ(dll.forgotten, 1);

    CMissingLibraryDll missing;
    EXPECT_FALSE(missing.Load());
    EXPECT_FALSE(missing.IsLoaded());
}

TEST(DllInterface, SingletonsResolveEverything) {
    CPSAPIDllInterface& psapi = CPSAPIDllInterface::Instance();
    ASSERT_TRUE(psapi.IsUsable());
    EXPECT_TRUE(psapi.Psapi().EnumProcesses && psapi.Psapi().EnumProcessModules && psapi.Psapi().GetModuleFileNameExA &&
                psapi.Psapi().GetModuleFileNameExW);
    EXPECT_EQ(psapi.Psapi().Name(), L"PSAPI.DLL");
    CToolHelpDllInterface& toolHelp = CToolHelpDllInterface::Instance();
    ASSERT_TRUE(toolHelp.IsUsable());
    EXPECT_TRUE(toolHelp.CreateToolhelp32Snapshot && toolHelp.Module32FirstW && toolHelp.Module32NextW &&
                toolHelp.Process32FirstW && toolHelp.Process32NextW);
}

namespace {
class CCountingCreator : public CProcessMgrToolHelpImpCreator {
public:
    CCountingCreator(int* created, int* destroyed) : m_created(created), m_destroyed(destroyed) {}
    ~CCountingCreator() override { ++*m_destroyed; }
    CProcessMgrImp* Create() const override {
        ++*m_created;
        return CProcessMgrToolHelpImpCreator::Create();
    }

private:
    int* m_created;
    int* m_destroyed;
};
}  // namespace

TEST(ProcessMgrFactory, CreatorsAndTheChoiceAtStartUp) {
    CProcessMgrFactory& factory = CProcessMgrFactory::Instance();
    factory.ChooseImplementation();
    std::unique_ptr<CProcessMgrImp> imp(factory.CreateImp());
    EXPECT_NE(dynamic_cast<CProcessMgrPSAPIImp*>(imp.get()), nullptr)
        << "PSAPI is usable here, so its creator is chosen";

    int created = 0, destroyed = 0;
    factory.SetCreator(new CCountingCreator(&created, &destroyed));
    {
        CProcessMgr mgr;
        EXPECT_EQ(created, 1);
        std::list<uint32_t> ids;
        EXPECT_TRUE(mgr.EnumProcessIds(ids));
        EXPECT_TRUE(Contains(ids, GetCurrentProcessId()));
        EXPECT_TRUE(mgr.FindProcessesByPath(OwnExePath(), ids));
        EXPECT_TRUE(UProcessPath::EqualNoCase(mgr.GetProcessImagePath(GetCurrentProcessId()), OwnExePath()));
    }
    EXPECT_EQ(destroyed, 0);
    factory.SetCreator(new CProcessMgrPSAPIImpCreator());
    EXPECT_EQ(destroyed, 1) << "the creator installed before is destroyed";
    imp.reset(factory.CreateImp());
    EXPECT_NE(dynamic_cast<CProcessMgrPSAPIImp*>(imp.get()), nullptr);
    factory.SetCreator(new CProcessMgrToolHelpImpCreator());
    imp.reset(factory.CreateImp());
    EXPECT_NE(dynamic_cast<CProcessMgrToolHelpImp*>(imp.get()), nullptr);
    factory.ChooseImplementation();
}

TEST(ProcessPathOnWindows, SplitAgreesWithTheRuntime) {
    // Components up to the longest a file system allows (255 units).
    const std::wstring longest = L"C:\\d\\" + std::wstring(251, L'n') + L".exe";
    const wchar_t* paths[] = {
        L"C:\\tools\\x.exe", L"C:x.tar.gz", L"a/b.c\\d", L"\\\\srv\\s\\.hidden", L"dir\\name.",  L"dir\\",
        L"\\??\\D:\\x.exe",  L"",           L"x",        L"..\\a.b.c",           longest.c_str()};
    for (const wchar_t* path : paths) {
        wchar_t drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT];
        _wsplitpath(path, drive, dir, fname, ext);
        UProcessPath::SplitParts parts = UProcessPath::SplitPath(path);
        std::string shown = testing::PrintToString(std::wstring(path));
        EXPECT_EQ(parts.drive, drive) << shown;
        EXPECT_EQ(parts.dir, dir) << shown;
        EXPECT_EQ(parts.fname, fname) << shown;
        EXPECT_EQ(parts.ext, ext) << shown;
    }
}
