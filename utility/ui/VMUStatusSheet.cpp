#include "utility/ui/VMUStatusSheet.h"

#include "utility/core/MessageText.h"
#include "utility/ui/resource.h"

namespace {

CVMUStatusSheet* g_current = nullptr;

// Asks the sheet to fit its pages once the first page exists.
const UINT kFitPagesMessage = WM_APP + 0x50;

}  // namespace

CVMUStatusSheet::CVMUStatusSheet(CVMUTaskTrayWnd& tray, IPropertySheetFactory& factory, ITrayPrompt& prompt,
                                 CWnd* parent)
    : CPropertySheet(UMessageText::Load(IDS_10003).c_str(), parent), m_whole(tray, factory, prompt) {
    m_psh.dwFlags |= PSH_NOAPPLYNOW;
    m_psh.dwFlags &= ~static_cast<DWORD>(PSH_HASHELP);
    AddPage(&m_whole);
    AddPage(&m_about);
}

CVMUStatusSheet::~CVMUStatusSheet() {
    // A modeless sheet still open goes while its pages exist, so that they release their rows.
    if (m_hWnd) ::DestroyWindow(m_hWnd);
    if (g_current == this) g_current = nullptr;
}

CVMUStatusSheet* CVMUStatusSheet::Current() { return g_current; }

BOOL CVMUStatusSheet::OnInitDialog() {
    g_current = this;
    if (HWND ok = GetDlgItem(IDOK)) ::DestroyWindow(ok);
    SetDlgItemText(IDCANCEL, UMessageText::Load(IDS_3101).c_str());
    if (PropSheet_GetCurrentPageHwnd(m_hWnd)) {
        FitPagesToTemplates();
    } else {
        PostMessage(kFitPagesMessage);
    }
    return TRUE;
}

LRESULT CVMUStatusSheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && g_current == this) g_current = nullptr;
    if (message == kFitPagesMessage) {
        FitPagesToTemplates();
        return 0;
    }
    return CPropertySheet::WindowProc(message, wParam, lParam);
}

void CVMUStatusSheet::BringToFront() {
    if (!m_hWnd) return;
    if (::IsIconic(m_hWnd)) ShowWindow(SW_RESTORE);
    ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow();
    ::SetActiveWindow(m_hWnd);
}

void CVMUStatusSheet::Refresh(int code, const std::wstring& path) { m_whole.Refresh(code, path); }

bool CVMUStatusSheet::AddDiskRow(const CVelmoraEXData& disk) { return m_whole.AddDiskRow(disk); }

void CVMUStatusSheet::RemoveDiskRow(const std::wstring& path) { m_whole.RemoveDiskRow(path); }

void CVMUStatusSheet::CloseFromTray() {
    if (!m_hWnd) return;
    if (m_whole.GetSafeHwnd()) {
        m_whole.CloseOpenSheet(true);
    } else {
        EndDialog(IDCANCEL);
    }
}
