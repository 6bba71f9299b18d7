#include "utility/ui/SliderCtrlEx.h"

#include <commctrl.h>

BOOL CSliderCtrlEx::ReflectNotify(LPARAM lParam, LRESULT* result) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header || !m_hWnd || header->hwndFrom != m_hWnd || header->code != static_cast<UINT>(NM_CUSTOMDRAW))
        return FALSE;
    LONG_PTR position = SendMessage(TBM_GETPOS);
    if (position != m_lastPosition) {
        m_lastPosition = position;
        ::SendMessageW(::GetParent(m_hWnd), WM_SLIDER_POSITION, static_cast<WPARAM>(position), 0);
    }
    *result = CDRF_DODEFAULT;
    return TRUE;
}
