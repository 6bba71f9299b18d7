#include "framework/SystemError.h"

namespace USystemError {

// The codes the POSIX file classes produce, in the wording Windows uses for them.
std::wstring Text(long code) {
    switch (code) {
        case kSuccess:
            return L"The operation completed successfully.";
        case kInvalidFunction:
            return L"Incorrect function.";
        case kFileNotFound:
            return L"The system cannot find the file specified.";
        case kPathNotFound:
            return L"The system cannot find the path specified.";
        case kTooManyOpenFiles:
            return L"The system cannot open the file.";
        case kAccessDenied:
            return L"Access is denied.";
        case kInvalidHandle:
            return L"The handle is invalid.";
        case kNotEnoughMemory:
            return L"Not enough memory resources are available to process this command.";
        case kNotSameDevice:
            return L"The system cannot move the file to a different disk drive.";
        case kWriteProtect:
            return L"The media is write protected.";
        case kGenFailure:
            return L"A device attached to the system is not functioning.";
        case kSharingViolation:
            return L"The process cannot access the file because it is being used by another process.";
        case kHandleEof:
            return L"Reached the end of the file.";
        case kNotSupported:
            return L"The request is not supported.";
        case kFileExists:
            return L"The file exists.";
        case kInvalidParameter:
            return L"The parameter is incorrect.";
        case kBrokenPipe:
            return L"The pipe has been ended.";
        case kDiskFull:
            return L"There is not enough space on the disk.";
        case kInvalidName:
            return L"The filename, directory name, or volume label syntax is incorrect.";
        case kNegativeSeek:
            return L"An attempt was made to move the file pointer before the beginning of the file.";
        case kDirNotEmpty:
            return L"The directory is not empty.";
        case kBusy:
            return L"The requested resource is in use.";
        case kAlreadyExists:
            return L"Cannot create a file when that file already exists.";
        case kFilenameExcedRange:
            return L"The filename or extension is too long.";
        case kDirectory:
            return L"The directory name is invalid.";
        case kIoDevice:
            return L"The request could not be performed because of an I/O device error.";
        default:
            return std::wstring();
    }
}

}  // namespace USystemError
