#include "utility/core/VMUThreadTaskBrowserSettingEX.h"

#include <vector>

#include "utility/core/SettingsFile.h"

void CVMUThreadTaskBrowserSettingEX::Execute() {
    std::vector<std::wstring> requested;
    Request.GetFolderNames(requested);
    if (SwitchOn == 1) {
        if (DriveLetter != 0) Request.ApplyToDrive(DriveLetter, Outcome, NoBackup);
        USettingsFile::RemoveDeletePaths(SettingsPath, requested);
        return;
    }
    Request.RevertToDefault(Outcome);
    if (DriveLetter != 0) {
        CVelmoraEXCacheSettingData all;
        all.IECache = all.IEHistory = all.FirefoxCache = all.ChromeCache = 1;
        std::vector<std::wstring> everyCache;
        all.GetFolderNames(everyCache);
        USettingsFile::RemoveDeletePaths(SettingsPath, everyCache);
    } else {
        USettingsFile::AddDeletePaths(SettingsPath, requested);
    }
}
