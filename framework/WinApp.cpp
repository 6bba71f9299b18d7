#include "framework/WinApp.h"

#include <commctrl.h>

#include "framework/PropertySheet.h"

CWinApp* CWinApp::s_app = nullptr;

CWinApp::CWinApp() {
    if (!s_app) s_app = this;
}

CWinApp::~CWinApp() {
    if (s_app == this) s_app = nullptr;
}

int CWinApp::Main(CWinApp* app, HINSTANCE instance, LPWSTR commandLine, int show) {
    if (!app) return -1;
    app->m_hInstance = instance ? instance : GetModuleHandleW(nullptr);
    app->m_lpCmdLine = commandLine ? commandLine : L"";
    app->m_nCmdShow = show;
    if (!app->InitInstance()) return app->ExitInstance();
    return app->Run();
}

BOOL CWinApp::PreTranslateMessage(MSG* message) {
    if (message->message < WM_KEYFIRST || message->message > WM_KEYLAST || !message->hwnd) return FALSE;
    HWND root = GetAncestor(message->hwnd, GA_ROOT);
    if (!root) return FALSE;
    wchar_t className[16] = {};
    GetClassNameW(root, className, 16);
    if (lstrcmpW(className, L"#32770") != 0) return FALSE;
    // Property sheets share the dialog class; ours are known by their object.
    if (dynamic_cast<CPropertySheet*>(CWnd::FromHandle(root))) {
        return ::SendMessageW(root, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(message)) ? TRUE : FALSE;
    }
    return IsDialogMessageW(root, message);
}

int CWinApp::Run() {
    MSG message;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            m_exitCode = static_cast<int>(message.wParam);
            break;
        }
        if (got == -1) {
            m_exitCode = -1;
            break;
        }
        if (PreTranslateMessage(&message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return ExitInstance();
}
