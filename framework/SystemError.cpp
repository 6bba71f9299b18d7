#include "framework/SystemError.h"

#include <cerrno>

namespace USystemError {

long FromErrno(int e) {
    switch (e) {
        case 0:
            return kSuccess;
        case ENOENT:
            return kFileNotFound;
        case ENOTDIR:
            return kPathNotFound;
        case EMFILE:
        case ENFILE:
            return kTooManyOpenFiles;
        case EACCES:
        case EPERM:
            return kAccessDenied;
        case EBADF:
            return kInvalidHandle;
        case ENOMEM:
            return kNotEnoughMemory;
        case EXDEV:
            return kNotSameDevice;
        case EROFS:
            return kWriteProtect;
        case EIO:
            return kIoDevice;
        case ETXTBSY:
            return kSharingViolation;
        case ENOSYS:
            return kInvalidFunction;
        case EINVAL:
            return kInvalidParameter;
        case EPIPE:
            return kBrokenPipe;
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
        case EFBIG:
            return kDiskFull;
        case ENAMETOOLONG:
            return kFilenameExcedRange;
        case ENOTEMPTY:
            return kDirNotEmpty;
        case EBUSY:
            return kBusy;
        case EEXIST:
            return kAlreadyExists;
        case EISDIR:
            return kAccessDenied;
#if defined(EOPNOTSUPP)
        case EOPNOTSUPP:
            return kNotSupported;
#endif
        default:
            return kGenFailure;
    }
}

}  // namespace USystemError
