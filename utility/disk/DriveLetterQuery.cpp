#include <windows.h>

#include "utility/disk/DriveLetter.h"

bool CDriveLetter::Query() {
    wchar_t roots[256] = {};
    DWORD length = GetLogicalDriveStringsW(256, roots);
    if (length > 255) length = 0;  // did not fit: treat as no drives reported
    FromRootStrings(roots, length);
    return true;
}
