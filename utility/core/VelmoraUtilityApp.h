#pragma once
// The utility's application object: start-up in a fixed order (single instance, driver check,
// memory warning, options, tray window, disks, start-up pass, status sheet), and the exit.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "framework/Mutex.h"
#include "framework/SingleLock.h"
#include "framework/WinApp.h"
#include "utility/core/VelmoraEXManager.h"

class CPropertySheet;
class CVMUTaskTrayWnd;

class CVelmoraUtilityApp : public CWinApp {
public:
    // Name of the single-instance mutex.
    static const wchar_t kInstanceMutexName[];
    // Title of the tray window that other instances look for.
    static const wchar_t kWindowTitle[];

    CVelmoraUtilityApp();
    ~CVelmoraUtilityApp() override;

    // Asks the other running instances of this executable to show their status sheet: posts
    // WM_COMMAND 32773 to each of their top-level windows titled "VelmoraEX". The number of
    // windows posted to.
    static int SignalRunningInstance();

    // Shows the low-memory box when total physical memory is at most 256 MB; whether it did.
    bool WarnIfLowMemory();

    CMutex m_instanceMutex;
    CSingleLock m_instanceLock;
    CPropertySheet* m_pStatusSheet = nullptr;  // set while the status sheet is shown
    int32_t m_bStartupComplete = 0;
    CVelmoraEXManager m_manager;

    CVMUTaskTrayWnd* GetTrayWnd() const { return m_trayWnd.get(); }

protected:
    BOOL InitInstance() override;
    int ExitInstance() override;

    // The driver check at start (10 s); tests of the start-up logic replace it.
    virtual bool IsDriverUp();
    // Message boxes of the start-up; tests replace it.
    virtual int ShowMessageBox(const std::wstring& caption, const std::wstring& text, UINT style);
    // Gives a relocated Internet Explorer history folder its default place again; true when it
    // did. The relocation itself belongs to the browser-cache work and is absent from this
    // build, so this reports that nothing was changed.
    virtual bool RestoreIEHistoryLocation(const CVelmoraEXData& disk);

private:
    void RunStartupDataSteps();

    std::unique_ptr<CVMUTaskTrayWnd> m_trayWnd;
    bool m_comInitialized = false;
};
