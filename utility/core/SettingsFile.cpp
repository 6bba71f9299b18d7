#include "utility/core/SettingsFile.h"

#include <windows.h>

#include "framework/FileException.h"
#include "utility/core/Profile.h"
#include "utility/core/SettingsRules.h"

namespace USettingsFile {

namespace {

using USettingsRules::KeyValueList;

USettingsRules::ValueReader SectionReader(const CProfile& profile, const wchar_t* section) {
    return [&profile, section](const std::wstring& key) { return profile.GetString(section, key); };
}

// Writes every value; the first failure throws a file error for the profile's file.
void WriteOrThrow(CProfile& profile, const wchar_t* section, const KeyValueList& values) {
    for (const auto& value : values) {
        if (!profile.WriteString(section, value.first, value.second)) {
            DWORD error = GetLastError();
            throw new CFileException(CFileException::genericException, static_cast<long>(error), profile.GetPath());
        }
    }
}

// Writes every value, going on after a failure; false when any failed.
bool WriteAll(CProfile& profile, const wchar_t* section, const KeyValueList& values) {
    bool ok = true;
    for (const auto& value : values) ok = profile.WriteString(section, value.first, value.second) && ok;
    return ok;
}

bool ReplaceSection(CProfile& profile, const wchar_t* section, const KeyValueList& values) {
    bool deleted = profile.DeleteSection(section);
    return WriteAll(profile, section, values) && deleted;
}

}  // namespace

void ReadRamDisk(const std::wstring& path, CVelmoraEXSettingData& setting) {
    CProfile profile(path);
    USettingsRules::ReadRamDisk(SectionReader(profile, USettingsRules::kRamDiskSection), setting);
}

void WriteRamDisk(const std::wstring& path, const CVelmoraEXSettingData& setting) {
    CProfile profile(path);
    WriteOrThrow(profile, USettingsRules::kRamDiskSection, USettingsRules::RamDiskValues(setting));
    // The driver's own values: written only when missing, never overwritten; failures ignored.
    for (const auto& value : USettingsRules::DriverSettingDefaults()) {
        if (profile.GetString(USettingsRules::kSettingSection, value.first).empty())
            profile.WriteString(USettingsRules::kSettingSection, value.first, value.second);
    }
    WriteOrThrow(profile, USettingsRules::kRamDiskSection, USettingsRules::CacheValues(setting.CacheSetting));
}

bool HasRamDiskSection(const std::wstring& path) {
    return !CProfile(path).GetKeyNames(USettingsRules::kRamDiskSection).empty();
}

void ReadVlink(const std::wstring& path, std::vector<CVelmoraEXVlinkData>& links) {
    CProfile profile(path);
    USettingsRules::ReadVlinks(SectionReader(profile, USettingsRules::kVlinkSection), links);
}

bool WriteVlink(const std::wstring& path, const std::vector<CVelmoraEXVlinkData>& links) {
    CProfile profile(path);
    return ReplaceSection(profile, USettingsRules::kVlinkSection, USettingsRules::VlinkValues(links));
}

void ReadRVlink(const std::wstring& path, std::vector<std::wstring>& sources) {
    CProfile profile(path);
    USettingsRules::ReadRVlinks(SectionReader(profile, USettingsRules::kRVlinkSection), sources);
}

bool WriteRVlink(const std::wstring& path, const std::vector<std::wstring>& sources) {
    CProfile profile(path);
    return ReplaceSection(profile, USettingsRules::kRVlinkSection, USettingsRules::RVlinkValues(sources));
}

void ReadDeletePath(const std::wstring& path, std::vector<std::wstring>& names) {
    names = CProfile(path).GetKeyNames(USettingsRules::kDeletePathSection);
}

bool WriteDeletePath(const std::wstring& path, const std::vector<std::wstring>& names) {
    KeyValueList values;
    for (const std::wstring& name : names) {
        if (USettingsRules::IsDeletePathName(name)) values.emplace_back(name, L"0");
    }
    CProfile profile(path);
    return ReplaceSection(profile, USettingsRules::kDeletePathSection, values);
}

bool AddDeletePaths(const std::wstring& path, const std::vector<std::wstring>& names) {
    std::vector<std::wstring> current;
    ReadDeletePath(path, current);
    return WriteDeletePath(path, USettingsRules::AddDeletePaths(current, names));
}

bool RemoveDeletePaths(const std::wstring& path, const std::vector<std::wstring>& names) {
    std::vector<std::wstring> current;
    ReadDeletePath(path, current);
    return WriteDeletePath(path, USettingsRules::RemoveDeletePaths(current, names));
}

void ReadOptions(const std::wstring& path, CVelmoraEXOptionData& options) {
    CProfile profile(path);
    USettingsRules::ReadOptions(SectionReader(profile, USettingsRules::kOptionSection), options);
}

void WriteOptions(const std::wstring& path, const CVelmoraEXOptionData& options) {
    CProfile profile(path);
    WriteOrThrow(profile, USettingsRules::kOptionSection, USettingsRules::OptionValues(options));
}

void ReadIEDelete(const std::wstring& path, CVelmoraIEDeleteSettingData& data) {
    CProfile profile(path);
    USettingsRules::ReadIEDelete(SectionReader(profile, USettingsRules::kSettingSection), data);
}

void WriteIEDelete(const std::wstring& path, const CVelmoraIEDeleteSettingData& data) {
    CProfile profile(path);
    WriteAll(profile, USettingsRules::kSettingSection, USettingsRules::IEDeleteValues(data));
}

}  // namespace USettingsFile
