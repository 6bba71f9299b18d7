#pragma once
// The status sheet (caption 10003): the RAM-disk list page and the version page, without Apply and Help,
// with a single close button (3101). While it is open Current() names it, so that the tray
// window brings it forward instead of opening a second one and the sequencer can redraw rows.
#include <windows.h>

#include <string>

#include "framework/PropertySheet.h"
#include "utility/ui/VMUStatusAboutPage.h"
#include "utility/ui/VMUStatusWholePage.h"

class CVMUTaskTrayWnd;
class CVelmoraEXData;
class IPropertySheetFactory;
class ITrayPrompt;

class CVMUStatusSheet : public CPropertySheet {
public:
    CVMUStatusSheet(CVMUTaskTrayWnd& tray, IPropertySheetFactory& factory, ITrayPrompt& prompt, CWnd* parent = nullptr);
    ~CVMUStatusSheet() override;

    // The open sheet of this process, or null.
    static CVMUStatusSheet* Current();

    // Restores the sheet, puts it on top without moving or sizing it and activates it.
    void BringToFront();

    // Forwarded to the list page; ignored while it has no list (AddDiskRow is then true).
    void Refresh(int code, const std::wstring& path);
    bool AddDiskRow(const CVelmoraEXData& disk);
    void RemoveDiskRow(const std::wstring& path);

    // The tray window is closing: ends the settings sheet opened from the list page, if any,
    // and then this sheet, both with IDCANCEL.
    void CloseFromTray();

    CVMUStatusWholePage& WholePage() { return m_whole; }
    CVMUStatusAboutPage& AboutPage() { return m_about; }

protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    CVMUStatusWholePage m_whole;
    CVMUStatusAboutPage m_about;
};
