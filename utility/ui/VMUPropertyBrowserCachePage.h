#pragma once
// The browser-cache page of the settings sheet: which browser caches move onto this RAM disk.
// Each box is checked against the rest of the system as it is clicked; the apply writes them.
#include <windows.h>

#include "utility/ui/VMUSheetPage.h"

class CVMUPropertyBrowserCachePage : public CVMUSheetPage {
public:
    CVMUPropertyBrowserCachePage();

    // The boxes as they stand (the working copy's values before the page exists).
    bool IsIECacheChecked() const;
    bool IsChromeChecked() const;
    void UncheckIECache();

protected:
    BOOL OnInitDialog() override;
    BOOL OnApply() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    bool IsChecked(int id) const;
    void SetChecked(int id, bool checked);
    // True when a disk other than this sheet's has the cache of this box on.
    bool OtherDiskHas(int box) const;

    void OnIECache();
    void OnIEHistory();
    void OnFirefox();
    void OnChrome();
    // Shows the refusal and unchecks the box.
    void Refuse(int box, unsigned textId);
};
