#pragma once
// The in-memory owner of the RAM disks and the options, used on the window thread only. Disks
// are found by their settings-file path, compared without regard to case (first match).
#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "utility/core/VelmoraEXData.h"
#include "utility/core/VelmoraEXOptionData.h"
#include "utility/core/VelmoraEXPropertyData.h"
#include "utility/disk/RamDiskStatus.h"

class CVelmoraEXManager {
public:
    CVelmoraEXManager() = default;
    virtual ~CVelmoraEXManager() = default;

    // Options: defaults 1 and 1, then Option.ini (file errors keep the defaults).
    void LoadOptions();
    // Writes Option.ini and takes the values; 0 (nothing changed) on a file error.
    int SaveOptions(const CVelmoraEXOptionData& options);
    const CVelmoraEXOptionData& GetOptions() const { return m_options; }

    // Appends every usable settings file of the data folder not listed yet; deletes those
    // whose DriveSize or DriveLetter is 0; leaves files without a [RamDisk] key alone.
    void LoadDisks();
    // Queries the driver for every disk; statuses stay as they are when it cannot be opened.
    void RefreshStatus();
    // Runs the disk-settings clean-up on every ".del" file of the data folder whose disk the
    // driver does not report mounted.
    void ProcessPendingDeletions();

    // A new disk's settings and paths (not added to the list).
    void InitNewDisk(CVelmoraEXData& disk) const;
    int FindDisk(const std::wstring& path, CVelmoraEXData& disk) const;
    void AddDisk(const CVelmoraEXData& disk);
    void RemoveDisk(const std::wstring& path);
    const std::list<CVelmoraEXData>& Disks() const { return m_disks; }

    int IsMounted(const std::wstring& path) const;
    int IsLetterInUse(wchar_t letter) const;
    int IsBackupFolderFree(const std::wstring& path, const std::wstring& folder) const;
    int HasWriteBackDisk() const;
    int IsIdle() const;
    // Mounted disks with a backup that must be saved before Windows ends; 1 when any.
    int GetDisksToSave(std::vector<std::wstring>& paths) const;
    int HasDisksToSave() const;

    int SetDiskOperation(const std::wstring& path, int32_t state);
    int SetStatusFromReply(const std::wstring& path, const RamDiskStatus& reply);
    int ClearStatus(const std::wstring& path);
    int SetSetting(const std::wstring& path, const CVelmoraEXSettingData& setting);
    int SetVlinks(const std::wstring& path, const std::vector<CVelmoraEXVlinkData>& links);
    int SetPendingVlinks(const std::wstring& path, const std::vector<std::wstring>& sources);
    void GetAllVlinks(std::vector<CVelmoraEXVlinkData>& links) const;
    void GetAllPendingVlinks(std::vector<std::wstring>& sources) const;
    void MarkStartupVisited(const std::wstring& path);

    int FindIECacheDisk(std::wstring& path) const;
    int FindIEHistoryDisk(std::wstring& path) const;
    int FindFirefoxCacheDisk(std::wstring& path) const;
    int FindChromeCacheDisk(std::wstring& path) const;

    // Writes a change that needs the disk re-created into its ".bak" file, to take effect at
    // the next enable. Never reports an error; what was written stays.
    void SavePendingSettings(const CVelmoraEXPropertyData& property);
    // Deletes the disk's ".bak" file: 1 when there was none, else the deletion's result.
    int DeletePendingSettings(const std::wstring& path);

    // Restarts Windows with the shutdown privilege held for the request.
    void RestartWindows();

private:
    CVelmoraEXData* Find(const std::wstring& path);
    const CVelmoraEXData* Find(const std::wstring& path) const;
    int FindCacheDisk(int32_t CVelmoraEXCacheSettingData::*field, std::wstring& path) const;

    std::list<CVelmoraEXData> m_disks;
    CVelmoraEXOptionData m_options;
};
