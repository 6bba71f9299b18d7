#include "utility/core/VelmoraUtilityApp.h"

#include <commctrl.h>
#include <objbase.h>

#include <clocale>
#include <list>
#include <vector>

#include "framework/Exception.h"
#include "utility/core/MessageText.h"
#include "utility/core/PhysicalMemory.h"
#include "utility/core/SettingsFile.h"
#include "utility/core/VMUCommandLineInfo.h"
#include "utility/disk/ProcessMgr.h"
#include "utility/disk/ProcessMgrFactory.h"
#include "utility/disk/VelmoraAPI.h"
#include "utility/links/BrowserIE.h"
#include "utility/ui/DiskSequencer.h"
#include "utility/ui/VMUTaskTrayWnd.h"
#include "utility/ui/resource.h"

const wchar_t CVelmoraUtilityApp::kInstanceMutexName[] = L"{D8DEFFB8-0221-406c-93AF-84FB948A9279}";
const wchar_t CVelmoraUtilityApp::kWindowTitle[] = L"VelmoraEX";

namespace {

std::wstring OwnExecutablePath() {
    std::vector<wchar_t> buffer(512);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::wstring();
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring WindowTitle(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 2);
    int got = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    return std::wstring(text.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

}  // namespace

CVelmoraUtilityApp::CVelmoraUtilityApp()
    : m_instanceMutex(FALSE, kInstanceMutexName), m_instanceLock(&m_instanceMutex, FALSE) {}

CVelmoraUtilityApp::~CVelmoraUtilityApp() = default;

BOOL CVelmoraUtilityApp::InitInstance() {
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = 0xFF;
    InitCommonControlsEx(&controls);
    m_comInitialized = SUCCEEDED(CoInitialize(nullptr));
    if (!CWinApp::InitInstance()) return FALSE;

    CProcessMgrFactory::Instance().ChooseImplementation();
    setlocale(LC_ALL, "");

    if (m_instanceLock.IsLocked() || !m_instanceLock.Lock(10)) {
        SignalRunningInstance();
        return FALSE;
    }
    if (!IsDriverUp()) return FALSE;
    WarnIfLowMemory();
    m_manager.LoadOptions();

    m_trayWnd.reset(new CVMUTaskTrayWnd(m_manager));
    if (!m_trayWnd->Create()) {
        m_trayWnd.reset();
        return FALSE;
    }
    m_pMainWnd = m_trayWnd.get();

    RunStartupDataSteps();
    m_trayWnd->Sequencer().StartupPass();
    m_bStartupComplete = 1;
    m_trayWnd->SetStartupComplete(true);

    CVMUCommandLineInfo commandLine;
    commandLine.ParseCommandLine(m_lpCmdLine);
    if (!commandLine.m_bSilent) m_trayWnd->PostMessage(WM_COMMAND, ID_TRAY_STATUS, 0);
    return TRUE;
}

void CVelmoraUtilityApp::RunStartupDataSteps() {
    m_manager.ProcessPendingDeletions();
    m_manager.LoadDisks();
    m_manager.RefreshStatus();
    std::vector<CVelmoraEXData> disks(m_manager.Disks().begin(), m_manager.Disks().end());
    for (const CVelmoraEXData& disk : disks) {
        if (disk.Setting.CacheSetting.IEHistory != 1) continue;
        if (!RestoreIEHistoryLocation(disk)) continue;
        CVelmoraEXSettingData setting = disk.Setting;
        setting.CacheSetting.IEHistory = 0;
        m_manager.SetSetting(disk.Status.SettingsPath, setting);
        try {
            USettingsFile::WriteRamDisk(disk.Status.SettingsPath, setting);
        } catch (CException* e) {
            e->Delete();
        }
    }
}

int CVelmoraUtilityApp::ExitInstance() {
    m_instanceLock.Unlock();
    CProcessMgrFactory::Instance().SetCreator(nullptr);
    m_trayWnd.reset();
    if (m_comInitialized) CoUninitialize();
    m_comInitialized = false;
    return CWinApp::ExitInstance();
}

int CVelmoraUtilityApp::SignalRunningInstance() {
    std::wstring self = OwnExecutablePath();
    if (self.empty()) return 0;
    CProcessMgr processes;
    std::list<uint32_t> ids;
    if (!processes.FindProcessesByPath(self, ids)) return 0;
    int posted = 0;
    for (uint32_t id : ids) {
        if (id == GetCurrentProcessId()) continue;
        std::list<HWND> windows;
        if (!processes.GetProcessWindows(id, windows)) continue;
        for (HWND window : windows) {
            if (WindowTitle(window) != kWindowTitle) continue;
            if (PostMessageW(window, WM_COMMAND, ID_TRAY_STATUS, 0)) ++posted;
        }
    }
    return posted;
}

bool CVelmoraUtilityApp::WarnIfLowMemory() {
    if (!UPhysicalMemory::IsLow(UPhysicalMemory::Total())) return false;
    ShowMessageBox(UMessageText::Load(IDS_10001), UMessageText::Format(IDS_4001, {256}), MB_ICONERROR);
    return true;
}

bool CVelmoraUtilityApp::IsDriverUp() { return CVelmoraAPI::IsDriverUp(CVelmoraAPI::kStartupTimeoutMs); }

int CVelmoraUtilityApp::ShowMessageBox(const std::wstring& caption, const std::wstring& text, UINT style) {
    return MessageBoxW(nullptr, text.c_str(), caption.c_str(), style);
}

bool CVelmoraUtilityApp::RestoreIEHistoryLocation(const CVelmoraEXData&) {
    int restored = 0;
    UBrowserIE::CheckHistoryForIE10(restored);
    return restored == 1;
}
