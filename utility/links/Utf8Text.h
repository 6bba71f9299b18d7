#pragma once
// UTF-8 text to and from wide strings (UTF-16 on Windows, UTF-32 elsewhere).
#include <string>

namespace UUtf8Text {

// Malformed bytes (stray continuation bytes, overlong or cut-off sequences, surrogates, values
// above U+10FFFF) each become U+FFFD, so that they never equal a real path.
std::wstring ToWide(const std::string& text);

// Unpaired surrogates become U+FFFD.
std::string FromWide(const std::wstring& text);

}  // namespace UUtf8Text
