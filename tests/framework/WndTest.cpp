// CWnd and CWinApp: class registration, creation, dispatch to the virtual handlers,
// subclassing of an existing control, and the application's start-up and loop.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/WinApp.h"
#include "framework/Wnd.h"

namespace {

const wchar_t kClass[] = L"VmxTestWindow";

class CRecordingWnd : public CWnd {
public:
    std::vector<std::wstring> events;
    LPVOID createParam = nullptr;
    int createResult = 0;
    bool* destroyedFlag = nullptr;

protected:
    int OnCreate(LPCREATESTRUCTW cs) override {
        createParam = cs->lpCreateParams;
        events.push_back(L"create");
        if (createResult != 0) return createResult;
        return CWnd::OnCreate(cs);
    }
    void OnDestroy() override { events.push_back(L"destroy"); }
    BOOL OnCommand(WPARAM wParam, LPARAM) override {
        events.push_back(L"command " + std::to_wstring(LOWORD(wParam)));
        return LOWORD(wParam) == 32773;
    }
    BOOL OnNotify(WPARAM, LPARAM lParam, LRESULT* result) override {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        events.push_back(L"notify " + std::to_wstring(header->code));
        *result = 55;
        return TRUE;
    }
    void OnTimer(UINT_PTR id) override {
        events.push_back(L"timer " + std::to_wstring(id));
        KillTimer(id);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP + 5) return static_cast<LRESULT>(wParam * 2);
        return CWnd::WindowProc(message, wParam, lParam);
    }
    void PostNcDestroy() override {
        events.push_back(L"ncdestroy");
        if (destroyedFlag) *destroyedFlag = true;
    }
};

bool Create(CWnd& wnd, LPVOID param = nullptr) {
    return wnd.CreateEx(0, kClass, L"VelmoraEX", 0, -300, -300, 0, 0, nullptr, nullptr, param) != FALSE;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(CWnd::RegisterWindowClass(kClass, CS_HREDRAW | CS_VREDRAW), 0); }
};

TEST_F(WindowTest, RegisteringTwiceGivesTheSameClass) {
    const ATOM first = CWnd::RegisterWindowClass(kClass);
    EXPECT_NE(first, 0);
    EXPECT_EQ(CWnd::RegisterWindowClass(kClass), first);
}

TEST_F(WindowTest, CreationBindsTheObjectAndPassesTheParameter) {
    CRecordingWnd wnd;
    int marker = 0;
    ASSERT_TRUE(Create(wnd, &marker));
    ASSERT_NE(wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandle(wnd.m_hWnd), &wnd);
    EXPECT_EQ(wnd.createParam, &marker);
    ASSERT_FALSE(wnd.events.empty());
    EXPECT_EQ(wnd.events.front(), L"create");
    EXPECT_FALSE(wnd.IsWindowVisible());
    EXPECT_EQ(wnd.GetWindowText(), L"VelmoraEX");
    // A second creation on the same object is refused.
    EXPECT_FALSE(Create(wnd));
}

TEST_F(WindowTest, FailedCreateLeavesNoWindow) {
    CRecordingWnd wnd;
    wnd.createResult = -1;
    EXPECT_FALSE(Create(wnd));
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    // The next window of the thread must not bind to the failed object.
    CRecordingWnd other;
    ASSERT_TRUE(Create(other));
    EXPECT_EQ(CWnd::FromHandle(other.m_hWnd), &other);
}

TEST_F(WindowTest, MessagesReachTheVirtualHandlers) {
    CRecordingWnd wnd;
    ASSERT_TRUE(Create(wnd));
    wnd.events.clear();
    EXPECT_EQ(wnd.SendMessage(WM_APP + 5, 21), 42);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(32773, 0), 0);
    NMHDR header = {wnd.m_hWnd, 7, static_cast<UINT>(LVN_FIRST)};
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&header)), 55);
    ASSERT_NE(wnd.SetTimer(3, 10), 0u);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 2000 && wnd.events.size() < 3) {
        Pump();
        Sleep(5);
    }
    ASSERT_EQ(wnd.events.size(), 3u);
    EXPECT_EQ(wnd.events[0], L"command 32773");
    EXPECT_EQ(wnd.events[1], L"notify " + std::to_wstring(static_cast<UINT>(LVN_FIRST)));
    EXPECT_EQ(wnd.events[2], L"timer 3");
}

TEST_F(WindowTest, CloseDestroysAndUnbinds) {
    bool destroyed = false;
    CRecordingWnd wnd;
    wnd.destroyedFlag = &destroyed;
    ASSERT_TRUE(Create(wnd));
    HWND hwnd = wnd.m_hWnd;
    wnd.events.clear();
    wnd.SendMessage(WM_CLOSE);
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
    ASSERT_EQ(wnd.events.size(), 2u);
    EXPECT_EQ(wnd.events[0], L"destroy");
    EXPECT_EQ(wnd.events[1], L"ncdestroy");
}

TEST_F(WindowTest, ObjectDestroyedFirstTakesItsWindowAlong) {
    HWND hwnd = nullptr;
    {
        CRecordingWnd wnd;
        ASSERT_TRUE(Create(wnd));
        hwnd = wnd.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(hwnd));
}

