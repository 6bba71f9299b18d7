#include "framework/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <vector>

#include "framework/NativePath.h"
#include "framework/SystemError.h"

namespace UFileSystem {

namespace {
long LastError() { return USystemError::FromErrno(errno); }
// A missing folder on the way is "path not found", as on Windows.
long PathError(const std::string& path) {
    int e = errno;
    if (e == ENOENT && !UNativePath::ParentExists(path)) return USystemError::kPathNotFound;
    return USystemError::FromErrno(e);
}
long Result(int rc, const std::string& path) { return rc == 0 ? 0 : PathError(path); }
std::string Native(const std::wstring& path) { return UNativePath::FromWide(path); }

// The path itself when it exists, else its nearest existing parent folder (the folder a
// file would be created in).
std::string ExistingPart(const std::wstring& path) {
    std::string p = Native(path);
    struct stat st;
    while (!p.empty() && stat(p.c_str(), &st) != 0) {
        while (p.size() > 1 && p.back() == '/') p.pop_back();
        size_t slash = p.rfind('/');
        if (slash == std::string::npos) return ".";
        p.erase(slash == 0 ? 1 : slash);
    }
    return p.empty() ? "." : p;
}

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};
}  // namespace

wchar_t PathSeparator() { return L'/'; }

std::wstring AppendName(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'/') return folder + name;
    return folder + L'/' + name;
}

bool Exists(const std::wstring& path) {
    struct stat st;
    return stat(Native(path).c_str(), &st) == 0;
}

bool IsFile(const std::wstring& path) {
    struct stat st;
    return stat(Native(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

long MakeFolder(const std::wstring& path) {
    std::string p = Native(path);
    return Result(mkdir(p.c_str(), 0777), p);
}

long RemoveFolder(const std::wstring& path) {
    std::string p = Native(path);
    return Result(rmdir(p.c_str()), p);
}

long RemoveFile(const std::wstring& path) {
    std::string p = Native(path);
    struct stat st;
    if (lstat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return USystemError::kAccessDenied;
    return Result(unlink(p.c_str()), p);
}

long ScheduleRemoveAtRestart(const std::wstring&) { return USystemError::kNotSupported; }

long CopyFileOver(const std::wstring& from, const std::wstring& to) {
    Fd in, out;
    std::string source = Native(from);
    in.fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in.fd < 0) return PathError(source);
    struct stat src, dst;
    if (fstat(in.fd, &src) != 0) return LastError();
    if (S_ISDIR(src.st_mode)) return USystemError::kAccessDenied;
    std::string target = Native(to);
    if (stat(target.c_str(), &dst) == 0 && dst.st_dev == src.st_dev && dst.st_ino == src.st_ino)
        return USystemError::kSharingViolation;
    out.fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out.fd < 0) return PathError(target);
    // Holes stay holes: a pre-allocated image piece is mostly unwritten.
    std::vector<char> buffer(1 << 20);
    off_t position = 0;
    while (position < src.st_size) {
        off_t data = lseek(in.fd, position, SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO) break;  // only a hole remains
            data = position;            // no hole support: copy everything
        }
        off_t hole = lseek(in.fd, data, SEEK_HOLE);
        if (hole < 0) hole = src.st_size;
        for (off_t at = data; at < hole;) {
            size_t want = static_cast<size_t>(std::min<off_t>(hole - at, static_cast<off_t>(buffer.size())));
            ssize_t n = pread(in.fd, buffer.data(), want, at);
            if (n < 0) {
                if (errno == EINTR) continue;
                return LastError();
            }
            if (n == 0) break;
            for (ssize_t done = 0; done < n;) {
                ssize_t w = pwrite(out.fd, buffer.data() + done, static_cast<size_t>(n - done), at + done);
                if (w < 0) {
                    if (errno == EINTR) continue;
                    return LastError();
                }
                if (w == 0) return USystemError::kDiskFull;
                done += w;
            }
            at += n;
        }
        position = hole;
    }
    if (ftruncate(out.fd, src.st_size) != 0) return LastError();
    int closed = ::close(out.fd);
    out.fd = -1;
    return closed == 0 ? 0 : LastError();
}

long QueryFreeBytes(const std::wstring& path, uint64_t& freeBytes) {
    freeBytes = 0;
    struct statvfs vfs;
    if (statvfs(ExistingPart(path).c_str(), &vfs) != 0) return LastError();
    freeBytes = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    return 0;
}

std::wstring FileSystemName(const std::wstring& path) {
    struct statfs fs;
    if (statfs(ExistingPart(path).c_str(), &fs) != 0) return std::wstring();
    switch (static_cast<unsigned long>(fs.f_type)) {
        case 0x2011BAB0UL:
            return L"exFAT";
        case 0x5346544EUL:
            return L"NTFS";
        case 0x4D44UL:
            return L"FAT";
        case 0xEF53UL:
            return L"ext4";
        case 0x01021994UL:
            return L"tmpfs";
        case 0x58465342UL:
            return L"xfs";
        case 0x9123683EUL:
            return L"btrfs";
        case 0x794C7630UL:
            return L"overlay";
        case 0x65735546UL:
            return L"fuse";
        default:
            return L"unknown";
    }
}

}  // namespace UFileSystem
