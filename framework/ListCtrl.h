#pragma once
// A report-view list control: columns, rows with sub-item texts, per-row data and the
// selection. Takes a control from a dialog (SubclassDlgItem or Attach) or creates one.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/Wnd.h"

class CListCtrl : public CWnd {
public:
    // Creates a report-view list as a child of parent; style gets WS_CHILD and LVS_REPORT added.
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    DWORD GetExtendedStyle() const;
    // Replaces the extended list-view styles (LVS_EX_FULLROWSELECT, ...); the old ones.
    DWORD SetExtendedStyle(DWORD styles);

    // Inserts a column; format LVCFMT_LEFT/RIGHT/CENTER, width in pixels (-1: none given).
    // The new column's index, or -1.
    int InsertColumn(int column, LPCWSTR heading, int format = LVCFMT_LEFT, int width = -1);
    BOOL DeleteColumn(int column);
    int GetColumnCount() const;
    int GetColumnWidth(int column) const;
    BOOL SetColumnWidth(int column, int width);

    // Inserts a row with the first column's text (and its data); the row's index, or -1.
    int InsertItem(int item, LPCWSTR text);
    int InsertItem(int item, LPCWSTR text, DWORD_PTR data);
    BOOL DeleteItem(int item);
    BOOL DeleteAllItems();
    int GetItemCount() const;

    BOOL SetItemText(int item, int subItem, LPCWSTR text);
    std::wstring GetItemText(int item, int subItem) const;
    BOOL SetItemData(int item, DWORD_PTR data);
    // The row's data; 0 for a row that does not exist.
    DWORD_PTR GetItemData(int item) const;
    // The first row whose data equals data; -1 when none.
    int FindItemByData(DWORD_PTR data) const;

    UINT GetItemState(int item, UINT mask) const;
    BOOL SetItemState(int item, UINT state, UINT mask);
    UINT GetSelectedCount() const;
    // The next row after start (-1: from the top) with the LVNI_ flags; -1 when none.
    int GetNextItem(int start, int flags) const;
    // The first selected row, or -1.
    int GetFirstSelected() const { return GetNextItem(-1, LVNI_SELECTED); }
    // Selects and focuses one row, deselecting the others.
    BOOL SelectItem(int item);
    BOOL EnsureVisible(int item, BOOL partialOk = FALSE);
};
