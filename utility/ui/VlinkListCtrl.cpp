#include "utility/ui/VlinkListCtrl.h"

#include "utility/core/MessageText.h"
#include "utility/ui/resource.h"

void CVlinkListCtrl::Setup() {
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_INFOTIP);
    const std::wstring number = UMessageText::Load(IDS_5005), source = UMessageText::Load(IDS_5006),
                       target = UMessageText::Load(IDS_5007);
    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
    auto width = [dc](const std::wstring& text) {
        SIZE size{};
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };
    const int space = width(L"    ");
    const int numberWidth = space + width(number);
    ::SelectObject(dc, old);
    ::ReleaseDC(m_hWnd, dc);
    // Columns 1 and 2 share what the number column and the three spaces leave.
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    const int remaining =
        (window.right - window.left) - 2 * ::GetSystemMetrics(SM_CXEDGE) - (numberWidth + space + space);
    InsertColumn(0, number.c_str(), LVCFMT_RIGHT, numberWidth);
    InsertColumn(1, source.c_str(), LVCFMT_LEFT, space + remaining / 2);
    InsertColumn(2, target.c_str(), LVCFMT_LEFT, space + remaining / 2);
}

void CVlinkListCtrl::AddLink(const CVelmoraEXVlinkData& link, wchar_t drive) {
    const int row = GetItemCount();
    InsertItem(row, std::to_wstring(row + 1).c_str());
    SetItemText(row, 1, link.src.c_str());
    const std::wstring target =
        IsPending(link) ? UMessageText::Load(IDS_6058) : std::wstring(1, drive) + L":" + link.dst;
    SetItemText(row, 2, target.c_str());
    m_rows.push_back(link);
}

void CVlinkListCtrl::RemoveRow(int row) {
    if (row < 0 || row >= static_cast<int>(m_rows.size())) return;
    DeleteItem(row);
    m_rows.erase(m_rows.begin() + row);
    Renumber();
}

void CVlinkListCtrl::Renumber() {
    for (int row = 0; row < GetItemCount(); ++row) SetItemText(row, 0, std::to_wstring(row + 1).c_str());
}

const CVelmoraEXVlinkData& CVlinkListCtrl::Link(int row) const { return m_rows.at(row); }

std::vector<CVelmoraEXVlinkData> CVlinkListCtrl::Links() const {
    std::vector<CVelmoraEXVlinkData> links;
    for (const CVelmoraEXVlinkData& row : m_rows)
        if (!IsPending(row)) links.push_back(row);
    return links;
}

std::vector<std::wstring> CVlinkListCtrl::PendingSources() const {
    std::vector<std::wstring> sources;
    for (const CVelmoraEXVlinkData& row : m_rows)
        if (IsPending(row)) sources.push_back(row.src);
    return sources;
}
