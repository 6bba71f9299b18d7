#include "utility/disk/ProcessPath.h"

#include "utility/disk/NtfsUpCase.h"

#include <cstdint>
#include <memory>

namespace UProcessPath {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring Part(const std::wstring& text, size_t start, size_t end) { return text.substr(start, end - start); }

const uint16_t* UpCaseTable() {
    static const std::unique_ptr<uint16_t[]> table = [] {
        std::unique_ptr<uint16_t[]> t(new uint16_t[UNtfsUpCase::kUnits]);
        UNtfsUpCase::Build(t.get());
        return t;
    }();
    return table.get();
}

wchar_t Fold(wchar_t c, const uint16_t* table) {
    uint32_t unit = static_cast<uint32_t>(c);
    return unit < UNtfsUpCase::kUnits ? static_cast<wchar_t>(table[unit]) : c;
}

bool EqualNoCaseRange(const std::wstring& a, size_t start, const std::wstring& b) {
    if (a.size() - start < b.size()) return false;
    const uint16_t* table = UpCaseTable();
    for (size_t i = 0; i < b.size(); ++i)
        if (Fold(a[start + i], table) != Fold(b[i], table)) return false;
    return true;
}

}  // namespace

SplitParts SplitPath(const std::wstring& path) {
    SplitParts parts;
    size_t pos = 0;
    if (path.size() >= 2 && path[1] == L':') {
        parts.drive = Part(path, 0, 2);
        pos = 2;
    }
    size_t lastSeparator = std::wstring::npos;
    size_t lastDot = std::wstring::npos;
    for (size_t i = pos; i < path.size(); ++i) {
        if (IsSeparator(path[i])) {
            lastSeparator = i;
            lastDot = std::wstring::npos;
        } else if (path[i] == L'.') {
            lastDot = i;
        }
    }
    size_t nameStart = pos;
    if (lastSeparator != std::wstring::npos) {
        parts.dir = Part(path, pos, lastSeparator + 1);
        nameStart = lastSeparator + 1;
    }
    size_t nameEnd = lastDot != std::wstring::npos ? lastDot : path.size();
    parts.fname = Part(path, nameStart, nameEnd);
    if (lastDot != std::wstring::npos) parts.ext = Part(path, lastDot, path.size());
    return parts;
}

std::wstring FileNameOf(const std::wstring& path) {
    SplitParts parts = SplitPath(path);
    return parts.fname + parts.ext;
}

bool EqualNoCase(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && EqualNoCaseRange(a, 0, b);
}

std::wstring StripNtPrefix(const std::wstring& path) {
    if (path.size() >= 7 && path.compare(0, 4, L"\\??\\") == 0 && path[5] == L':' && path[6] == L'\\')
        return path.substr(4);
    return path;
}

bool StartsWithDevice(const std::wstring& path, const std::wstring& device) {
    if (device.empty() || !EqualNoCaseRange(path, 0, device)) return false;
    return path.size() == device.size() || IsSeparator(path[device.size()]) || IsSeparator(device.back());
}

bool ReplaceDrivePrefix(std::wstring& path, const std::vector<DriveDevice>& drives) {
    for (const DriveDevice& drive : drives) {
        if (!StartsWithDevice(path, drive.second)) continue;
        std::wstring rest = path.substr(drive.second.size());
        if (IsSeparator(drive.second.back())) rest.insert(0, 1, L'\\');
        path = std::wstring{drive.first, L':'} + rest;
        return true;
    }
    return false;
}

bool ReplaceDeviceTarget(std::wstring& path, const std::vector<std::wstring>& targets) {
    for (const std::wstring& target : targets) {
        if (!StartsWithDevice(path, target)) continue;
        std::wstring rest = path.substr(target.size());
        if (IsSeparator(target.back())) rest.insert(0, 1, L'\\');
        path = L"\\" + rest;
        return true;
    }
    return false;
}

std::vector<std::wstring> SplitMultiString(const wchar_t* buffer, size_t length) {
    std::vector<std::wstring> strings;
    size_t pos = 0;
    while (pos < length && buffer[pos] != 0) {
        size_t end = pos;
        while (end < length && buffer[end] != 0) ++end;
        strings.emplace_back(buffer + pos, end - pos);
        pos = end + 1;
    }
    return strings;
}

bool HasExeExtension(const std::wstring& path) { return EqualNoCase(SplitPath(path).ext, L".exe"); }

}  // namespace UProcessPath
