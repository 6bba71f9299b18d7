#pragma once
// A property sheet over PropertySheetW holding CPropertyPage objects (not owned). Modal
// (DoModal) or modeless (Create). Once the sheet window exists it is bound to this object
// (its messages reach WindowProc and the CWnd handlers) and OnInitDialog runs.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/PropertyPage.h"
#include "framework/Wnd.h"

class CPropertySheet : public CWnd {
public:
    explicit CPropertySheet(LPCWSTR caption, CWnd* parent = nullptr, UINT selectPage = 0);
    ~CPropertySheet() override;

    // The header handed to PropertySheetW; flags (PSH_NOAPPLYNOW, ...) may be added before
    // the sheet opens. Pages, caption, start page and callback are filled in by DoModal/Create.
    PROPSHEETHEADERW m_psh;

    void AddPage(CPropertyPage* page);
    // Removes a page by index (also from an open sheet).
    void RemovePage(int index);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int index) const;
    int GetPageIndex(const CPropertyPage* page) const;

    // Runs the sheet modally: PropertySheetW's result (greater than 0 after OK or Apply
    // changes, 0 after Cancel, -1 on failure).
    INT_PTR DoModal();
    // Opens the sheet modeless; false on failure. Its keyboard messages go through
    // PropSheet_IsDialogMessage (CWinApp does that for every sheet it sees).
    BOOL Create(CWnd* parent = nullptr);

    // The active page (by index; -1 when there is no sheet window) and its selection.
    int GetActiveIndex() const;
    CPropertyPage* GetActivePage() const { return GetPage(GetActiveIndex()); }
    BOOL SetActivePage(int index);
    BOOL SetActivePage(CPropertyPage* page) { return SetActivePage(GetPageIndex(page)); }
    void SetTitle(LPCWSTR title);
    // Ends the sheet like its own button: IDOK presses OK, anything else Cancel.
    void EndDialog(int result);
    bool IsModeless() const { return m_modeless; }

protected:
    // Once the sheet window exists (from the sheet's initialisation callback).
    virtual BOOL OnInitDialog() { return TRUE; }
    // Grows the sheet, its tab and the pages that exist so that each page shows its whole
    // template in its own font: the sheet sizes pages in its own font, which may be smaller
    // than theirs. Moves the buttons below the tab with the grown corner. Needs a page window;
    // does nothing before the first page exists.
    void FitPagesToTemplates();
    // A modeless sheet whose OK or Cancel has ended it (no current page) is destroyed here.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;

private:
    bool IsPageWindow(HWND hwnd) const;
    static int CALLBACK SheetCallback(HWND hwnd, UINT message, LPARAM lParam);
    void Prepare(DWORD extraFlags);

    std::wstring m_caption;
    CWnd* m_parent;
    std::vector<CPropertyPage*> m_pages;
    std::vector<PROPSHEETPAGEW> m_records;
    bool m_modeless = false;
};
