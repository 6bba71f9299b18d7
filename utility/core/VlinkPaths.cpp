#include "utility/core/VlinkPaths.h"

namespace UVlinkPaths {

namespace {
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
}  // namespace

std::wstring FolderName(const std::wstring& source) {
    size_t end = source.size();
    while (end > 0 && IsSeparator(source[end - 1])) --end;
    size_t start = end;
    while (start > 0 && !IsSeparator(source[start - 1]) && source[start - 1] != L':') --start;
    return source.substr(start, end - start);
}

std::wstring RamFolderFor(wchar_t drive, const std::wstring& source, const TakenFn& taken) {
    const std::wstring name = FolderName(source);
    if (name.empty()) return {};
    const std::wstring base = L"\\Vlink\\" + name;
    std::wstring candidate = base;
    for (unsigned n = 2; taken(std::wstring(1, drive) + L":" + candidate); ++n) candidate = base + std::to_wstring(n);
    return candidate;
}

std::wstring BackupFolderFor(const std::wstring& source, const TakenFn& taken) {
    if (FolderName(source).empty()) return {};
    size_t end = source.size();
    while (end > 0 && IsSeparator(source[end - 1])) --end;
    const std::wstring base = source.substr(0, end) + L"_Backup";
    std::wstring candidate = base;
    for (unsigned n = 1; taken(candidate); ++n) candidate = base + std::to_wstring(n);
    return candidate;
}

}  // namespace UVlinkPaths
