#include "framework/File.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/FileException.h"
#include "framework/NativePath.h"
#include "framework/SystemError.h"

const intptr_t CFile::hFileNull = -1;

namespace {
int Fd(intptr_t h) { return static_cast<int>(h); }
// On a descriptor this class holds, EBADF means the open mode forbids the access.
long LastError() { return errno == EBADF ? USystemError::kAccessDenied : USystemError::FromErrno(errno); }
}  // namespace

// Sharing modes have no counterpart here and are not enforced.
bool CFile::Open(const std::wstring& fileName, unsigned openFlags, CFileException* error) {
    if (IsOpen()) Abort();
    m_strFileName = fileName;

    int flags = O_CLOEXEC;
    switch (openFlags & 3) {
        case modeRead:
            flags |= O_RDONLY;
            break;
        case modeWrite:
            flags |= O_WRONLY;
            break;
        case modeReadWrite:
            flags |= O_RDWR;
            break;
        default:
            if (error)
                *error = CFileException(CFileException::genericException, USystemError::kInvalidParameter, fileName);
            return false;
    }
    if (openFlags & modeCreate) {
        flags |= O_CREAT;
        if (!(openFlags & modeNoTruncate)) flags |= O_TRUNC;
    }
    std::string path = UNativePath::FromWide(fileName);
    int fd;
    do {
        fd = ::open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    long code = 0;
    if (fd < 0) {
        code = LastError();
        if (code == USystemError::kFileNotFound && !UNativePath::ParentExists(path)) code = USystemError::kPathNotFound;
    } else {
        struct stat st;
        if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
            ::close(fd);
            fd = -1;
            code = USystemError::kAccessDenied;  // what Windows answers for a folder
        }
    }
    if (fd < 0) {
        if (error) *error = CFileException(CFileException::OsErrorToException(code), code, fileName);
        return false;
    }
    m_hFile = fd;
    return true;
}

void CFile::Close() {
    if (!IsOpen()) return;
    int result = ::close(Fd(m_hFile));
    m_hFile = hFileNull;
    if (result != 0 && errno != EINTR) ThrowOsError(LastError());
}

void CFile::Abort() {
    if (IsOpen()) ::close(Fd(m_hFile));
    m_hFile = hFileNull;
}

unsigned CFile::Read(void* buffer, unsigned count) {
    unsigned done = 0;
    while (done < count) {
        ssize_t n = ::read(Fd(m_hFile), static_cast<char*>(buffer) + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowOsError(LastError());
        }
        if (n == 0) break;
        done += static_cast<unsigned>(n);
    }
    return done;
}

void CFile::Write(const void* buffer, unsigned count) {
    unsigned done = 0;
    while (done < count) {
        ssize_t n = ::write(Fd(m_hFile), static_cast<const char*>(buffer) + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowOsError(LastError());
        }
        if (n == 0) ThrowOsError(USystemError::kDiskFull);
        done += static_cast<unsigned>(n);
    }
}

void CFile::WriteAt(const void* buffer, unsigned count, uint64_t offset) {
    unsigned done = 0;
    while (done < count) {
        ssize_t n = ::pwrite(Fd(m_hFile), static_cast<const char*>(buffer) + done, count - done,
                             static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowOsError(LastError());
        }
        if (n == 0) ThrowOsError(USystemError::kDiskFull);
        done += static_cast<unsigned>(n);
    }
}

uint64_t CFile::Seek(int64_t offset, unsigned from) {
    int whence = from == current ? SEEK_CUR : from == end ? SEEK_END : SEEK_SET;
    off_t position = ::lseek(Fd(m_hFile), static_cast<off_t>(offset), whence);
    if (position < 0) ThrowOsError(errno == EINVAL ? USystemError::kNegativeSeek : LastError());
    return static_cast<uint64_t>(position);
}

void CFile::SetLength(uint64_t length) {
    // As with the MFC class, the file position ends at the new length.
    int result;
    do {
        result = ::ftruncate(Fd(m_hFile), static_cast<off_t>(length));
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        bool readOnly = errno == EINVAL && (fcntl(Fd(m_hFile), F_GETFL) & O_ACCMODE) == O_RDONLY;
        ThrowOsError(readOnly ? USystemError::kAccessDenied : LastError());
    }
    Seek(static_cast<int64_t>(length), begin);
}

uint64_t CFile::GetLength() const {
    struct stat st;
    if (fstat(Fd(m_hFile), &st) != 0) ThrowOsError(LastError());
    return static_cast<uint64_t>(st.st_size);
}

void CFile::Flush() {
    if (IsOpen() && ::fsync(Fd(m_hFile)) != 0) ThrowOsError(LastError());
}
