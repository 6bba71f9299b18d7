#include "utility/ui/TransparentBitmapStatic.h"

namespace {
const DWORD kKeepDestination = 0x00AA0029;
const DWORD kDestAndNotSource = 0x00220326;
}  // namespace

LRESULT CTransparentBitmapStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return CWnd::WindowProc(message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    HBITMAP bitmap = m_bitmap ? m_bitmap : reinterpret_cast<HBITMAP>(SendMessage(STM_GETIMAGE, IMAGE_BITMAP));
    if (dc && bitmap) DrawTransparent(dc, bitmap, m_keyColor);
    EndPaint(m_hWnd, &paint);
    return 0;
}

BOOL CTransparentBitmapStatic::DrawTransparent(HDC target, HBITMAP bitmap, COLORREF keyColor, bool useMaskBlt) {
    BITMAP info = {};
    if (!GetObjectW(bitmap, sizeof(info), &info)) return FALSE;
    const int width = info.bmWidth, height = info.bmHeight;
    HDC image = CreateCompatibleDC(target);
    HDC mask = CreateCompatibleDC(target);
    HBITMAP maskBitmap = CreateBitmap(width, height, 1, 1, nullptr);
    if (!image || !mask || !maskBitmap) {
        if (image) DeleteDC(image);
        if (mask) DeleteDC(mask);
        if (maskBitmap) DeleteObject(maskBitmap);
        return FALSE;
    }
    HGDIOBJ oldImage = SelectObject(image, bitmap);
    HGDIOBJ oldMask = SelectObject(mask, maskBitmap);
    // Mask: 1 where the image has the key colour, 0 elsewhere.
    SetBkColor(image, keyColor);
    BitBlt(mask, 0, 0, width, height, image, 0, 0, SRCCOPY);

    // Where the mask is 1 the destination stays; elsewhere the image is copied.
    BOOL drawn = useMaskBlt && MaskBlt(target, 0, 0, width, height, image, 0, 0, maskBitmap, 0, 0,
                                       MAKEROP4(kKeepDestination, SRCCOPY));
    if (!drawn) drawn = DrawComposed(target, image, mask, width, height);

    SelectObject(mask, oldMask);
    SelectObject(image, oldImage);
    DeleteObject(maskBitmap);
    DeleteDC(mask);
    DeleteDC(image);
    return drawn;
}

BOOL CTransparentBitmapStatic::DrawComposed(HDC target, HDC image, HDC mask, int width, int height) {
    HDC back = CreateCompatibleDC(target);
    HDC front = CreateCompatibleDC(target);
    HBITMAP backBitmap = CreateCompatibleBitmap(target, width, height);
    HBITMAP frontBitmap = CreateCompatibleBitmap(target, width, height);
    BOOL ok = back && front && backBitmap && frontBitmap;
    if (ok) {
        HGDIOBJ oldBack = SelectObject(back, backBitmap);
        HGDIOBJ oldFront = SelectObject(front, frontBitmap);
        // Monochrome sources: 1 becomes the background colour (white), 0 the text colour (black).
        SetBkColor(back, RGB(255, 255, 255));
        SetTextColor(back, RGB(0, 0, 0));
        SetBkColor(front, RGB(255, 255, 255));
        SetTextColor(front, RGB(0, 0, 0));
        BitBlt(back, 0, 0, width, height, target, 0, 0, SRCCOPY);
        BitBlt(back, 0, 0, width, height, mask, 0, 0, SRCAND);  // background with holes
        BitBlt(front, 0, 0, width, height, image, 0, 0, SRCCOPY);
        BitBlt(front, 0, 0, width, height, mask, 0, 0, kDestAndNotSource);  // image, key black
        BitBlt(back, 0, 0, width, height, front, 0, 0, SRCPAINT);
        ok = BitBlt(target, 0, 0, width, height, back, 0, 0, SRCCOPY);
        SelectObject(front, oldFront);
        SelectObject(back, oldBack);
    }
    if (frontBitmap) DeleteObject(frontBitmap);
    if (backBitmap) DeleteObject(backBitmap);
    if (front) DeleteDC(front);
    if (back) DeleteDC(back);
    return ok;
}