// Counts WM_SETTEXT on a control it subclasses and lets the control do the rest.
class CTextCounter : public CWnd {
public:
    int setTexts = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SETTEXT) ++setTexts;
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST_F(WindowTest, SubclassedControlKeepsItsBehaviour) {
    CRecordingWnd parent;
    ASSERT_TRUE(Create(parent));
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 50, 20, parent.m_hWnd, reinterpret_cast<HMENU>(77),
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    CTextCounter counter;
    ASSERT_TRUE(counter.SubclassDlgItem(77, &parent));
    EXPECT_EQ(counter.m_hWnd, edit);
    EXPECT_FALSE(CTextCounter().SubclassWindow(edit));  // one object per window
    SetWindowTextW(edit, L"abc");
    EXPECT_EQ(counter.setTexts, 1);
    EXPECT_EQ(counter.GetWindowText(), L"abc");
    EXPECT_EQ(counter.UnsubclassWindow(), edit);
    SetWindowTextW(edit, L"def");
    EXPECT_EQ(counter.setTexts, 1);
    EXPECT_EQ(CWnd::FromHandle(edit), nullptr);
    wchar_t text[8] = {};
    GetWindowTextW(edit, text, 8);
    EXPECT_STREQ(text, L"def");
}

TEST_F(WindowTest, SubclassedControlLetsGoWhenDestroyed) {
    CRecordingWnd parent;
    ASSERT_TRUE(Create(parent));
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 50, 20, parent.m_hWnd, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    CTextCounter counter;
    ASSERT_TRUE(counter.SubclassWindow(edit));
    DestroyWindow(edit);
    EXPECT_EQ(counter.m_hWnd, nullptr);
}

// An application whose main window ends the loop from a timer with a given code.
class CTestApp : public CWinApp {
public:
    BOOL initResult = TRUE;
    bool ran = false;
    bool exited = false;
    CRecordingWnd window;

protected:
    BOOL InitInstance() override {
        if (!initResult) return FALSE;
        CWnd::RegisterWindowClass(kClass);
        if (!window.CreateEx(0, kClass, L"", 0, 0, 0, 0, 0, nullptr)) return FALSE;
        m_pMainWnd = &window;
        window.SetTimer(1, 10);
        return TRUE;
    }
    int Run() override {
        ran = true;
        return CWinApp::Run();
    }
    int ExitInstance() override {
        exited = true;
        return initResult ? m_exitCode + 1 : 9;
    }
};

TEST(WinApp, RunsTheLoopUntilQuitAndReturnsExitInstance) {
    CTestApp app;
    EXPECT_EQ(CWinApp::GetApp(), &app);
    // A thread timer quits with 6 once the main window's own timer has been handled (or
    // after about five seconds, which the last check then reports).
    struct Quitter {
        static VOID CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
            static int ticks = 0;
            auto* current = static_cast<CTestApp*>(CWinApp::GetApp());
            const auto& events = current->window.events;
            if (++ticks < 250 && std::find(events.begin(), events.end(), L"timer 1") == events.end()) return;
            KillTimer(nullptr, id);
            PostQuitMessage(6);
        }
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, Quitter::Tick);
    ASSERT_NE(timer, 0u);
    wchar_t line[] = L"/silent";
    EXPECT_EQ(CWinApp::Main(&app, nullptr, line, SW_HIDE), 7);
    EXPECT_TRUE(app.ran);
    EXPECT_TRUE(app.exited);
    EXPECT_STREQ(app.m_lpCmdLine, L"/silent");
    EXPECT_EQ(app.m_hInstance, GetModuleHandleW(nullptr));
    EXPECT_EQ(app.m_nCmdShow, SW_HIDE);
    // The window's own timer reached its handler while the loop ran.
    EXPECT_NE(std::find(app.window.events.begin(), app.window.events.end(), L"timer 1"), app.window.events.end());
}

TEST(WinApp, DestroyingTheMainWindowEndsTheLoop) {
    CTestApp app;
    struct Closer {
        static VOID CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
            KillTimer(nullptr, id);
            CWinApp* current = CWinApp::GetApp();
            if (current && current->m_pMainWnd) current->m_pMainWnd->PostMessage(WM_CLOSE);
        }
        static VOID CALLBACK Safety(HWND, UINT, UINT_PTR id, DWORD) {
            KillTimer(nullptr, id);
            PostQuitMessage(41);
        }
    };
    SetTimer(nullptr, 0, 20, Closer::Tick);
    const UINT_PTR safety = SetTimer(nullptr, 0, 3000, Closer::Safety);
    EXPECT_EQ(CWinApp::Main(&app, nullptr, nullptr, SW_HIDE), 1);  // WM_QUIT 0, plus one
    KillTimer(nullptr, safety);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_EQ(app.window.m_hWnd, nullptr);
    EXPECT_NE(std::find(app.window.events.begin(), app.window.events.end(), L"destroy"), app.window.events.end());
}

TEST(WinApp, RefusedStartUpSkipsTheLoop) {
    CTestApp app;
    app.initResult = FALSE;
    EXPECT_EQ(CWinApp::Main(&app, nullptr, nullptr, SW_SHOW), 9);
    EXPECT_FALSE(app.ran);
    EXPECT_TRUE(app.exited);
}

}  // namespace
