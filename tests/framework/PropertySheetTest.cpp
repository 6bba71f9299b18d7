// CPropertySheet with two CPropertyPage objects, driven by the sheet's own messages:
// page changes reach OnKillActive / OnSetActive, apply reaches OnApply, and a page that
// refuses keeps the sheet where it is.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/PropertySheet.h"
#include "framework/UiTestIds.h"

namespace {

class CTestPage : public CPropertyPage {
public:
    CTestPage(UINT id, std::wstring name, std::vector<std::wstring>* log, LPCWSTR caption = nullptr)
        : CPropertyPage(id, caption), m_name(std::move(name)), m_log(log) {}
    BOOL allowLeave = TRUE;
    BOOL allowApply = TRUE;
    // Posted to the sheet once this page first becomes active.
    int pressOnActivate = -1;

protected:
    BOOL OnInitDialog() override {
        Log(L"init");
        return TRUE;
    }
    BOOL OnSetActive() override {
        Log(L"set");
        if (pressOnActivate >= 0) {
            ::PostMessageW(GetSheetHwnd(), PSM_PRESSBUTTON, static_cast<WPARAM>(pressOnActivate), 0);
            pressOnActivate = -1;
        }
        return TRUE;
    }
    BOOL OnKillActive() override {
        Log(L"kill");
        return allowLeave;
    }
    BOOL OnApply() override {
        Log(L"apply");
        return allowApply;
    }
    void OnReset() override { Log(L"reset"); }

private:
    void Log(const wchar_t* what) { m_log->push_back(m_name + L" " + what); }
    std::wstring m_name;
    std::vector<std::wstring>* m_log;
};

class CTestSheet : public CPropertySheet {
public:
    using CPropertySheet::CPropertySheet;
    int inits = 0;
    std::wstring firstPageText;

protected:
    BOOL OnInitDialog() override {
        ++inits;
        return TRUE;
    }
};

class SheetTest : public ::testing::Test {
protected:
    std::vector<std::wstring> log;
    CTestPage first{IDD_TEST_PAGE1, L"p1", &log};
    CTestPage second{IDD_TEST_PAGE2, L"p2", &log, L"その他"};
};

TEST_F(SheetTest, ModelessSheetDrivenByMessages) {
    CTestSheet sheet(L"VelmoraEXの状態");
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    ASSERT_TRUE(sheet.Create());
    ASSERT_NE(sheet.m_hWnd, nullptr);
    EXPECT_EQ(sheet.inits, 1);
    EXPECT_EQ(CWnd::FromHandle(sheet.m_hWnd), &sheet);
    EXPECT_EQ(sheet.GetActiveIndex(), 0);
    EXPECT_EQ(sheet.GetActivePage(), &first);
    ASSERT_NE(first.m_hWnd, nullptr);
    EXPECT_EQ(first.GetSheetHwnd(), sheet.m_hWnd);
    EXPECT_EQ(second.m_hWnd, nullptr);  // pages are made when first shown

    // Tab texts: the template's title, or the caption given to the page.
    HWND tab = PropSheet_GetTabControl(sheet.m_hWnd);
    ASSERT_NE(tab, nullptr);
    wchar_t text[32] = {};
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 32;
    ASSERT_TRUE(::SendMessageW(tab, TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item)));
    EXPECT_STREQ(text, L"その他");

    log.clear();
    ASSERT_TRUE(::SendMessageW(sheet.m_hWnd, PSM_SETCURSEL, 1, 0));
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
    const std::vector<std::wstring> change = {L"p1 kill", L"p2 init", L"p2 set"};
    EXPECT_EQ(log, change);

    // A page that refuses to be left keeps the sheet on it.
    log.clear();
    second.allowLeave = FALSE;
    EXPECT_TRUE(sheet.SetActivePage(&first) == FALSE || sheet.GetActiveIndex() == 1);
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), L"p2 kill");
    EXPECT_EQ(std::count(log.begin(), log.end(), L"p1 set"), 0);

    // Apply reaches every created page.
    second.allowLeave = TRUE;
    log.clear();
    EXPECT_TRUE(::SendMessageW(sheet.m_hWnd, PSM_APPLY, 0, 0));
    EXPECT_EQ(std::count(log.begin(), log.end(), L"p1 apply"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), L"p2 apply"), 1);

    // A refused apply reports failure.
    log.clear();
    first.allowApply = FALSE;
    EXPECT_FALSE(::SendMessageW(sheet.m_hWnd, PSM_APPLY, 0, 0));
    EXPECT_EQ(std::count(log.begin(), log.end(), L"p1 apply"), 1);

    // Modified state reaches the sheet's Apply button.
    first.SetModified(TRUE);
    HWND apply = GetDlgItem(sheet.m_hWnd, 0x3021);
    ASSERT_NE(apply, nullptr);
    EXPECT_TRUE(IsWindowEnabled(apply));
    first.SetModified(FALSE);
    EXPECT_FALSE(IsWindowEnabled(apply));

    HWND hwnd = sheet.m_hWnd;
    DestroyWindow(hwnd);
    EXPECT_EQ(sheet.m_hWnd, nullptr);
    EXPECT_EQ(first.m_hWnd, nullptr);
    EXPECT_EQ(second.m_hWnd, nullptr);
}

TEST_F(SheetTest, ModalSheetEndsWithOkAndAppliesEveryPage) {
    CTestSheet sheet(L"新規");
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    sheet.SetActivePage(1);
    second.pressOnActivate = PSBTN_OK;
    const INT_PTR result = sheet.DoModal();
    EXPECT_GT(result, 0);
    EXPECT_EQ(sheet.m_hWnd, nullptr);
    EXPECT_EQ(sheet.inits, 1);
    // Only the page that was shown has a window, so only it is applied.
    EXPECT_EQ(std::count(log.begin(), log.end(), L"p2 apply"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), L"p1 init"), 0);
}

TEST_F(SheetTest, ModalSheetCancelResetsAndRemovedPageIsNotShown) {
    CTestSheet sheet(L"新規");
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    sheet.RemovePage(1);
    EXPECT_EQ(sheet.GetPageCount(), 1);
    EXPECT_EQ(sheet.GetPageIndex(&second), -1);
    first.pressOnActivate = PSBTN_CANCEL;
    EXPECT_EQ(sheet.DoModal(), 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), L"p1 reset"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), L"p1 apply"), 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), L"p2 init"), 0);
}

TEST_F(SheetTest, ModelessSheetClosesItselfAfterOk) {
    CTestSheet sheet(L"x");
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    ASSERT_TRUE(sheet.Create());
    HWND hwnd = sheet.m_hWnd;
    log.clear();
    ::SendMessageW(hwnd, PSM_PRESSBUTTON, PSBTN_OK, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(sheet.m_hWnd, nullptr);
    EXPECT_EQ(std::count(log.begin(), log.end(), L"p1 apply"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), L"p2 apply"), 0);  // never shown
}

TEST_F(SheetTest, SheetWithoutPagesDoesNotOpen) {
    CTestSheet sheet(L"x");
    EXPECT_EQ(sheet.DoModal(), -1);
    EXPECT_FALSE(sheet.Create());
}

}  // namespace
