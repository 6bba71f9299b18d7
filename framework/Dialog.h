#pragma once
// A dialog from a dialog resource, modal (DoModal) or modeless (Create). Messages reach the
// CWnd handlers; OnInitDialog runs on WM_INITDIALOG; IDOK and IDCANCEL commands go to OnOK
// and OnCancel, which end the dialog.
#include "framework/Wnd.h"

class CDialog : public CWnd {
public:
    // templateId: the dialog resource in the program's module (or in SetResourceInstance's).
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally; EndDialog's value, or -1 when it could not be created.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless (shown only if the template has WS_VISIBLE). False on failure.
    BOOL Create(UINT templateId = 0, CWnd* parent = nullptr);
    // Modal: ends the loop with result. Modeless: keeps the result and destroys the window.
    void EndDialog(int result);

    bool IsModal() const { return m_modal; }
    // The value given to EndDialog (0 before).
    int GetResult() const { return m_result; }
    UINT GetTemplateId() const { return m_templateId; }
    void SetResourceInstance(HINSTANCE instance) { m_instance = instance; }

protected:
    // WM_INITDIALOG: TRUE to let the system set the focus.
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // IDOK / IDCANCEL (from a button or the keyboard) reach OnOK / OnCancel.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // A dialog's unhandled messages go back to the dialog manager.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnClose() override { OnCancel(); }

    // The dialog procedure: binds the window to the object DoModal or Create named.
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Runs one message of a bound dialog and turns the handler's result into a dialog
    // procedure's answer (FALSE when it fell through to the dialog manager).
    static INT_PTR RunMessage(CDialog* dialog, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // Runs the dialog modally in a loop of its own that never shows the window: it appears only
    // when the dialog shows itself (or its template has WS_VISIBLE). The owner, if any, is
    // disabled meanwhile; EndDialog ends the loop, and the window is hidden and destroyed.
    // EndDialog's value; -1 when the dialog could not be created or the loop ended without
    // EndDialog (WM_QUIT, which is posted again, or the window destroyed by someone else).
    INT_PTR RunModalLoop();

    UINT m_templateId;
    CWnd* m_parent;
    HINSTANCE m_instance = nullptr;
    bool m_modal = false;
    int m_result = 0;

private:
    bool m_defaulted = false;  // set when a message fell through to DefWindowProc
    bool m_ownLoop = false;    // modal in RunModalLoop rather than in the dialog manager's loop
    bool m_loopEnded = false;  // EndDialog was called during RunModalLoop
};
