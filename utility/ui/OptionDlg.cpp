#include "utility/ui/OptionDlg.h"

#include "utility/ui/resource.h"

COptionDlg::COptionDlg(CWnd* parent) : CDialog(IDD_OPTION, parent) {}

CVelmoraEXOptionData COptionDlg::Options() const {
    CVelmoraEXOptionData options;
    options.TaskTray = TaskTray;
    options.Indicator = Indicator;
    return options;
}

bool COptionDlg::IsChecked(int id) const { return ::SendMessageW(GetDlgItem(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

BOOL COptionDlg::OnInitDialog() {
    ::SendMessageW(GetDlgItem(IDC_OPTION_TASKTRAY), BM_SETCHECK, TaskTray ? BST_CHECKED : BST_UNCHECKED, 0);
    ::SendMessageW(GetDlgItem(IDC_OPTION_INDICATOR), BM_SETCHECK, Indicator ? BST_CHECKED : BST_UNCHECKED, 0);
    UpdateIndicatorState();
    return TRUE;
}

BOOL COptionDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDC_OPTION_TASKTRAY && HIWORD(wParam) == BN_CLICKED) {
        UpdateIndicatorState();
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void COptionDlg::UpdateIndicatorState() {
    ::EnableWindow(GetDlgItem(IDC_OPTION_INDICATOR), IsChecked(IDC_OPTION_TASKTRAY));
}

void COptionDlg::OnOK() {
    TaskTray = IsChecked(IDC_OPTION_TASKTRAY) ? 1 : 0;
    Indicator = IsChecked(IDC_OPTION_INDICATOR) ? 1 : 0;
    EndDialog(IDOK);
}
