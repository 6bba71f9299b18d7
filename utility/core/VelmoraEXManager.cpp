#include "utility/core/VelmoraEXManager.h"

#include <windows.h>

#include "framework/Exception.h"
#include "framework/FileSystem.h"
#include "framework/FindHandle.h"
#include "utility/core/LoadSettings.h"
#include "utility/core/SettingsFile.h"
#include "utility/core/SettingsPaths.h"
#include "utility/core/SettingsRules.h"
#include "utility/disk/DataFolder.h"
#include "utility/disk/SystemRestart.h"
#include "utility/disk/VelmoraAPI.h"
#include "utility/links/RemoveOperation.h"

namespace {

using USettingsRules::EqualNoCase;

// Names of the files (not folders) in the data folder.
std::vector<std::wstring> DataFolderFiles() {
    std::vector<std::wstring> names;
    const std::wstring folder = GetDataFolder();
    if (folder.empty()) return names;
    WIN32_FIND_DATAW data;
    CFindHandle search;
    if (!search.First(JoinPath(folder, L"*").c_str(), data)) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(data.cFileName);
    } while (search.Next(data));
    return names;
}

void ApplyReply(CVelmoraEXStatus& status, const RamDiskStatus& reply) {
    status.CurrentLetter = static_cast<wchar_t>(reply.driveLetter);
    status.DriverValue1 = reply.sizeFigure1;
    status.DriverValue2 = reply.sizeFigure2;
    status.Mode = reply.imageMode ? MODE_IMAGE : MODE_MEMORY;
}

void ResetStatus(CVelmoraEXStatus& status) {
    status.CurrentLetter = 0;
    status.Mode = MODE_NOT_MOUNTED;
    status.DriverValue1 = 0;
    status.DriverValue2 = 0;
}

// True when the driver answers a query for the disk of settingsPath.
bool DriverReportsMounted(const std::wstring& settingsPath) {
    CVelmoraAPI api;
    if (!api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs)) return false;
    RamDiskStatus reply{};
    bool mounted = api.Query(settingsPath, 0, reply) != 0;
    api.Close();
    return mounted;
}

}  // namespace

CVelmoraEXData* CVelmoraEXManager::Find(const std::wstring& path) {
    for (CVelmoraEXData& disk : m_disks) {
        if (EqualNoCase(disk.Status.SettingsPath, path)) return &disk;
    }
    return nullptr;
}

const CVelmoraEXData* CVelmoraEXManager::Find(const std::wstring& path) const {
    return const_cast<CVelmoraEXManager*>(this)->Find(path);
}

void CVelmoraEXManager::LoadOptions() {
    m_options.TaskTray = 1;
    m_options.Indicator = 1;
    try {
        USettingsFile::ReadOptions(USettingsPaths::GetOptionFile(), m_options);
    } catch (CException* e) {
        e->Delete();
    }
}

int CVelmoraEXManager::SaveOptions(const CVelmoraEXOptionData& options) {
    try {
        EnsureDataFolder();
        USettingsFile::WriteOptions(USettingsPaths::GetOptionFile(), options);
    } catch (CException* e) {
        e->Delete();
        return 0;
    }
    m_options.TaskTray = options.TaskTray;
    m_options.Indicator = options.Indicator;
    return 1;
}

void CVelmoraEXManager::LoadDisks() {
    const ULoadSettings::LoadSettingsMap registered = ULoadSettings::ReadLoadSettings();
    const std::wstring folder = GetDataFolder();
    for (const std::wstring& name : DataFolderFiles()) {
        if (!USettingsRules::IsSettingsFileName(name)) continue;
        CVelmoraEXData disk;
        disk.Status.SettingsPath = JoinPath(folder, name);
        disk.Status.DiskOperation = kDiskOperationIdle;
        const std::wstring& path = disk.Status.SettingsPath;
        if (!USettingsFile::HasRamDiskSection(path)) continue;
        USettingsFile::ReadRamDisk(path, disk.Setting);
        USettingsFile::ReadVlink(path, disk.Vlinks);
        USettingsFile::ReadRVlink(path, disk.PendingVlinks);
        disk.Setting.LoadAtStartup = ULoadSettings::IsRegisteredIn(registered, path) ? 1 : 0;
        if (disk.Setting.DriveSize != 0 && disk.Setting.DriveLetter != 0) {
            if (!Find(path)) m_disks.push_back(disk);
        } else {
            DeleteFileW(path.c_str());
        }
    }
}

void CVelmoraEXManager::RefreshStatus() {
    if (m_disks.empty()) return;
    CVelmoraAPI api;
    if (!api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs)) return;
    for (CVelmoraEXData& disk : m_disks) {
        RamDiskStatus reply{};
        if (api.Query(disk.Status.SettingsPath, 0, reply))
            ApplyReply(disk.Status, reply);
        else
            ResetStatus(disk.Status);
    }
    api.Close();
}

