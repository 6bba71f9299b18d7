#pragma once
// Task 13: moves the browser caches onto a RAM disk or gives them back their default places, and
// keeps the settings file's list of RAM-disk folders to delete at the next enable in step.
#include <cstdint>
#include <string>

#include "utility/core/VMUThreadTaskHeader.h"
#include "utility/core/VelmoraEXCacheSettingData.h"

class CVMUThreadTaskBrowserSettingEX : public CVMUThreadTaskHeader {
public:
    CVMUThreadTaskBrowserSettingEX() : CVMUThreadTaskHeader(TASK_BROWSER_SETTING) {}

    // On: the caches of Request go to the RAM disk at DriveLetter (none without a letter) and
    // their folders leave [DeletePath]. Off: the caches of Request go back; with a drive letter
    // all four cache folders leave [DeletePath], without one the folders of Request join it, so
    // that the next enable deletes what was left on the disk. Outcome tells which caches moved.
    void Execute() override;

    wchar_t DriveLetter = 0;
    std::wstring SettingsPath;
    int32_t SwitchOn = 0;
    int32_t NoBackup = 0;  // 1 when the disk keeps no backup
    CVelmoraEXCacheSettingData Request;
    CVelmoraEXCacheSettingData Outcome;
};
