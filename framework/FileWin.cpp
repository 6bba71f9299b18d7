#include "framework/File.h"

#include <windows.h>

#include "framework/FileException.h"

const intptr_t CFile::hFileNull = reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE);

namespace {
HANDLE H(intptr_t h) { return reinterpret_cast<HANDLE>(h); }
}  // namespace

bool CFile::Open(const std::wstring& fileName, unsigned openFlags, CFileException* error) {
    if (IsOpen()) Abort();
    m_strFileName = fileName;

    DWORD access;
    switch (openFlags & 3) {
        case modeRead:
            access = GENERIC_READ;
            break;
        case modeWrite:
            access = GENERIC_WRITE;
            break;
        case modeReadWrite:
            access = GENERIC_READ | GENERIC_WRITE;
            break;
        default:
            if (error) *error = CFileException(CFileException::genericException, ERROR_INVALID_PARAMETER, fileName);
            return false;
    }
    DWORD share;
    switch (openFlags & 0x70) {
        case shareDenyWrite:
            share = FILE_SHARE_READ;
            break;
        case shareDenyRead:
            share = FILE_SHARE_WRITE;
            break;
        case shareDenyNone:
            share = FILE_SHARE_READ | FILE_SHARE_WRITE;
            break;
        default:
            share = 0;
            break;  // shareCompat, shareExclusive
    }
    DWORD disposition = OPEN_EXISTING;
    if (openFlags & modeCreate) disposition = (openFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;

    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, (openFlags & modeNoInherit) ? FALSE : TRUE};
    HANDLE h = CreateFileW(fileName.c_str(), access, share, &sa, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        long code = static_cast<long>(GetLastError());
        if (error) *error = CFileException(CFileException::OsErrorToException(code), code, fileName);
        return false;
    }
    m_hFile = reinterpret_cast<intptr_t>(h);
    return true;
}

void CFile::Close() {
    if (!IsOpen()) return;
    BOOL ok = CloseHandle(H(m_hFile));
    m_hFile = hFileNull;
    if (!ok) ThrowOsError(static_cast<long>(GetLastError()));
}

void CFile::Abort() {
    if (IsOpen()) CloseHandle(H(m_hFile));
    m_hFile = hFileNull;
}

unsigned CFile::Read(void* buffer, unsigned count) {
    if (count == 0) return 0;
    DWORD read = 0;
    if (!ReadFile(H(m_hFile), buffer, count, &read, nullptr)) ThrowOsError(static_cast<long>(GetLastError()));
    return read;
}

void CFile::Write(const void* buffer, unsigned count) {
    if (count == 0) return;
    DWORD written = 0;
    if (!WriteFile(H(m_hFile), buffer, count, &written, nullptr)) ThrowOsError(static_cast<long>(GetLastError()));
    if (written != count) ThrowOsError(ERROR_DISK_FULL);
}

void CFile::WriteAt(const void* buffer, unsigned count, uint64_t offset) {
    if (count == 0) {
        Seek(static_cast<int64_t>(offset), begin);
        return;
    }
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD written = 0;
    if (!WriteFile(H(m_hFile), buffer, count, &written, &at)) ThrowOsError(static_cast<long>(GetLastError()));
    if (written != count) ThrowOsError(ERROR_DISK_FULL);
}

uint64_t CFile::Seek(int64_t offset, unsigned from) {
    DWORD method = from == current ? FILE_CURRENT : from == end ? FILE_END : FILE_BEGIN;
    LARGE_INTEGER distance, position;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(H(m_hFile), distance, &position, method)) ThrowOsError(static_cast<long>(GetLastError()));
    return static_cast<uint64_t>(position.QuadPart);
}

void CFile::SetLength(uint64_t length) {
    // As with the MFC class, the file position ends at the new length.
    LARGE_INTEGER target;
    target.QuadPart = static_cast<LONGLONG>(length);
    if (!SetFilePointerEx(H(m_hFile), target, nullptr, FILE_BEGIN) || !SetEndOfFile(H(m_hFile))) {
        ThrowOsError(static_cast<long>(GetLastError()));
    }
}

uint64_t CFile::GetLength() const {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(H(m_hFile), &size)) ThrowOsError(static_cast<long>(GetLastError()));
    return static_cast<uint64_t>(size.QuadPart);
}

void CFile::Flush() {
    if (IsOpen() && !FlushFileBuffers(H(m_hFile))) ThrowOsError(static_cast<long>(GetLastError()));
}
