#pragma once
// The tools server's message boxes, recorded: caption, text, style and whether the Yes button
// carried the shield; answered from a queue, then with IDNO.
#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "utility/tools_channel/ToolCmdPrompt.h"

struct CShownBox {
    std::wstring caption, text;
    UINT style;
    bool shield;
    bool operator==(const CShownBox& o) const {
        return caption == o.caption && text == o.text && style == o.style && shield == o.shield;
    }
};

class CRecordingToolPrompt : public IToolCmdPrompt {
public:
    int MessageBox(HWND, const std::wstring& caption, const std::wstring& text, UINT style, bool shieldOnYes) override {
        boxes.push_back({caption, text, style, shieldOnYes});
        if (answers.empty()) return IDNO;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<int> answers;
    std::vector<CShownBox> boxes;
};
