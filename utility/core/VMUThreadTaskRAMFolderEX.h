#pragma once
// Task 14: deletes the RAM-disk folders listed in the settings file's [DeletePath] section.
#include <string>

#include "utility/core/VMUThreadTaskHeader.h"

class CVMUThreadTaskRAMFolderEX : public CVMUThreadTaskHeader {
public:
    CVMUThreadTaskRAMFolderEX() : CVMUThreadTaskHeader(TASK_RAM_FOLDER) {}

    // Deletes each listed folder below the drive's root with everything in it, then removes
    // the listed names from [DeletePath] whether or not their folders could be deleted.
    // A name that would reach the root itself or above it ("", ".", "..\x") deletes nothing.
    void Execute() override;

    // The folder the clean-up deletes for a [DeletePath] name, "X:\name" with the upper-case
    // letter; empty when the name does not lie below the root.
    static std::wstring FolderOf(wchar_t driveLetter, const std::wstring& name);

    wchar_t DriveLetter = 0;
    std::wstring SettingsPath;
};