void CVelmoraEXManager::ProcessPendingDeletions() {
    int32_t cleanupFlag = 0;
    const std::wstring folder = GetDataFolder();
    for (const std::wstring& name : DataFolderFiles()) {
        if (!USettingsRules::IsPendingDeletionName(name)) continue;
        const std::wstring path = JoinPath(folder, name);
        if (cleanupFlag == 0 && DriverReportsMounted(USettingsPaths::GetSettingsPathOf(path))) continue;
        if (!USettingsFile::HasRamDiskSection(path)) continue;
        CVelmoraEXSettingData setting;
        USettingsFile::ReadRamDisk(path, setting);
        URemoveOperation::RemoveDiskSettings(path, setting, cleanupFlag);
    }
}

void CVelmoraEXManager::InitNewDisk(CVelmoraEXData& disk) const {
    disk = CVelmoraEXData();
    CVelmoraEXSettingData& setting = disk.Setting;
    setting.MemType = 1;
    setting.DriveSize = 0x8000000;
    setting.FormatType = FORMAT_TYPE_NTFS;
    setting.DriveLetter = kDriveLetterAutomatic;
    setting.LoadAtStartup = 1;
    setting.SaveType = SAVE_AT_LOGOFF;
    setting.LoadType = 0;
    USettingsPaths::GetNewSettingsPaths(disk.Status.SettingsPath, setting.BackupBaseDir);
}

int CVelmoraEXManager::FindDisk(const std::wstring& path, CVelmoraEXData& disk) const {
    const CVelmoraEXData* found = Find(path);
    if (!found) return 0;
    disk = *found;
    return 1;
}

void CVelmoraEXManager::AddDisk(const CVelmoraEXData& disk) { m_disks.push_back(disk); }

void CVelmoraEXManager::RemoveDisk(const std::wstring& path) {
    for (auto it = m_disks.begin(); it != m_disks.end(); ++it) {
        if (EqualNoCase(it->Status.SettingsPath, path)) {
            m_disks.erase(it);
            return;
        }
    }
}

int CVelmoraEXManager::IsMounted(const std::wstring& path) const {
    const CVelmoraEXData* disk = Find(path);
    return disk && disk->Status.Mode != MODE_NOT_MOUNTED ? 1 : 0;
}

int CVelmoraEXManager::IsLetterInUse(wchar_t letter) const {
    for (const CVelmoraEXData& disk : m_disks) {
        if (disk.Status.Mode != MODE_NOT_MOUNTED &&
            EqualNoCase(std::wstring(1, disk.Status.CurrentLetter), std::wstring(1, letter)))
            return 1;
    }
    return 0;
}

int CVelmoraEXManager::IsBackupFolderFree(const std::wstring& path, const std::wstring& folder) const {
    for (const CVelmoraEXData& disk : m_disks) {
        if (!EqualNoCase(disk.Status.SettingsPath, path) && disk.Setting.SaveType != SAVE_NONE &&
            EqualNoCase(disk.Setting.BackupBaseDir, folder))
            return 0;
    }
    return 1;
}

int CVelmoraEXManager::HasWriteBackDisk() const {
    for (const CVelmoraEXData& disk : m_disks) {
        if (disk.Status.Mode != MODE_NOT_MOUNTED && disk.Setting.SaveType == SAVE_WRITE_BACK) return 1;
    }
    return 0;
}

int CVelmoraEXManager::IsIdle() const {
    for (const CVelmoraEXData& disk : m_disks) {
        if (disk.Status.DiskOperation != kDiskOperationIdle) return 0;
    }
    return 1;
}

int CVelmoraEXManager::GetDisksToSave(std::vector<std::wstring>& paths) const {
    paths.clear();
    const uint32_t obsoleting = CHANGE_DRIVE_SIZE | CHANGE_BACKUP_ON | CHANGE_BACKUP_OFF | CHANGE_FORMAT_TYPE;
    for (const CVelmoraEXData& disk : m_disks) {
        if (disk.Status.Mode == MODE_NOT_MOUNTED || disk.Setting.SaveType == SAVE_NONE) continue;
        const std::wstring& path = disk.Status.SettingsPath;
        if (UFileSystem::Exists(USettingsPaths::GetPendingDeletionPath(path))) continue;
        const std::wstring pending = USettingsPaths::GetPendingSettingsPath(path);
        if (!UFileSystem::Exists(pending)) {
            paths.push_back(path);
            continue;
        }
        CVelmoraEXPropertyData change;
        USettingsFile::ReadRamDisk(pending, change.NewSetting);
        change.OldSetting = disk.Setting;
        change.ComputeChanges(1);
        if (!(change.ChangeFlags & obsoleting)) paths.push_back(path);
    }
    return paths.empty() ? 0 : 1;
}

int CVelmoraEXManager::HasDisksToSave() const {
    std::vector<std::wstring> paths;
    return GetDisksToSave(paths);
}

int CVelmoraEXManager::SetDiskOperation(const std::wstring& path, int32_t state) {
    CVelmoraEXData* disk = Find(path);
    if (!disk) return 0;
    disk->Status.DiskOperation = state;
    return 1;
}

int CVelmoraEXManager::SetStatusFromReply(const std::wstring& path, const RamDiskStatus& reply) {
    if (reply.error != 0) return 0;
    CVelmoraEXData* disk = Find(path);
    if (!disk) return 0;
    ApplyReply(disk->Status, reply);
    return 1;
}

