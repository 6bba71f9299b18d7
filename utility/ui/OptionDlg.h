#pragma once
// The option dialog: the utility's two options as check boxes. The caller sets TaskTray and
// Indicator before DoModal and reads Options() after IDOK.
#include <windows.h>

#include <cstdint>

#include "framework/Dialog.h"
#include "utility/core/VelmoraEXOptionData.h"

class COptionDlg : public CDialog {
public:
    explicit COptionDlg(CWnd* parent = nullptr);

    int32_t TaskTray = 0;   // show the icon in the task tray
    int32_t Indicator = 0;  // show pop-up notices from the task bar

    CVelmoraEXOptionData Options() const;

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;

private:
    // The pop-up option only matters while the icon is shown.
    void UpdateIndicatorState();
    bool IsChecked(int id) const;
};
