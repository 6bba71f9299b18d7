#pragma once
// Task 9: deletes a removed disk's files: settings file, backup image, pending settings, and
// its start-up registration.
#include <string>

#include "utility/core/VMUThreadTaskHeader.h"
#include "utility/core/VelmoraEXSettingData.h"

class CVMUThreadTaskSettingDeleteEx : public CVMUThreadTaskHeader {
public:
    CVMUThreadTaskSettingDeleteEx() : CVMUThreadTaskHeader(TASK_SETTING_DELETE) {}

    // A file that cannot be deleted now is scheduled for deletion at the next restart, and
    // RestartNeeded becomes 1. Result 0 when every file went or was scheduled; -1 when one
    // could be neither deleted nor scheduled (the files after it are left too).
    void Execute() override;

    std::wstring SettingsPath;
    CVelmoraEXSettingData Setting;
    int32_t RestartNeeded = 0;
};
