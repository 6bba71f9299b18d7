#pragma once
// Texts of the message table: the one loader, and the one formatter that fills a text's
// placeholders. Every text the programs show comes through here.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <type_traits>

namespace UMessageText {

// One value for a placeholder. A character fills "%c"; a number fills "%d", "%I64d", "%u" and
// "%X" (upper-case hexadecimal); text fills "%s". A value of the other kind is written in the
// placeholder's place as it is (a number in decimal).
class Insert {
public:
    Insert(const std::wstring& text) : m_text(text) {}
    Insert(const wchar_t* text) : m_text(text ? text : L"") {}
    Insert(wchar_t character) : m_text(1, character) {}
    template <typename T, typename = std::enable_if_t<std::is_integral<T>::value && !std::is_same<T, wchar_t>::value &&
                                                      !std::is_same<T, bool>::value>>
    Insert(T number) : m_number(static_cast<int64_t>(number)), m_isNumber(true) {}

    // The value as the placeholder with conversion letter kind shows it.
    std::wstring As(wchar_t kind) const;

private:
    std::wstring m_text;
    int64_t m_number = 0;
    bool m_isNumber = false;
};

// The text of a message-table id from the program's own resources; empty when there is none.
std::wstring Load(unsigned id);

// pattern with its placeholders replaced by inserts in order; "%%" is one percent sign.
// Placeholders beyond the inserts stay as written.
std::wstring Fill(const std::wstring& pattern, std::initializer_list<Insert> inserts);

// Load then Fill.
std::wstring Format(unsigned id, std::initializer_list<Insert> inserts);

}  // namespace UMessageText
