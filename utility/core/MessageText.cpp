#include "utility/core/MessageText.h"

#include <cwchar>

namespace UMessageText {

namespace {
// Length of the placeholder at pattern[at] ("%" already seen), 0 when none starts there.
size_t PlaceholderLength(const std::wstring& pattern, size_t at) {
    static const wchar_t* const kForms[] = {L"%I64d", L"%d", L"%u", L"%X", L"%c", L"%s"};
    for (const wchar_t* form : kForms) {
        const size_t length = wcslen(form);
        if (pattern.compare(at, length, form) == 0) return length;
    }
    return 0;
}
}  // namespace

std::wstring Insert::As(wchar_t kind) const {
    if (!m_isNumber) return m_text;
    if (kind != L'X') return std::to_wstring(m_number);
    wchar_t buffer[24];
    swprintf(buffer, 24, L"%llX", static_cast<unsigned long long>(static_cast<uint32_t>(m_number)));
    return buffer;
}

std::wstring Fill(const std::wstring& pattern, std::initializer_list<Insert> inserts) {
    std::wstring out;
    out.reserve(pattern.size());
    const Insert* next = inserts.begin();
    for (size_t at = 0; at < pattern.size(); ++at) {
        if (pattern[at] != L'%') {
            out += pattern[at];
            continue;
        }
        if (pattern.compare(at, 2, L"%%") == 0) {
            out += L'%';
            ++at;
            continue;
        }
        const size_t length = next != inserts.end() ? PlaceholderLength(pattern, at) : 0;
        if (length == 0) {
            out += pattern[at];
            continue;
        }
        out += (next++)->As(pattern[at + length - 1]);
        at += length - 1;
    }
    return out;
}

}  // namespace UMessageText
