#pragma once
// Wide path text to and from the 8-bit (UTF-8) names of POSIX systems.
#include <string>

namespace UNativePath {

// UTF-8 form of a wide string (UTF-16 or UTF-32 units); unpaired surrogates become U+FFFD.
std::string FromWide(const std::wstring& text);

// Wide form of UTF-8 text; malformed bytes become U+FFFD.
std::wstring ToWide(const std::string& text);

// True when the folder that would hold nativePath exists (what tells a missing file from a
// missing path).
bool ParentExists(const std::string& nativePath);

}  // namespace UNativePath
