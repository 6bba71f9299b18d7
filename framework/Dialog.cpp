#include "framework/Dialog.h"

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog() {
    // A modeless dialog still open goes with its object.
    if (m_hWnd && FromHandle(m_hWnd) == this && !m_modal) {
        HWND hwnd = m_hWnd;
        RemovePropW(hwnd, L"VmxCWnd");
        m_hWnd = nullptr;
        ::DestroyWindow(hwnd);
    }
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd) return -1;
    HINSTANCE instance = m_instance ? m_instance : GetModuleHandleW(nullptr);
    m_modal = true;
    m_result = 0;
    SetCreating(this);
    const INT_PTR result =
        DialogBoxParamW(instance, MAKEINTRESOURCEW(m_templateId), m_parent ? m_parent->m_hWnd : nullptr, DialogProc, 0);
    TakeCreating();
    m_modal = false;
    return result;
}

INT_PTR CDialog::RunModalLoop() {
    if (m_hWnd) return -1;
    HINSTANCE instance = m_instance ? m_instance : GetModuleHandleW(nullptr);
    HWND owner = m_parent ? m_parent->m_hWnd : nullptr;
    const bool disableOwner = owner && ::IsWindowEnabled(owner);
    if (disableOwner) ::EnableWindow(owner, FALSE);
    m_modal = true;
    m_ownLoop = true;
    m_loopEnded = false;
    m_result = 0;
    SetCreating(this);
    HWND hwnd = CreateDialogParamW(instance, MAKEINTRESOURCEW(m_templateId), owner, DialogProc, 0);
    TakeCreating();
    INT_PTR result = -1;
    if (hwnd) {
        bool quit = false;
        MSG message;
        while (!m_loopEnded && ::IsWindow(hwnd)) {
            const BOOL got = GetMessageW(&message, nullptr, 0, 0);
            if (got == -1) break;
            if (got == 0) {
                PostQuitMessage(static_cast<int>(message.wParam));
                quit = true;
                break;
            }
            if (!IsDialogMessageW(hwnd, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        if (m_loopEnded && !quit) result = m_result;
        if (::IsWindow(hwnd)) {
            ::ShowWindow(hwnd, SW_HIDE);
            // The owner comes back before the dialog goes, so that it gets the activation.
            if (disableOwner) ::EnableWindow(owner, TRUE);
            ::DestroyWindow(hwnd);
        }
    }
    if (disableOwner && !::IsWindowEnabled(owner)) ::EnableWindow(owner, TRUE);
    m_modal = false;
    m_ownLoop = false;
    return result;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    if (m_hWnd) return FALSE;
    if (templateId) m_templateId = templateId;
    if (parent) m_parent = parent;
    HINSTANCE instance = m_instance ? m_instance : GetModuleHandleW(nullptr);
    m_modal = false;
    m_result = 0;
    SetCreating(this);
    HWND hwnd = CreateDialogParamW(instance, MAKEINTRESOURCEW(m_templateId), m_parent ? m_parent->m_hWnd : nullptr,
                                   DialogProc, 0);
    TakeCreating();
    return hwnd != nullptr;
}

void CDialog::EndDialog(int result) {
    m_result = result;
    if (!m_hWnd) return;
    if (m_modal && m_ownLoop) {
        m_loopEnded = true;
        ::PostMessageW(m_hWnd, WM_NULL, 0, 0);  // wakes the loop
    } else if (m_modal) {
        ::EndDialog(m_hWnd, result);
    } else {
        ::DestroyWindow(m_hWnd);
    }
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM) {
    switch (LOWORD(wParam)) {
        case IDOK:
            OnOK();
            return TRUE;
        case IDCANCEL:
            OnCancel();
            return TRUE;
        default:
            return FALSE;
    }
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog();
    return CWnd::WindowProc(message, wParam, lParam);
}

LRESULT CDialog::DefWindowProc(UINT, WPARAM, LPARAM) {
    m_defaulted = true;
    return 0;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* dialog = static_cast<CDialog*>(FromHandle(hwnd));
    if (!dialog) {
        // Bound on the first message, from the object DoModal or Create named.
        dialog = static_cast<CDialog*>(TakeCreating());
        if (!dialog) return FALSE;
        dialog->BindHandle(hwnd);
    }
    return RunMessage(dialog, hwnd, message, wParam, lParam);
}

INT_PTR CDialog::RunMessage(CDialog* dialog, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    dialog->m_defaulted = false;
    const LRESULT result = dialog->Dispatch(message, wParam, lParam);
    // After WM_NCDESTROY the object may have deleted itself.
    if (message == WM_NCDESTROY || dialog->m_defaulted) return FALSE;
    switch (message) {
        case WM_INITDIALOG:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
            return static_cast<INT_PTR>(result);
        default:
            SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
            return TRUE;
    }
}
