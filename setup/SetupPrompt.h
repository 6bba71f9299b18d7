#pragma once
// Where the launcher's messages go: message boxes in the program, a recorder in tests.
#include <windows.h>

#include <string>

class ISetupPrompt {
public:
    virtual ~ISetupPrompt() = default;
    virtual int Show(const std::wstring& caption, const std::wstring& text, UINT style) = 0;
};

class CMessageBoxPrompt : public ISetupPrompt {
public:
    int Show(const std::wstring& caption, const std::wstring& text, UINT style) override {
        return ::MessageBoxW(nullptr, text.c_str(), caption.c_str(), style);
    }
};
