#pragma once
// Section readers and writers of the settings files, Option.ini and IEDelete.ini.
// Each takes the file's full path; missing files read as empty sections.
#include <string>
#include <vector>

#include "utility/core/VelmoraEXOptionData.h"
#include "utility/core/VelmoraEXSettingData.h"
#include "common/VelmoraEXVlinkData.h"
#include "utility/core/VelmoraIEDeleteSettingData.h"

namespace USettingsFile {

// [RamDisk]: accepted values replace fields, ignored ones leave them (FormatType and MemType
// fall back to 4 and 1).
void ReadRamDisk(const std::wstring& path, CVelmoraEXSettingData& setting);
// [RamDisk] and the driver's [Setting] keys that are missing. A failed [RamDisk] write throws
// CFileException* (Windows error code and path).
void WriteRamDisk(const std::wstring& path, const CVelmoraEXSettingData& setting);
// True when [RamDisk] has at least one key.
bool HasRamDiskSection(const std::wstring& path);

// [Vlink] and [RVlink]. The readers replace the list; the writers replace the section and
// return false when a write failed.
void ReadVlink(const std::wstring& path, std::vector<CVelmoraEXVlinkData>& links);
bool WriteVlink(const std::wstring& path, const std::vector<CVelmoraEXVlinkData>& links);
void ReadRVlink(const std::wstring& path, std::vector<std::wstring>& sources);
bool WriteRVlink(const std::wstring& path, const std::vector<std::wstring>& sources);

// [DeletePath]: folder names relative to the RAM disk's root, stored as keys with value "0".
void ReadDeletePath(const std::wstring& path, std::vector<std::wstring>& names);
bool WriteDeletePath(const std::wstring& path, const std::vector<std::wstring>& names);
bool AddDeletePaths(const std::wstring& path, const std::vector<std::wstring>& names);
bool RemoveDeletePaths(const std::wstring& path, const std::vector<std::wstring>& names);

// Option.ini [Option]. A failed write throws CFileException*.
void ReadOptions(const std::wstring& path, CVelmoraEXOptionData& options);
void WriteOptions(const std::wstring& path, const CVelmoraEXOptionData& options);

// IEDelete.ini [Setting]. Write failures are ignored.
void ReadIEDelete(const std::wstring& path, CVelmoraIEDeleteSettingData& data);
void WriteIEDelete(const std::wstring& path, const CVelmoraIEDeleteSettingData& data);

}  // namespace USettingsFile
