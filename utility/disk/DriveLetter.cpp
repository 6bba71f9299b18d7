#include "utility/disk/DriveLetter.h"

#include <bitset>

void CDriveLetter::FromRootStrings(const wchar_t* roots, size_t length) {
    std::bitset<26> used;
    size_t pos = 0;
    while (pos < length && roots[pos] != 0) {
        wchar_t c = roots[pos];
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
        if (c >= L'A' && c <= L'Z') used.set(static_cast<size_t>(c - L'A'));
        while (pos < length && roots[pos] != 0) ++pos;  // rest of this root string
        ++pos;
    }
    m_letters.clear();
    for (wchar_t c = L'C'; c <= L'Z'; ++c)
        if (!used.test(static_cast<size_t>(c - L'A'))) m_letters.push_back(c);
}
