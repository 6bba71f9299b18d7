#include "utility/ui/VMUStatusAboutPage.h"

#include "utility/core/MessageText.h"
#include "utility/ui/resource.h"

CVMUStatusAboutPage::CVMUStatusAboutPage() : CPropertyPage(IDD_STATUS_ABOUT) {
    m_psp.dwFlags &= ~static_cast<DWORD>(PSP_HASHELP);
}

BOOL CVMUStatusAboutPage::OnInitDialog() {
    SetDlgItemText(IDC_ABOUT_VERSION, UMessageText::Load(IDS_10000).c_str());
    return TRUE;
}
