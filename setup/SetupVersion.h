#pragma once
// Installer version texts ("1.1.0.3"): decimal fields separated by dots, compared field by field
// from the left; when one list runs out first the longer list is the greater.
#include <cstdint>
#include <string>
#include <vector>

namespace USetupVersion {

enum class EOrder { Older, Equal, Newer, Malformed };

// The fields of `text`; false (and `fields` left alone) unless every field is one or more decimal
// digits with a value up to 4294967295. An empty text, an empty field ("1..2", "1.") or any other
// character (letters, signs, spaces) makes the text malformed.
bool Parse(const std::wstring& text, std::vector<std::uint32_t>& fields);

// How the package's version stands to the installed one; Malformed when either does not parse.
EOrder Compare(const std::wstring& package, const std::wstring& installed);

}  // namespace USetupVersion
