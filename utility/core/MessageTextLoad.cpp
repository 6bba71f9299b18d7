// The loader of the message table, from the program's own resources.
#include <windows.h>

#include "utility/core/MessageText.h"

namespace UMessageText {

std::wstring Load(unsigned id) {
    // A zero buffer size hands out a read-only pointer to the resource text (not terminated).
    const wchar_t* text = nullptr;
    const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return std::wstring();
    return std::wstring(text, static_cast<size_t>(length));
}

std::wstring Format(unsigned id, std::initializer_list<Insert> inserts) { return Fill(Load(id), inserts); }

}  // namespace UMessageText
