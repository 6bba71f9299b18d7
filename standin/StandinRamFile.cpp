#include "standin/StandinRamFile.h"

#include <winioctl.h>

#include <utility>

CStandinRamFile::~CStandinRamFile() { Close(); }

void CStandinRamFile::Close() {
    m_file.Reset();
    m_size = 0;
}

DWORD CStandinRamFile::Create(const std::wstring& folder, const std::wstring& name, uint64_t size) {
    Close();
    m_path = folder;
    if (m_path.empty() || m_path.back() != L'\\') m_path += L'\\';
    m_path += name;
    CHandle file(CreateFileW(m_path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file) return GetLastError();
    // Where holes are not the default (NTFS), ask for them; a refusal only costs space.
    DWORD returned = 0;
    DeviceIoControl(file.Get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file.Get())) return GetLastError();
    m_file = std::move(file);
    m_size = size;
    return ERROR_SUCCESS;
}

DWORD CStandinRamFile::ReadAt(void* buffer, uint64_t offset, DWORD length) const {
    if (!m_file) return ERROR_INVALID_HANDLE;
    if (offset > m_size || length > m_size - offset) return ERROR_INVALID_PARAMETER;
    BYTE* out = static_cast<BYTE*>(buffer);
    while (length > 0) {
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD read = 0;
        if (!ReadFile(m_file.Get(), out, length, &read, &at)) return GetLastError();
        if (read == 0) return ERROR_HANDLE_EOF;
        out += read;
        offset += read;
        length -= read;
    }
    return ERROR_SUCCESS;
}

DWORD CStandinRamFile::WriteAt(const void* buffer, uint64_t offset, DWORD length) {
    if (!m_file) return ERROR_INVALID_HANDLE;
    if (offset > m_size || length > m_size - offset) return ERROR_INVALID_PARAMETER;
    const BYTE* in = static_cast<const BYTE*>(buffer);
    while (length > 0) {
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD written = 0;
        if (!WriteFile(m_file.Get(), in, length, &written, &at)) return GetLastError();
        if (written == 0) return ERROR_DISK_FULL;
        in += written;
        offset += written;
        length -= written;
    }
    return ERROR_SUCCESS;
}

uint64_t CStandinRamFile::HeldBytes() const {
    if (!m_file) return 0;
    FILE_STANDARD_INFO info = {};
    if (!GetFileInformationByHandleEx(m_file.Get(), FileStandardInfo, &info, sizeof(info))) return m_size;
    uint64_t held = static_cast<uint64_t>(info.AllocationSize.QuadPart);
    return held < m_size ? held : m_size;
}

uint64_t CStandinRamFile::LastWriteTime() const {
    FILETIME written{};
    if (!m_file || !GetFileTime(m_file.Get(), nullptr, nullptr, &written)) return 0;
    return (static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
}
