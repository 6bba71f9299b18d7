#include "utility/core/VMUThreadTaskSettingEx.h"

#include <windows.h>

#include "framework/Exception.h"
#include "utility/core/CaughtError.h"
#include "utility/core/LoadSettings.h"
#include "utility/core/SettingsFile.h"
#include "utility/core/TaskMessages.h"
#include "utility/disk/BackupImage.h"
#include "utility/disk/DataFolder.h"
#include "utility/disk/FormatObject.h"

namespace {
const uint32_t kRecreatingChanges = CHANGE_DRIVE_SIZE | CHANGE_BACKUP_OFF | CHANGE_BACKUP_ON | CHANGE_FORMAT_TYPE;

void CreateAndFormat(const CVelmoraEXSettingData& setting, std::wstring& error) {
    wchar_t fullDrive = 0;
    try {
        UBackupImage::CheckFreeSpace(setting.BackupBaseDir, setting.DriveSize, fullDrive);
    } catch (const UBackupImage::CNoSpaceError&) {
        error = UTaskMessages::NoSpaceForBackup(fullDrive);
        throw;
    }
    UBackupImage::CreateImage(setting.BackupBaseDir, setting.DriveSize);
    UBackupImage::FormatImage(setting.BackupBaseDir, setting.DriveSize, setting.FormatType);
}
}  // namespace

void CVMUThreadTaskSettingEx::PrepareImage(std::wstring& error, bool& moving) {
    const CVelmoraEXSettingData& next = Property.NewSetting;
    const CVelmoraEXSettingData& old = Property.OldSetting;
    if (Property.IsNew == 1) {
        if (next.SaveType != SAVE_NONE) CreateAndFormat(next, error);
        return;
    }
    if (Property.ChangeFlags & kRecreatingChanges) {
        if (old.SaveType != SAVE_NONE) UBackupImage::DeleteImage(old.BackupBaseDir, old.DriveSize, false);
        if (next.SaveType != SAVE_NONE) CreateAndFormat(next, error);
    } else if ((Property.ChangeFlags & CHANGE_BACKUP_FOLDER) && !(Property.ChangeFlags & CHANGE_BACKUP_ONLY_ON)) {
        moving = true;
        UBackupImage::MoveImage(old.BackupBaseDir, next.BackupBaseDir, old.DriveSize);
        moving = false;
    }
}

void CVMUThreadTaskSettingEx::WriteSettings() {
    EnsureDataFolder();
    const std::wstring& path = Property.SettingsPath;
    if (Property.PromotePending == 1 && GetFileAttributesW(Property.PendingPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (!CopyFileW(Property.PendingPath.c_str(), path.c_str(), FALSE))
            USettingsFile::WriteRamDisk(path, Property.NewSetting);
        DeleteFileW(Property.PendingPath.c_str());
    } else {
        USettingsFile::WriteRamDisk(path, Property.NewSetting);
    }
    if (Property.NewSetting.LoadAtStartup == 1)
        ULoadSettings::RegisterAtStartup(path);
    else
        ULoadSettings::UnregisterAtStartup(path);
}

void CVMUThreadTaskSettingEx::Execute() {
    std::wstring error;
    bool moving = false;
    bool failed = false;
    try {
        PrepareImage(error, moving);
        WriteSettings();
    } catch (FormatError formatError) {
        failed = true;
        error = UTaskMessages::FormatFailed(static_cast<int>(formatError));
    } catch (CException* e) {
        failed = true;
        std::wstring text = UTaskMessages::SystemText(UCaughtError::TakeCode(e));
        error = moving ? UTaskMessages::BackupMoveFailed(text) : UTaskMessages::BackupCreateFailed(text);
    } catch (const UBackupImage::CNoSpaceError&) {
        failed = true;  // CreateAndFormat set the 4002 text
    } catch (...) {
        // No text for anything else, but the settings were not carried out all the same.
        failed = true;
    }
    Message = error;
    Result = failed ? kTaskResultNotSent : 0;
}
