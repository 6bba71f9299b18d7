#include "utility/ui/LoadString.h"

namespace ULoadString {

std::wstring Get(UINT id, HINSTANCE module) {
    if (!module) module = GetModuleHandleW(nullptr);
    // A zero buffer size hands out a read-only pointer to the resource text (not terminated).
    const wchar_t* text = nullptr;
    const int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return std::wstring();
    return std::wstring(text, static_cast<size_t>(length));
}

}  // namespace ULoadString
