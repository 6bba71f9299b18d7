#pragma once
// A message-box and balloon seam for window tests: keeps what would have been shown and answers
// boxes from a queue, then with a default answer.
#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "utility/ui/TrayPrompt.h"

namespace uidriver {

// A box (caption, text, style) or a balloon (title in caption, time-out in style, icon kind).
struct Shown {
    std::wstring caption, text;
    UINT style;
    int kind;
};

class RecordingPrompt : public ITrayPrompt {
public:
    explicit RecordingPrompt(int defaultAnswer = IDOK) : m_defaultAnswer(defaultAnswer) {}

    int MessageBox(HWND, const std::wstring& caption, const std::wstring& text, UINT style) override {
        boxes.push_back({caption, text, style, 0});
        if (answers.empty()) return m_defaultAnswer;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Balloon(CTaskTray&, const std::wstring& text, const std::wstring& title, int kind, UINT timeoutMs) override {
        balloons.push_back({title, text, timeoutMs, kind});
    }

    std::deque<int> answers;  // the next boxes' buttons, in order
    std::vector<Shown> boxes, balloons;

private:
    int m_defaultAnswer;
};

}  // namespace uidriver