int CVelmoraEXManager::ClearStatus(const std::wstring& path) {
    CVelmoraEXData* disk = Find(path);
    if (!disk) return 0;
    ResetStatus(disk->Status);
    return 1;
}

int CVelmoraEXManager::SetSetting(const std::wstring& path, const CVelmoraEXSettingData& setting) {
    CVelmoraEXData* disk = Find(path);
    if (!disk) return 0;
    disk->Setting = setting;  // every field, the cache switches included
    return 1;
}

int CVelmoraEXManager::SetVlinks(const std::wstring& path, const std::vector<CVelmoraEXVlinkData>& links) {
    CVelmoraEXData* disk = Find(path);
    if (!disk) return 0;
    disk->Vlinks = links;
    return 1;
}

int CVelmoraEXManager::SetPendingVlinks(const std::wstring& path, const std::vector<std::wstring>& sources) {
    CVelmoraEXData* disk = Find(path);
    if (!disk) return 0;
    disk->PendingVlinks = sources;
    return 1;
}

void CVelmoraEXManager::GetAllVlinks(std::vector<CVelmoraEXVlinkData>& links) const {
    links.clear();
    for (const CVelmoraEXData& disk : m_disks) links.insert(links.end(), disk.Vlinks.begin(), disk.Vlinks.end());
}

void CVelmoraEXManager::GetAllPendingVlinks(std::vector<std::wstring>& sources) const {
    sources.clear();
    for (const CVelmoraEXData& disk : m_disks)
        sources.insert(sources.end(), disk.PendingVlinks.begin(), disk.PendingVlinks.end());
}

void CVelmoraEXManager::MarkStartupVisited(const std::wstring& path) {
    if (CVelmoraEXData* disk = Find(path)) disk->Status.StartupVisited = 1;
}

int CVelmoraEXManager::FindCacheDisk(int32_t CVelmoraEXCacheSettingData::*field, std::wstring& path) const {
    for (const CVelmoraEXData& disk : m_disks) {
        if (disk.Setting.CacheSetting.*field == 1) {
            path = disk.Status.SettingsPath;
            return 1;
        }
    }
    return 0;
}

int CVelmoraEXManager::FindIECacheDisk(std::wstring& path) const {
    return FindCacheDisk(&CVelmoraEXCacheSettingData::IECache, path);
}

int CVelmoraEXManager::FindIEHistoryDisk(std::wstring& path) const {
    return FindCacheDisk(&CVelmoraEXCacheSettingData::IEHistory, path);
}

int CVelmoraEXManager::FindFirefoxCacheDisk(std::wstring& path) const {
    return FindCacheDisk(&CVelmoraEXCacheSettingData::FirefoxCache, path);
}

int CVelmoraEXManager::FindChromeCacheDisk(std::wstring& path) const {
    return FindCacheDisk(&CVelmoraEXCacheSettingData::ChromeCache, path);
}

void CVelmoraEXManager::SavePendingSettings(const CVelmoraEXPropertyData& property) {
    try {
        const std::wstring& path = property.SettingsPath;
        const std::wstring pending = USettingsPaths::GetPendingSettingsPath(path);
        EnsureDataFolder();
        CopyFileW(path.c_str(), pending.c_str(), TRUE);
        USettingsFile::WriteRamDisk(pending, property.NewSetting);
        if (property.NewSetting.LoadAtStartup == 1)
            ULoadSettings::RegisterAtStartup(path);
        else
            ULoadSettings::UnregisterAtStartup(path);

        // Caches switched off: their folders on the RAM disk go at the next enable.
        const CVelmoraEXCacheSettingData& before = property.OldSetting.CacheSetting;
        const CVelmoraEXCacheSettingData& after = property.NewSetting.CacheSetting;
        CVelmoraEXCacheSettingData switchedOff;
        const uint32_t flags = property.ChangeFlags;
        switchedOff.IECache = (flags & CHANGE_IE_CACHE) && before.IECache == 1 && after.IECache == 0;
        switchedOff.IEHistory = (flags & CHANGE_IE_HISTORY) && before.IEHistory == 1 && after.IEHistory == 0;
        switchedOff.FirefoxCache =
            (flags & CHANGE_FIREFOX_CACHE) && before.FirefoxCache == 1 && after.FirefoxCache == 0;
        switchedOff.ChromeCache = (flags & CHANGE_CHROME_CACHE) && before.ChromeCache == 1 && after.ChromeCache == 0;
        std::vector<std::wstring> names;
        switchedOff.GetFolderNames(names);
        if (!names.empty()) USettingsFile::AddDeletePaths(pending, names);
    } catch (CException* e) {
        e->Delete();
    } catch (...) {}
}

int CVelmoraEXManager::DeletePendingSettings(const std::wstring& path) {
    const std::wstring pending = USettingsPaths::GetPendingSettingsPath(path);
    if (!UFileSystem::Exists(pending)) return 1;
    return DeleteFileW(pending.c_str()) ? 1 : 0;
}

void CVelmoraEXManager::RestartWindows() { USystemRestart::RestartWindows(); }
