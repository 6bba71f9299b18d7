#pragma once
// One page of a CPropertySheet, from a dialog resource. The sheet's notifications arrive as
// virtual calls: PSN_SETACTIVE -> OnSetActive, PSN_KILLACTIVE -> OnKillActive,
// PSN_APPLY -> OnApply, PSN_RESET -> OnReset, PSN_QUERYCANCEL -> OnQueryCancel.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/Dialog.h"

class CPropertySheet;

class CPropertyPage : public CDialog {
public:
    // caption: the tab text; null takes the dialog template's title.
    explicit CPropertyPage(UINT templateId, LPCWSTR caption = nullptr);

    // The page record handed to PropertySheetW; flags may be adjusted before the sheet opens.
    PROPSHEETPAGEW m_psp;

    // Enables (TRUE) or disables the sheet's Apply button for this page.
    void SetModified(BOOL changed = TRUE);
    // The sheet window holding this page (null while the page has no window).
    HWND GetSheetHwnd() const { return m_hWnd ? ::GetParent(m_hWnd) : nullptr; }

protected:
    // TRUE lets the page become active; FALSE keeps the previous page.
    virtual BOOL OnSetActive() { return TRUE; }
    // TRUE lets the page be left (and the changes applied); FALSE keeps it active.
    virtual BOOL OnKillActive() { return TRUE; }
    // OK or Apply: TRUE accepts; FALSE keeps the sheet open on this page.
    virtual BOOL OnApply() { return TRUE; }
    // Cancel: after OnQueryCancel agreed.
    virtual void OnReset() {}
    // TRUE lets the sheet be cancelled.
    virtual BOOL OnQueryCancel() { return TRUE; }

    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // Buttons with the ids IDOK / IDCANCEL on a page do not end anything: the sheet does.
    void OnOK() override {}
    void OnCancel() override {}

private:
    static INT_PTR CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    std::wstring m_caption;
};
