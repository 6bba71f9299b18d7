#include "utility/links/OperateData.h"

#include <windows.h>

bool COperateData::Run(int32_t& restartNeeded) {
    DWORD attributes = GetFileAttributesW(Path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            LastError = 0;
            Scheduled = 0;
            return true;
        }
        attributes = 0;  // there, but unreadable: the delete tells
    }
    BOOL deleted = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(Path.c_str()) : DeleteFileW(Path.c_str());
    if (deleted) {
        LastError = 0;
        Scheduled = 0;
        return true;
    }
    LastError = GetLastError();
    if (DelayAllowed && MoveFileExW(Path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
        LastError = 0;
        Scheduled = 1;
        restartNeeded = 1;
        return true;
    }
    return false;
}
