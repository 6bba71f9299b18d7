#pragma once
// Where the tray window's message boxes and balloons go. The default shows them for real;
// tests install a recorder that keeps caption, text and style and answers as told.
#include <windows.h>

#include <string>

class CTaskTray;

class ITrayPrompt {
public:
    virtual ~ITrayPrompt() = default;
    virtual int MessageBox(HWND owner, const std::wstring& caption, const std::wstring& text, UINT style) = 0;
    virtual void Balloon(CTaskTray& tray, const std::wstring& text, const std::wstring& title, int iconKind,
                         UINT timeoutMs) = 0;
};

class CTrayPrompt : public ITrayPrompt {
public:
    int MessageBox(HWND owner, const std::wstring& caption, const std::wstring& text, UINT style) override;
    void Balloon(CTaskTray& tray, const std::wstring& text, const std::wstring& title, int iconKind,
                 UINT timeoutMs) override;
};
