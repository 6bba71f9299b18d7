#pragma once
// The disk-settings clean-up: deletes every file that belongs to a deleted RAM disk's settings.
#include <cstdint>
#include <list>
#include <string>

#include "utility/core/VelmoraEXSettingData.h"
#include "utility/links/OperateData.h"

namespace URemoveOperation {

// The items to delete, in order: the settings file; for a disk with a backup, every piece of
// its image and, when the backup folder lies in the data folder, that folder; the pending
// settings file (".bak") when it exists. Every item takes delayAllowed.
std::list<COperateData> BuildItems(const std::wstring& settingsPath, const CVelmoraEXSettingData& setting,
                                   int32_t delayAllowed);

// Removes the settings file's start-up registration, then deletes the items in order and
// stops at the first that fails: 0, else 1. cleanupFlag is read (1: a failed delete may be
// scheduled for the next restart) and set to 1 when a delete was so scheduled.
int RemoveDiskSettings(const std::wstring& settingsPath, const CVelmoraEXSettingData& setting, int32_t& cleanupFlag);

// The same with the permission to schedule (delayAllowed) apart from the report that a delete
// was scheduled (restartNeeded, set to 1 then and otherwise left as it is).
int RemoveDiskSettings(const std::wstring& settingsPath, const CVelmoraEXSettingData& setting, int32_t delayAllowed,
                       int32_t& restartNeeded);

}  // namespace URemoveOperation
