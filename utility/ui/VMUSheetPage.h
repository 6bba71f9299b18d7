#pragma once
// A page of the settings sheet of a RAM disk: finds its sheet and asks through the sheet's
// message boxes, which carry the sheet's title.
#include <windows.h>

#include <string>

#include "framework/PropertyPage.h"

class CVMUPropertySheet;

class CVMUSheetPage : public CPropertyPage {
public:
    explicit CVMUSheetPage(UINT templateId);

protected:
    // The sheet the page is in; null before the page is in one.
    CVMUPropertySheet* Sheet() const;
    // A message box captioned with the sheet's title; IDCANCEL without a sheet.
    int Prompt(const std::wstring& text, UINT style) const;
    int Prompt(unsigned textId, UINT style) const;
};
