#pragma once
// The RAM-disk page (general) of the settings sheet: drive letter, size (slider and text kept in
// step), format and start with Windows. Its apply checks the size against the memory and writes
// its part of the sheet's new settings.
#include <windows.h>

#include <cstdint>
#include <string>

#include "utility/ui/VMUSheetPage.h"
#include "utility/ui/SliderCtrlEx.h"

// Format combo entries.
enum : int {
    FORMAT_INDEX_NTFS = 0,
    FORMAT_INDEX_FAT = 1,
};

class CVMUPropertyWholePage : public CVMUSheetPage {
public:
    CVMUPropertyWholePage();

    // The upper size limit in MB, computed when the page opened (0 before).
    uint32_t SizeLimit() const { return m_limit; }
    // The start-up check box (the browser-cache page asks for and sets it).
    bool IsStartupChecked() const;
    void SetStartupChecked(bool checked);

protected:
    BOOL OnInitDialog() override;
    BOOL OnApply() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FillDriveLetters(unsigned char letter);
    unsigned char SelectedDriveLetter() const;
    void ComputeSizeLimit();
    // The size text as an unsigned number (0 when it is none); values beyond 32 bits saturate.
    uint32_t ReadSize() const;
    void WriteSizeText(uint32_t value);
    // Moves the slider without the moved position coming back into the text.
    void MoveSlider(uint32_t position);

    void OnSizeEdited();
    void OnSliderPosition(int position);
    void OnStartupClicked();

    // Whether this disk has the Internet Explorer temporary files on, and switching them off.
    bool IsIECacheOn() const;
    void SwitchIECacheOff();

    CSliderCtrlEx m_slider;
    uint32_t m_limit = 0;
    bool m_movingSlider = false;
    bool m_writingText = false;
    // The position the page last gave the slider, until the slider reports it.
    int m_ownPosition = -1;
    int32_t m_memType = 1;
    bool m_memoryRead = false;
};
