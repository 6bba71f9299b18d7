#pragma once
// Strings of the message table as std::wstring.
#include <windows.h>
#include <string>

namespace ULoadString {
// String id from the program's own resources (or from module when given); empty when missing.
std::wstring Get(UINT id, HINSTANCE module = nullptr);
}  // namespace ULoadString
