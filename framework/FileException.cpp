#include "framework/FileException.h"

#include "framework/SystemError.h"

int CFileException::OsErrorToException(long osError) {
    switch (osError) {
        case 0:
            return none;
        case 2:    // file not found
        case 6:    // invalid handle
        case 18:   // no more files
        case 110:  // open failed
            return fileNotFound;
        case 3:    // path not found
        case 15:   // invalid drive
        case 17:   // not same device
        case 53:   // bad network path
        case 67:   // bad network name
        case 123:  // invalid name
        case 161:  // bad path name
        case 206:  // file name too long
        case 267:  // directory name invalid
            return badPath;
        case 4:    // too many open files
        case 36:   // sharing buffer exceeded
        case 113:  // no more search handles
            return tooManyOpenFiles;
        case 5:    // access denied
        case 12:   // invalid access
        case 19:   // write protected
        case 80:   // file exists
        case 82:   // cannot make
        case 170:  // busy
        case 183:  // already exists
            return accessDenied;
        case 11:  // bad format
        case 26:  // not a DOS disk
            return invalidFile;
        case 16:   // current directory
        case 145:  // directory not empty
            return removeCurrentDir;
        case 24:   // bad length
        case 25:   // seek
        case 27:   // sector not found
        case 131:  // negative seek
        case 132:  // seek on device
            return badSeek;
        case 20:
        case 21:
        case 22:
        case 23:  // bad unit, not ready, bad command, CRC
        case 29:
        case 30:
        case 31:    // write fault, read fault, general failure
        case 1117:  // I/O device error
            return hardIO;
        case 32:
            return sharingViolation;
        case 33:   // lock violation
        case 167:  // lock failed
            return lockViolation;
        case 38:
            return endOfFile;
        case 39:   // handle disk full
        case 112:  // disk full
            return diskFull;
        default:
            return genericException;
    }
}

bool CFileException::GetErrorMessage(std::wstring& message) const {
    message.clear();
    if (m_lOsError > 0) message = USystemError::Text(m_lOsError);
    if (message.empty() && m_lOsError > 0) message = L"Error " + std::to_wstring(m_lOsError) + L".";
    if (message.empty() && m_cause != none) message = L"File error " + std::to_wstring(m_cause) + L".";
    return !message.empty();
}
