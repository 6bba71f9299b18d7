#pragma once
// The backup page of the settings sheet: when the disk's contents are saved, how the disk is
// made from its image, and where the image lives. Switching the backup off is refused while the
// Chrome cache or virtual links need it; the apply checks the folder.
#include <windows.h>

#include <string>

#include "utility/ui/VMUSheetPage.h"

class CVMUPropertyBackupPage : public CVMUSheetPage {
public:
    CVMUPropertyBackupPage();

    // The timing chosen: 0 no backup, 1 at log-off, 2 write back, 3 write through.
    int TimingIndex() const { return m_timing; }

protected:
    BOOL OnInitDialog() override;
    BOOL OnApply() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    int ReadTiming() const;
    void SelectTiming(int index);
    std::wstring FolderText() const;
    void OnTimingClicked();
    void EnableBackupControls();
    void OnBrowse();
    void OnDefault();

    int m_timing = 0;
};
