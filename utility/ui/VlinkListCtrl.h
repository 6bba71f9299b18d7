#pragma once
// The virtual links of a disk as a list: number, source folder, and the RAM-disk folder (or
// "next enable" for a pending link). Each row keeps a copy of its link.
#include <string>
#include <vector>

#include "common/VelmoraEXVlinkData.h"
#include "framework/ListCtrl.h"

class CVlinkListCtrl : public CListCtrl {
public:
    // Styles and the three columns, sized to the control.
    void Setup();
    // A pending link is a row whose RAM-disk and backup folders are empty.
    void AddLink(const CVelmoraEXVlinkData& link, wchar_t drive);
    void RemoveRow(int row);
    const CVelmoraEXVlinkData& Link(int row) const;
    static bool IsPending(const CVelmoraEXVlinkData& link) { return link.dst.empty() && link.backup.empty(); }

    std::vector<CVelmoraEXVlinkData> Links() const;
    std::vector<std::wstring> PendingSources() const;

private:
    void Renumber();

    std::vector<CVelmoraEXVlinkData> m_rows;
};
