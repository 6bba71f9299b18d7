#pragma once
// The virtual-link page of the settings sheet of an existing disk: the folders linked onto it.
// Adding and removing act at once through the tools program and write the disk's lists straight
// away, whatever happens to the sheet.
#include <windows.h>

#include "utility/ui/VMUSheetPage.h"
#include "utility/ui/VlinkListCtrl.h"

class CVMUPropertyVlinkPage : public CVMUSheetPage {
public:
    CVMUPropertyVlinkPage();

    CVlinkListCtrl& List() { return m_list; }
    // Rows of links and pending links (0 before the page exists).
    int RowCount() const { return m_hWnd ? m_list.GetItemCount() : 0; }

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    // The disk must be enabled; a new link also needs the backup. False after saying why.
    bool MayChange(bool creating) const;
    void OnCreate();
    void OnDelete();
    // Writes the rows' lists into the disk's settings file (and its pending copy) and the
    // manager, and into the sheet's working copy.
    void StoreLinks();
    void StorePending();
    void UpdateButtons();

    CVlinkListCtrl m_list;
};
