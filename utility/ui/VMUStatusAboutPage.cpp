#include "utility/ui/VMUStatusAboutPage.h"

#include "utility/ui/LoadString.h"
#include "utility/ui/resource.h"

CVMUStatusAboutPage::CVMUStatusAboutPage() : CPropertyPage(IDD_STATUS_ABOUT) {
    m_psp.dwFlags &= ~static_cast<DWORD>(PSP_HASHELP);
}

BOOL CVMUStatusAboutPage::OnInitDialog() {
    SetDlgItemText(IDC_ABOUT_VERSION, ULoadString::Get(IDS_10000).c_str());
    return TRUE;
}
