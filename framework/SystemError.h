#pragma once
// Windows error codes as the common currency of file errors, on every platform.
#include <string>

namespace USystemError {

// Windows error codes used by the file classes.
enum : long {
    kSuccess = 0,
    kInvalidFunction = 1,
    kFileNotFound = 2,
    kPathNotFound = 3,
    kTooManyOpenFiles = 4,
    kAccessDenied = 5,
    kInvalidHandle = 6,
    kNotEnoughMemory = 8,
    kNotSameDevice = 17,
    kWriteProtect = 19,
    kGenFailure = 31,
    kSharingViolation = 32,
    kHandleEof = 38,
    kNotSupported = 50,
    kFileExists = 80,
    kInvalidParameter = 87,
    kBrokenPipe = 109,
    kDiskFull = 112,
    kInvalidName = 123,
    kNegativeSeek = 131,
    kDirNotEmpty = 145,
    kBusy = 170,
    kAlreadyExists = 183,
    kFilenameExcedRange = 206,
    kDirectory = 267,
    kIoDevice = 1117,
};

// The Windows error code that stands for a C library errno value (kGenFailure when none fits).
long FromErrno(int errnoValue);

// The system's text for a Windows error code, without trailing line breaks; empty when unknown.
std::wstring Text(long code);

}  // namespace USystemError
