#pragma once
// A trackbar that tells its parent every new position (message 0x8111, wParam the position),
// whatever moved it: dragging, keys or a program. It looks at its position on each custom-draw
// notification, which its parent hands back to it through ReflectNotify.
#include <windows.h>

#include <commctrl.h>

#include "framework/Wnd.h"

// Sent to the parent with the new position in wParam.
const UINT WM_SLIDER_POSITION = WM_APP + 0x111;

class CSliderCtrlEx : public CWnd {
public:
    // The parent's WM_NOTIFY: TRUE when it was this slider's custom draw (it is then handled,
    // with *result CDRF_DODEFAULT).
    BOOL ReflectNotify(LPARAM lParam, LRESULT* result);

    int GetPos() const { return static_cast<int>(SendMessage(TBM_GETPOS)); }

private:
    static const LONG_PTR kNoPosition = -1;
    LONG_PTR m_lastPosition = kNoPosition;
};
