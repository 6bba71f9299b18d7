#include "utility/ui/TrayToolCmdPrompt.h"

#include "utility/ui/ShieldMessageBox.h"

int CTrayToolCmdPrompt::MessageBox(HWND owner, const std::wstring& caption, const std::wstring& text, UINT style,
                                   bool shieldOnYes) {
    if (shieldOnYes) return UShieldMessageBox::Show(owner, text, caption, {IDYES});
    return m_prompt.MessageBox(owner, caption, text, style);
}
