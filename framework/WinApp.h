#pragma once
// The program's application object: one per process, constructed as a global. The program's
// entry point calls CWinApp::Main, which runs InitInstance, then (if it agreed) the message
// loop of the main thread until WM_QUIT, then ExitInstance, whose value is the exit code.
#include <windows.h>

#include "framework/Wnd.h"

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The application object (null when none is constructed).
    static CWinApp* GetApp() { return s_app; }

    // Start-up and loop of the given application object; the process's exit code.
    static int Main(CWinApp* app, HINSTANCE instance, LPWSTR commandLine, int show);

    HINSTANCE m_hInstance = nullptr;
    LPCWSTR m_lpCmdLine = L"";  // the command line after the program name
    int m_nCmdShow = SW_SHOWDEFAULT;
    CWnd* m_pMainWnd = nullptr;  // main window: its destruction ends the loop (WM_QUIT 0)

protected:
    // FALSE ends the program at once (with ExitInstance's value).
    virtual BOOL InitInstance() { return TRUE; }
    // After the loop (or a refused start-up); the exit code (by default WM_QUIT's value).
    virtual int ExitInstance() { return m_exitCode; }
    // The message loop; returns ExitInstance's value once WM_QUIT arrives.
    virtual int Run();
    // Before a message is dispatched: TRUE when it was handled here (modeless dialogs and
    // property sheets get their keyboard navigation this way).
    virtual BOOL PreTranslateMessage(MSG* message);

    int m_exitCode = 0;

private:
    static CWinApp* s_app;
};
