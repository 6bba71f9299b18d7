// CListCtrl in a hidden window: columns, rows, sub-item texts, row data and selection.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/ListCtrl.h"
#include "framework/Wnd.h"

namespace {

class ListTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        ASSERT_NE(CWnd::RegisterWindowClass(L"VmxListHost"), 0);
        ASSERT_TRUE(host.CreateEx(0, L"VmxListHost", L"", WS_POPUP, 0, 0, 400, 300, nullptr));
        RECT rect = {0, 0, 380, 280};
        ASSERT_TRUE(list.Create(WS_VISIBLE | LVS_SHOWSELALWAYS, rect, &host, 1026));
    }
    CWnd host;
    CListCtrl list;
};

TEST_F(ListTest, ColumnsAndExtendedStyles) {
    EXPECT_EQ(list.InsertColumn(0, L"RAMディスク", LVCFMT_LEFT, 80), 0);
    EXPECT_EQ(list.InsertColumn(1, L"ディスク容量", LVCFMT_RIGHT, 70), 1);
    EXPECT_EQ(list.InsertColumn(2, L"バックアップ"), 2);
    EXPECT_EQ(list.GetColumnCount(), 3);
    EXPECT_EQ(list.GetColumnWidth(0), 80);
    EXPECT_TRUE(list.SetColumnWidth(1, 100));
    EXPECT_EQ(list.GetColumnWidth(1), 100);
    EXPECT_TRUE(list.DeleteColumn(2));
    EXPECT_EQ(list.GetColumnCount(), 2);
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    EXPECT_EQ(list.GetExtendedStyle() & (LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP),
              static_cast<DWORD>(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP));
    EXPECT_EQ(GetDlgCtrlID(list.m_hWnd), 1026);
}

TEST_F(ListTest, RowsRoundTripTextsAndData) {
    list.InsertColumn(0, L"a");
    list.InsertColumn(1, L"b");
    list.InsertColumn(2, L"c");
    std::wstring first = L"C:\\VelmoraEX\\disk1.ini", second = L"C:\\VelmoraEX\\disk2.ini";
    EXPECT_EQ(list.InsertItem(0, L"R:", reinterpret_cast<DWORD_PTR>(&first)), 0);
    EXPECT_EQ(list.InsertItem(1, L"無効"), 1);
    EXPECT_TRUE(list.SetItemData(1, reinterpret_cast<DWORD_PTR>(&second)));
    // Inserting at the top moves the others down.
    EXPECT_EQ(list.InsertItem(0, L"設定なし", 7), 0);
    ASSERT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.GetItemText(1, 0), L"R:");
    EXPECT_EQ(list.GetItemText(2, 0), L"無効");
    EXPECT_TRUE(list.SetItemText(1, 1, L"128MB"));
    EXPECT_TRUE(list.SetItemText(1, 2, L"自動"));
    EXPECT_EQ(list.GetItemText(1, 1), L"128MB");
    EXPECT_EQ(list.GetItemText(1, 2), L"自動");
    EXPECT_EQ(list.GetItemText(2, 1), L"");
    // Texts longer than the first read buffer come back whole.
    const std::wstring longText(700, L'ア');
    EXPECT_TRUE(list.SetItemText(2, 2, longText.c_str()));
    EXPECT_EQ(list.GetItemText(2, 2), longText);

    EXPECT_EQ(list.GetItemData(0), 7u);
    EXPECT_EQ(list.GetItemData(1), reinterpret_cast<DWORD_PTR>(&first));
    EXPECT_EQ(list.GetItemData(2), reinterpret_cast<DWORD_PTR>(&second));
    EXPECT_EQ(list.FindItemByData(reinterpret_cast<DWORD_PTR>(&second)), 2);
    EXPECT_EQ(list.FindItemByData(12345), -1);
    EXPECT_EQ(list.GetItemData(9), 0u);
    EXPECT_EQ(list.GetItemText(9, 0), L"");

    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(list.FindItemByData(reinterpret_cast<DWORD_PTR>(&first)), 0);
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ListTest, SelectionFollowsSelectItem) {
    list.InsertColumn(0, L"a");
    for (int i = 0; i < 4; ++i) list.InsertItem(i, std::to_wstring(i).c_str());
    EXPECT_EQ(list.GetSelectedCount(), 0u);
    EXPECT_EQ(list.GetFirstSelected(), -1);
    EXPECT_TRUE(list.SelectItem(2));
    EXPECT_EQ(list.GetSelectedCount(), 1u);
    EXPECT_EQ(list.GetFirstSelected(), 2);
    EXPECT_EQ(list.GetItemState(2, LVIS_SELECTED | LVIS_FOCUSED), static_cast<UINT>(LVIS_SELECTED | LVIS_FOCUSED));
    EXPECT_TRUE(list.SelectItem(1));
    EXPECT_EQ(list.GetSelectedCount(), 1u);
    EXPECT_EQ(list.GetFirstSelected(), 1);
    EXPECT_EQ(list.GetItemState(2, LVIS_SELECTED), 0u);
    EXPECT_FALSE(list.SelectItem(4));
    EXPECT_EQ(list.GetFirstSelected(), 1);
    // Deleting the selected row leaves no selection.
    list.DeleteItem(1);
    EXPECT_EQ(list.GetSelectedCount(), 0u);
}

}  // namespace
