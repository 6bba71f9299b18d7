// CDialog from a dialog resource: modeless and modal, OnInitDialog, command routing and
// EndDialog. Modal runs are always ended by a message posted from inside the dialog.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "framework/UiTestIds.h"

namespace {

class CTestDialog : public CDialog {
public:
    CTestDialog() : CDialog(IDD_TEST_DIALOG) {}
    std::vector<std::wstring> events;
    // Posted to itself from OnInitDialog: a command (IDOK, IDCANCEL) or, with endValue, a
    // message that ends the dialog with that value.
    WORD postCommand = 0;
    int endValue = 0;
    std::wstring initialText = L"初期値";

protected:
    BOOL OnInitDialog() override {
        events.push_back(L"init");
        SetDlgItemText(IDC_TEST_EDIT, initialText.c_str());
        if (postCommand) PostMessage(WM_COMMAND, MAKEWPARAM(postCommand, BN_CLICKED), 0);
        if (endValue) PostMessage(WM_APP + 1, static_cast<WPARAM>(endValue));
        return TRUE;
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == IDC_TEST_BUTTON) {
            events.push_back(L"button " + GetDlgItemText(IDC_TEST_EDIT));
            return TRUE;
        }
        return CDialog::OnCommand(wParam, lParam);
    }
    void OnOK() override {
        events.push_back(L"ok " + GetDlgItemText(IDC_TEST_EDIT));
        CDialog::OnOK();
    }
    void OnCancel() override {
        events.push_back(L"cancel");
        CDialog::OnCancel();
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP + 1) {
            EndDialog(static_cast<int>(wParam));
            return 0;
        }
        return CDialog::WindowProc(message, wParam, lParam);
    }
};

TEST(ModelessDialog, ComesFromTheResourceAndRoutesCommands) {
    CTestDialog dialog;
    ASSERT_TRUE(dialog.Create());
    ASSERT_NE(dialog.m_hWnd, nullptr);
    EXPECT_FALSE(dialog.IsModal());
    EXPECT_EQ(CWnd::FromHandle(dialog.m_hWnd), &dialog);
    ASSERT_EQ(dialog.events.size(), 1u);
    EXPECT_EQ(dialog.events[0], L"init");
    EXPECT_EQ(dialog.GetWindowText(), L"テスト");
    EXPECT_EQ(dialog.GetDlgItemText(IDC_TEST_EDIT), L"初期値");
    EXPECT_FALSE(dialog.IsWindowVisible());  // the template has no WS_VISIBLE

    // A click on the button (as the button sends it) reaches OnCommand.
    dialog.SetDlgItemText(IDC_TEST_EDIT, L"abc");
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_CLICKED),
                       reinterpret_cast<LPARAM>(dialog.GetDlgItem(IDC_TEST_BUTTON)));
    ASSERT_EQ(dialog.events.size(), 2u);
    EXPECT_EQ(dialog.events[1], L"button abc");

    // IDOK reaches OnOK, which ends (destroys) the modeless dialog.
    HWND hwnd = dialog.m_hWnd;
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_EQ(dialog.events.size(), 3u);
    EXPECT_EQ(dialog.events[2], L"ok abc");
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.GetResult(), IDOK);
}

TEST(ModelessDialog, CloseBoxCancelsAndObjectCanOpenAgain) {
    CTestDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.SendMessage(WM_CLOSE);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.GetResult(), IDCANCEL);
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(dialog.events.back(), L"init");
}

