#include "common/Junction.h"

#include <shlobj.h>

#include <vector>

#include "common/DataConverter.h"
#include "common/MountPointBuffer.h"
#include "common/ReparsePoints.h"

namespace UJunction {

namespace {

const wchar_t kNtPrefix[] = L"\\??\\";
const DWORD kJunctionAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;

}  // namespace

bool IsNtfs(wchar_t driveLetter) {
    const wchar_t root[] = {driveLetter, L':', L'\\', 0};
    wchar_t fileSystem[512] = {};
    if (!GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, 512)) return false;
    CharUpperW(fileSystem);
    return wcscmp(fileSystem, L"NTFS") == 0;
}

bool Create(const std::wstring& link, const std::wstring& target) {
    if (UReparsePoints::Current().Attributes(link.c_str()) != INVALID_FILE_ATTRIBUTES) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return false;
    }
    if (!CreateDirectoryW(link.c_str(), nullptr)) return false;
    if (SetMountPoint(link, kNtPrefix + target, target)) return true;
    const DWORD error = GetLastError();
    UReparsePoints::Current().Remove(link.c_str());
    SetLastError(error);
    return false;
}

bool SetMountPoint(const std::wstring& directory, const std::wstring& substitute, const std::wstring& print) {
    if (substitute.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    const std::vector<uint8_t> buffer = UMountPointBuffer::Build(ToUtf16(substitute), ToUtf16(print));
    if (buffer.empty()) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    return UReparsePoints::Current().Set(directory.c_str(), buffer) != FALSE;
}

bool Read(const std::wstring& path, DWORD& tag, std::wstring& substitute, std::wstring& print) {
    substitute.clear();
    print.clear();
    std::vector<uint8_t> buffer(UMountPointBuffer::kReadBufferSize, 0);
    DWORD returned = 0;
    if (!UReparsePoints::Current().Get(path.c_str(), buffer, returned)) return false;
    UMountPointBuffer::Contents contents;
    if (!UMountPointBuffer::Parse(buffer.data(), std::min<size_t>(returned, buffer.size()), contents)) {
        SetLastError(ERROR_INVALID_REPARSE_DATA);
        return false;
    }
    tag = contents.tag;
    substitute = FromUtf16(contents.substitute);
    print = FromUtf16(contents.print);
    return true;
}

bool IsJunction(const std::wstring& path, std::wstring* target) {
    if (target) target->clear();
    const DWORD attributes = UReparsePoints::Current().Attributes(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & kJunctionAttributes) != kJunctionAttributes)
        return false;
    DWORD tag = 0;
    std::wstring substitute, print;
    if (!Read(path, tag, substitute, print) || tag != UMountPointBuffer::kMountPointTag) return false;
    if (target) *target = substitute;
    return true;
}

bool Remove(const std::wstring& link) {
    if (!IsJunction(link)) return true;
    if (!UReparsePoints::Current().Remove(link.c_str())) return false;
    SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHW | SHCNF_FLUSH, link.c_str(), nullptr);
    return true;
}

std::wstring StripNtPrefix(const std::wstring& target) {
    if (target.size() >= 4 && CompareStringOrdinal(target.c_str(), 4, kNtPrefix, 4, TRUE) == CSTR_EQUAL)
        return target.substr(4);
    return target;
}

}  // namespace UJunction
