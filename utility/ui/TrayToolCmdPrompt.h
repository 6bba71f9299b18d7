#pragma once
// The tools server's boxes as the tray window shows them: plain boxes through the tray's
// prompt, the elevation question as the shield confirmation box (Yes carries the shield).
#include "utility/tools_channel/ToolCmdPrompt.h"
#include "utility/ui/TrayPrompt.h"

class CTrayToolCmdPrompt : public IToolCmdPrompt {
public:
    explicit CTrayToolCmdPrompt(ITrayPrompt& prompt) : m_prompt(prompt) {}
    int MessageBox(HWND owner, const std::wstring& caption, const std::wstring& text, UINT style,
                   bool shieldOnYes) override;

private:
    ITrayPrompt& m_prompt;
};
