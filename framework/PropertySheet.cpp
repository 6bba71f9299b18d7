#include "framework/PropertySheet.h"

#include <algorithm>

namespace {

// A dialog template's size in dialog units; false when the template cannot be read.
bool TemplateSize(HINSTANCE instance, UINT id, SIZE& size) {
    if (!instance) instance = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));  // RT_DIALOG
    if (!resource || SizeofResource(instance, resource) < 26) return false;
    HGLOBAL loaded = LoadResource(instance, resource);
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!data) return false;
    const bool extended =
        reinterpret_cast<const WORD*>(data)[0] == 1 && reinterpret_cast<const WORD*>(data)[1] == 0xFFFF;
    const short* extent = reinterpret_cast<const short*>(data + (extended ? 22 : 14));
    size.cx = extent[0];
    size.cy = extent[1];
    return true;
}

// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child, HWND parent) {
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace

namespace {
// The sheet being opened on this thread; the initialisation callback carries no parameter.
thread_local CPropertySheet* t_openingSheet = nullptr;
}  // namespace

CPropertySheet::CPropertySheet(LPCWSTR caption, CWnd* parent, UINT selectPage)
    : m_psh(), m_caption(caption ? caption : L""), m_parent(parent) {
    m_psh.dwSize = sizeof m_psh;
    m_psh.dwFlags = PSH_DEFAULT;
    m_psh.hInstance = GetModuleHandleW(nullptr);
    m_psh.nStartPage = selectPage;
}

CPropertySheet::~CPropertySheet() {
    if (m_hWnd && m_modeless) {
        HWND hwnd = UnsubclassWindow();
        ::DestroyWindow(hwnd);
    }
}

void CPropertySheet::AddPage(CPropertyPage* page) {
    if (!page) return;
    m_pages.push_back(page);
    if (m_hWnd) {
        HPROPSHEETPAGE handle = CreatePropertySheetPageW(&page->m_psp);
        if (handle) PropSheet_AddPage(m_hWnd, handle);
    }
}

void CPropertySheet::RemovePage(int index) {
    if (index < 0 || index >= GetPageCount()) return;
    if (m_hWnd) PropSheet_RemovePage(m_hWnd, index, nullptr);
    m_pages.erase(m_pages.begin() + index);
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
    if (index < 0 || index >= GetPageCount()) return nullptr;
    return m_pages[static_cast<size_t>(index)];
}

int CPropertySheet::GetPageIndex(const CPropertyPage* page) const {
    const auto found = std::find(m_pages.begin(), m_pages.end(), page);
    return found == m_pages.end() ? -1 : static_cast<int>(found - m_pages.begin());
}

void CPropertySheet::Prepare(DWORD extraFlags) {
    m_records.clear();
    for (CPropertyPage* page : m_pages) m_records.push_back(page->m_psp);
    m_psh.dwFlags |= PSH_PROPSHEETPAGE | PSH_USECALLBACK | extraFlags;
    m_psh.hwndParent = m_parent ? m_parent->m_hWnd : nullptr;
    m_psh.pszCaption = m_caption.c_str();
    m_psh.nPages = static_cast<UINT>(m_records.size());
    m_psh.ppsp = m_records.data();
    if (m_psh.nStartPage >= m_psh.nPages) m_psh.nStartPage = 0;
    m_psh.pfnCallback = SheetCallback;
}

INT_PTR CPropertySheet::DoModal() {
    if (m_hWnd || m_pages.empty()) return -1;
    m_modeless = false;
    Prepare(0);
    m_psh.dwFlags &= ~static_cast<DWORD>(PSH_MODELESS);
    t_openingSheet = this;
    const INT_PTR result = PropertySheetW(&m_psh);
    t_openingSheet = nullptr;
    // The window is gone; a binding left by a sheet that ended without WM_NCDESTROY goes too.
    if (m_hWnd) UnsubclassWindow();
    return result;
}

BOOL CPropertySheet::Create(CWnd* parent) {
    if (m_hWnd || m_pages.empty()) return FALSE;
    if (parent) m_parent = parent;
    m_modeless = true;
    Prepare(PSH_MODELESS);
    t_openingSheet = this;
    const INT_PTR result = PropertySheetW(&m_psh);
    t_openingSheet = nullptr;
    return result != 0 && result != -1 && m_hWnd != nullptr;
}

