#pragma once
// A picture control that draws its bitmap itself, leaving the pixels of the key colour to the
// background behind it: MaskBlt with a monochrome mask, or the same picture composed with
// BitBlt off screen where MaskBlt fails.
#include <windows.h>

#include "framework/Wnd.h"

class CTransparentBitmapStatic : public CWnd {
public:
    COLORREF m_keyColor = RGB(255, 255, 255);

    // The bitmap to draw (not owned); without one the control's own (STM_GETIMAGE) is drawn.
    void SetBitmap(HBITMAP bitmap) { m_bitmap = bitmap; }

    // Draws bitmap at (0, 0) of target, key-colour pixels left as they are. useMaskBlt false
    // takes the BitBlt path directly. FALSE when nothing could be drawn.
    static BOOL DrawTransparent(HDC target, HBITMAP bitmap, COLORREF keyColor, bool useMaskBlt = true);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static BOOL DrawComposed(HDC target, HDC image, HDC mask, int width, int height);

    HBITMAP m_bitmap = nullptr;
};
