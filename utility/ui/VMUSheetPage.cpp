#include "utility/ui/VMUSheetPage.h"

#include "utility/core/MessageText.h"
#include "utility/ui/VMUPropertySheet.h"

CVMUSheetPage::CVMUSheetPage(UINT templateId) : CPropertyPage(templateId) {
    m_psp.dwFlags &= ~static_cast<DWORD>(PSP_HASHELP);
}

CVMUPropertySheet* CVMUSheetPage::Sheet() const {
    return dynamic_cast<CVMUPropertySheet*>(CWnd::FromHandle(GetSheetHwnd()));
}

int CVMUSheetPage::Prompt(const std::wstring& text, UINT style) const {
    CVMUPropertySheet* sheet = Sheet();
    return sheet ? sheet->Prompt(text, style) : IDCANCEL;
}

int CVMUSheetPage::Prompt(unsigned textId, UINT style) const { return Prompt(UMessageText::Load(textId), style); }
