#pragma once
// Disks for window tests: made through the sequencer as the settings sheet hands them over,
// and filled with data through the stand-in's test interface.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "UiDriver.h"
#include "standin/StandinHarness.h"
#include "utility/core/VelmoraEXManager.h"
#include "utility/ui/DiskSequencer.h"
#include "utility/ui/VMUTaskTrayWnd.h"

namespace uidriver {

// A new disk of the tray's manager, not started with Windows; its settings path once it is
// mounted, empty when it was not mounted within a minute.
inline std::wstring MakeDisk(CVMUTaskTrayWnd& tray, uint64_t size, int32_t format, int32_t saveType,
                             unsigned char letter = kDriveLetterAutomatic) {
    CVelmoraEXManager& manager = tray.Manager();
    CVelmoraEXData disk;
    manager.InitNewDisk(disk);
    CVelmoraEXPropertyData change;
    change.IsNew = 1;
    change.NeedsRemount = 1;
    change.FromSheet = 1;
    change.SettingsPath = disk.Status.SettingsPath;
    change.NewSetting = disk.Setting;
    change.NewSetting.DriveSize = size;
    change.NewSetting.FormatType = format;
    change.NewSetting.SaveType = saveType;
    change.NewSetting.DriveLetter = letter;
    change.NewSetting.LoadAtStartup = 0;
    tray.Sequencer().BeginSettingsChange(change);
    const std::wstring path = disk.Status.SettingsPath;
    if (!WaitFor([&] { return manager.IsIdle() && manager.IsMounted(path); }, 60000)) return std::wstring();
    return path;
}

// Writes length bytes of data from offset, in blocks a request frame holds (at most 64 KiB).
inline bool FillDisk(const std::wstring& path, uint64_t offset, uint64_t length) {
    const std::vector<uint8_t> block = Pattern(32768, 7);
    CStandinClient client;
    for (uint64_t done = 0; done < length; done += block.size())
        if (client.WriteBytes(path, offset + done, block) != 0) return false;
    return true;
}

}  // namespace uidriver