int CPropertySheet::GetActiveIndex() const {
    if (!m_hWnd) return -1;
    HWND page = PropSheet_GetCurrentPageHwnd(m_hWnd);
    return page ? static_cast<int>(PropSheet_HwndToIndex(m_hWnd, page)) : -1;
}

BOOL CPropertySheet::SetActivePage(int index) {
    if (index < 0 || index >= GetPageCount()) return FALSE;
    if (!m_hWnd) {
        m_psh.nStartPage = static_cast<UINT>(index);
        return TRUE;
    }
    return PropSheet_SetCurSel(m_hWnd, nullptr, index) ? TRUE : FALSE;
}

void CPropertySheet::SetTitle(LPCWSTR title) {
    m_caption = title ? title : L"";
    if (m_hWnd) PropSheet_SetTitle(m_hWnd, 0, m_caption.c_str());
}

void CPropertySheet::EndDialog(int result) {
    if (!m_hWnd) return;
    ::PostMessageW(m_hWnd, PSM_PRESSBUTTON, result == IDOK ? PSBTN_OK : PSBTN_CANCEL, 0);
}

LRESULT CPropertySheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CWnd::WindowProc(message, wParam, lParam);
    if (m_modeless && m_hWnd && (message == WM_COMMAND || message == WM_SYSCOMMAND || message == PSM_PRESSBUTTON) &&
        PropSheet_GetCurrentPageHwnd(m_hWnd) == nullptr) {
        ::DestroyWindow(m_hWnd);
    }
    return result;
}

void CPropertySheet::PostNcDestroy() { m_modeless = false; }

int CALLBACK CPropertySheet::SheetCallback(HWND hwnd, UINT message, LPARAM) {
    if (message != PSCB_INITIALIZED) return 0;
    CPropertySheet* sheet = t_openingSheet;
    t_openingSheet = nullptr;
    if (sheet && sheet->SubclassWindow(hwnd)) sheet->OnInitDialog();
    return 0;
}

bool CPropertySheet::IsPageWindow(HWND hwnd) const {
    for (CPropertyPage* page : m_pages)
        if (page->GetSafeHwnd() == hwnd) return true;
    return false;
}

void CPropertySheet::FitPagesToTemplates() {
    HWND current = PropSheet_GetCurrentPageHwnd(m_hWnd);
    HWND tab = PropSheet_GetTabControl(m_hWnd);
    if (!current || !tab) return;
    // The pages' own size, in their own font.
    LONG needX = 0, needY = 0;
    for (CPropertyPage* page : m_pages) {
        SIZE size = {};
        if (!TemplateSize(page->m_psp.hInstance, page->GetTemplateId(), size)) continue;
        RECT rect = {0, 0, size.cx, size.cy};
        MapDialogRect(current, &rect);
        needX = std::max(needX, rect.right);
        needY = std::max(needY, rect.bottom);
    }
    RECT area = {};
    GetClientRect(tab, &area);
    TabCtrl_AdjustRect(tab, FALSE, &area);
    const int dx = std::max(0L, needX - (area.right - area.left));
    const int dy = std::max(0L, needY - (area.bottom - area.top));
    if (dx == 0 && dy == 0) return;

    // Buttons below the tab move down and right with the grown corner.
    const RECT tabRect = ChildRect(tab, m_hWnd);
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (child == tab || IsPageWindow(child)) continue;
        const RECT rect = ChildRect(child, m_hWnd);
        if (rect.top < tabRect.bottom) continue;
        ::SetWindowPos(child, nullptr, rect.left + dx, rect.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::SetWindowPos(tab, nullptr, 0, 0, tabRect.right - tabRect.left + dx, tabRect.bottom - tabRect.top + dy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT window = {};
    ::GetWindowRect(m_hWnd, &window);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, window.right - window.left + dx, window.bottom - window.top + dy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    // Pages that exist fill the new display area.
    RECT display = ChildRect(tab, m_hWnd);
    TabCtrl_AdjustRect(tab, FALSE, &display);
    for (CPropertyPage* page : m_pages) {
        if (!page->GetSafeHwnd()) continue;
        ::SetWindowPos(page->GetSafeHwnd(), nullptr, display.left, display.top, display.right - display.left,
                       display.bottom - display.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}