TEST(ModelessDialog, MissingTemplateFails) {
    CDialog dialog(4242);
    EXPECT_FALSE(dialog.Create());
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST(ModalDialog, EndsWithThePostedCommand) {
    CTestDialog dialog;
    dialog.postCommand = IDCANCEL;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    ASSERT_EQ(dialog.events.size(), 2u);
    EXPECT_EQ(dialog.events[1], L"cancel");

    CTestDialog second;
    second.postCommand = IDOK;
    second.initialText = L"値";
    EXPECT_EQ(second.DoModal(), IDOK);
    EXPECT_EQ(second.events.back(), L"ok 値");
}

TEST(ModalDialog, EndDialogValueIsTheResult) {
    CTestDialog dialog;
    dialog.endValue = 42;
    EXPECT_EQ(dialog.DoModal(), 42);
    EXPECT_FALSE(dialog.IsModal());
    EXPECT_EQ(CDialog(4242).DoModal(), -1);
}

// Records on each tick of a 50 ms timer whether it is visible; shows itself and ends at the
// ticks it is told (0: never). Its destruction records whether it was still visible.
class CTickingDialog : public CDialog {
public:
    explicit CTickingDialog(CWnd* parent = nullptr) : CDialog(IDD_TEST_DIALOG, parent) {}
    int showAtTick = 0;
    int endAtTick = 0;
    int endInInit = 0;
    std::vector<bool> visibleAtTick;
    std::vector<bool> ownerEnabledAtTick;
    bool visibleAtDestroy = true;

    INT_PTR RunWithoutShowing() { return RunModalLoop(); }

protected:
    BOOL OnInitDialog() override {
        if (endInInit) {
            EndDialog(endInInit);
            return TRUE;
        }
        SetTimer(1, 50);
        return TRUE;
    }
    void OnTimer(UINT_PTR) override {
        visibleAtTick.push_back(IsWindowVisible() != FALSE);
        if (m_parent) ownerEnabledAtTick.push_back(::IsWindowEnabled(m_parent->m_hWnd) != FALSE);
        const int tick = static_cast<int>(visibleAtTick.size());
        if (tick == showAtTick) ShowWindow(SW_SHOWNA);
        if (tick == endAtTick) EndDialog(42);
    }
    void OnDestroy() override {
        visibleAtDestroy = IsWindowVisible() != FALSE;
        KillTimer(1);
    }
};

TEST(ModalLoop, DialogManagerLoopShowsTheDialogByItself) {
    CTickingDialog dialog;
    dialog.endAtTick = 4;
    EXPECT_EQ(dialog.DoModal(), 42);
    ASSERT_EQ(dialog.visibleAtTick.size(), 4u);
    EXPECT_TRUE(dialog.visibleAtTick.back());
}

TEST(ModalLoop, OwnLoopNeverShowsTheDialogAndDisablesTheOwner) {
    ASSERT_TRUE(CWnd::RegisterWindowClass(L"ModalLoopOwner"));
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, L"ModalLoopOwner", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr));
    CTickingDialog dialog(&owner);
    dialog.endAtTick = 6;
    EXPECT_EQ(dialog.RunWithoutShowing(), 42);
    EXPECT_EQ(dialog.GetResult(), 42);
    EXPECT_FALSE(dialog.IsModal());
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    ASSERT_EQ(dialog.visibleAtTick.size(), 6u);
    for (bool visible : dialog.visibleAtTick) EXPECT_FALSE(visible);
    for (bool enabled : dialog.ownerEnabledAtTick) EXPECT_FALSE(enabled);
    EXPECT_TRUE(IsWindowEnabled(owner.m_hWnd));
    owner.DestroyWindow();
}

TEST(ModalLoop, DialogThatShowsItselfIsHiddenWhenTheLoopEnds) {
    CTickingDialog dialog;
    dialog.showAtTick = 2;
    dialog.endAtTick = 4;
    EXPECT_EQ(dialog.RunWithoutShowing(), 42);
    ASSERT_EQ(dialog.visibleAtTick.size(), 4u);
    EXPECT_FALSE(dialog.visibleAtTick[0]);
    EXPECT_FALSE(dialog.visibleAtTick[1]);
    EXPECT_TRUE(dialog.visibleAtTick[2]);
    EXPECT_TRUE(dialog.visibleAtTick[3]);
    EXPECT_FALSE(dialog.visibleAtDestroy);
}

TEST(ModalLoop, EndedDuringInitOrMissingTemplate) {
    CTickingDialog dialog;
    dialog.endInInit = IDCANCEL;
    EXPECT_EQ(dialog.RunWithoutShowing(), IDCANCEL);
    EXPECT_TRUE(dialog.visibleAtTick.empty());
    EXPECT_FALSE(dialog.visibleAtDestroy);
    EXPECT_EQ(dialog.m_hWnd, nullptr);

    class CMissing : public CDialog {
    public:
        CMissing() : CDialog(4242) {}
        INT_PTR Run() { return RunModalLoop(); }
    } missing;
    EXPECT_EQ(missing.Run(), -1);
    EXPECT_FALSE(missing.IsModal());
}

TEST(ModalLoop, QuitEndsTheLoopAndIsPostedAgain) {
    class CQuitting : public CTickingDialog {
    protected:
        void OnTimer(UINT_PTR id) override {
            CTickingDialog::OnTimer(id);
            if (visibleAtTick.size() == 2) PostQuitMessage(3);
        }
    } dialog;
    EXPECT_EQ(dialog.RunWithoutShowing(), -1);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 3u);
}

// A modeless dialog run inside the application's loop: Escape in its edit box becomes IDCANCEL
// only if the loop gives the dialog its keyboard navigation.
class CDialogApp : public CWinApp {
public:
    CTestDialog dialog;

protected:
    BOOL InitInstance() override {
        if (!dialog.Create()) return FALSE;
        HWND edit = dialog.GetDlgItem(IDC_TEST_EDIT);
        ::PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        ::PostMessageW(edit, WM_KEYUP, VK_ESCAPE, 0xC0010001);
        ::SetTimer(dialog.m_hWnd, 9, 3000, nullptr);  // safety net: ends the loop with 99
        ::PostMessageW(nullptr, WM_NULL, 0, 0);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* message) override {
        if (message->message == WM_TIMER && message->wParam == 9) PostQuitMessage(99);
        const BOOL handled = CWinApp::PreTranslateMessage(message);
        if (!dialog.m_hWnd) PostQuitMessage(5);
        return handled;
    }
};

TEST(ModelessDialog, ApplicationLoopGivesItKeyboardNavigation) {
    CDialogApp app;
    EXPECT_EQ(CWinApp::Main(&app, nullptr, nullptr, SW_HIDE), 5);
    ASSERT_FALSE(app.dialog.events.empty());
    EXPECT_EQ(app.dialog.events.back(), L"cancel");
    EXPECT_EQ(app.dialog.GetResult(), IDCANCEL);
}

}  // namespace
