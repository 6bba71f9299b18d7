#include "utility/core/VMUThreadTaskUnmountEX.h"

#include <windows.h>

#include "framework/Exception.h"
#include "utility/core/CaughtError.h"
#include "utility/core/TaskMessages.h"
#include "utility/disk/BackupImage.h"
#include "utility/disk/VelmoraAPI.h"

namespace {
// -1 unless the driver named an error.
int32_t FailureResult(const DriverReply& reply) {
    return reply.error != 0 ? static_cast<int32_t>(reply.error) : kTaskResultNotSent;
}
}  // namespace

void CVMUThreadTaskUnmountEX::Execute() {
    if (SaveToNewImage == 1)
        SaveToNewImageAndRemove();
    else
        Remove();
}

void CVMUThreadTaskUnmountEX::Remove() {
    Result = kTaskResultNotSent;
    CVelmoraAPI api;
    if (!api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs)) return;
    DriverReply reply{};
    if (api.Remove(SettingsPath, 0, Reserved, SaveOnRemove != 0, reply))
        Result = static_cast<int32_t>(reply.error);
    else
        Result = FailureResult(reply);
    api.Close();
}

void CVMUThreadTaskUnmountEX::SaveToNewImageAndRemove() {
    Result = kTaskResultNotSent;
    std::wstring error;
    const CVelmoraEXSettingData& setting = Property.NewSetting;
    // Only image files this task began to create are removed again on failure; files that
    // were there before a failed space check are not ours.
    bool creationStarted = false;
    bool prepared = true;
    if (setting.SaveType != SAVE_NONE) {
        prepared = false;
        wchar_t fullDrive = 0;
        try {
            UBackupImage::CheckFreeSpace(setting.BackupBaseDir, setting.DriveSize, fullDrive);
            creationStarted = true;
            UBackupImage::CreateImage(setting.BackupBaseDir, setting.DriveSize);
            prepared = true;
        } catch (CException* e) {
            error = UTaskMessages::BackupCreateFailed(UTaskMessages::SystemText(UCaughtError::TakeCode(e)));
        } catch (const UBackupImage::CNoSpaceError&) {
            error = UTaskMessages::NoSpaceForBackup(fullDrive);
        } catch (...) {
            // Anything else: no image, and no text to show.
        }
    }

    if (prepared) {
        CVelmoraAPI api;
        if (api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs)) {
            DriverReply reply{};
            if (api.SaveAndRemove(Property.SettingsPath, 0, Reserved, CVelmoraAPI::ImagePathOf(setting.BackupBaseDir),
                                  RAMDISK_IMAGE_PIECE_SIZE, reply))
                Result = static_cast<int32_t>(reply.error);
            else
                Result = FailureResult(reply);
            api.Close();
        }
    }

    if (!error.empty()) {
        Result = kTaskResultNotSent;
        Message = error;
    }
    if (Result != 0 && creationStarted) {
        try {
            UBackupImage::DeleteImage(setting.BackupBaseDir, setting.DriveSize, false);
        } catch (CException* e) {
            e->Delete();
        }
    }
}
