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
