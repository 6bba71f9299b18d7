#include "framework/PropertyPage.h"

CPropertyPage::CPropertyPage(UINT templateId, LPCWSTR caption)
    : CDialog(templateId), m_psp(), m_caption(caption ? caption : L"") {
    m_psp.dwSize = sizeof m_psp;
    m_psp.dwFlags = PSP_DEFAULT;
    m_psp.hInstance = GetModuleHandleW(nullptr);
    m_psp.pszTemplate = MAKEINTRESOURCEW(templateId);
    m_psp.pfnDlgProc = PageProc;
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
    if (caption) {
        m_psp.dwFlags |= PSP_USETITLE;
        m_psp.pszTitle = m_caption.c_str();
    }
}

void CPropertyPage::SetModified(BOOL changed) {
    HWND sheet = GetSheetHwnd();
    if (!sheet) return;
    ::SendMessageW(sheet, changed ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

BOOL CPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    // Only the sheet's own notifications; controls on the page notify with their ids.
    if (!header || header->hwndFrom != GetSheetHwnd()) return CDialog::OnNotify(wParam, lParam, result);
    switch (header->code) {
        case PSN_SETACTIVE:
            *result = OnSetActive() ? 0 : -1;
            return TRUE;
        case PSN_KILLACTIVE:
            *result = OnKillActive() ? FALSE : TRUE;
            return TRUE;
        case PSN_APPLY:
            *result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
            return TRUE;
        case PSN_RESET:
            OnReset();
            *result = 0;
            return TRUE;
        case PSN_QUERYCANCEL:
            *result = OnQueryCancel() ? FALSE : TRUE;
            return TRUE;
        default:
            return CDialog::OnNotify(wParam, lParam, result);
    }
}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CPropertyPage* page = static_cast<CPropertyPage*>(FromHandle(hwnd));
    if (!page) {
        // The page's object travels in the page record that WM_INITDIALOG carries; messages
        // before it take the dialog manager's default.
        if (message != WM_INITDIALOG || !lParam) return FALSE;
        page = reinterpret_cast<CPropertyPage*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
        if (!page) return FALSE;
        page->BindHandle(hwnd);
    }
    return RunMessage(page, hwnd, message, wParam, lParam);
}
