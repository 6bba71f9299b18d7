#pragma once
// The files that carry a disk's settings across a restart: the pending settings a change left
// for the next enable, and the settings set aside for deletion at the next start.
#include <string>

#include "utility/core/VelmoraEXSettingData.h"

namespace UPendingSettings {

// Reads the pending settings of the disk with settingsPath into pending: true when there are
// usable ones. A pending file without a size or a drive letter is deleted and gives false.
bool ReadUsable(const std::wstring& settingsPath, CVelmoraEXSettingData& pending);

// Takes the disk off the start-up list and renames its settings file to the pending-deletion
// name, replacing any earlier one, so that the next start finishes the deletion.
void SetAsideForDeletion(const std::wstring& settingsPath);

}  // namespace UPendingSettings
