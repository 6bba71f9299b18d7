#include "utility/ui/DiskSequencer.h"

#include <windows.h>

#include <dbt.h>

#include "utility/core/LoadSettings.h"
#include "utility/core/SettingsFile.h"
#include "utility/core/SettingsPaths.h"
#include "utility/core/TaskMessages.h"
#include "utility/core/VMUThreadTaskMountEX.h"
#include "utility/core/VMUThreadTaskRAMFolderEX.h"
#include "utility/core/VMUThreadTaskSettingDeleteEx.h"
#include "utility/core/VMUThreadTaskSettingEx.h"
#include "utility/core/VMUThreadTaskUnmountEX.h"
#include "utility/core/VelmoraEXManager.h"
#include "utility/disk/DeviceNotifier.h"
#include "utility/ui/SequencerHost.h"
#include "utility/ui/SequencerMessages.h"

namespace {

namespace M = USequencerMessages;

// Changes that need the disk unmounted and made again.
const uint32_t kRecreatingChanges = CHANGE_DRIVE_SIZE | CHANGE_DRIVE_LETTER | CHANGE_BACKUP_FOLDER | CHANGE_BACKUP_ON |
                                    CHANGE_BACKUP_OFF | CHANGE_BACKUP_KIND | CHANGE_MEM_TYPE | CHANGE_FORMAT_TYPE |
                                    CHANGE_BACKUP_ONLY_ON;
// Changes after which the old contents do not fit the new disk.
const uint32_t kNewImageChanges = CHANGE_DRIVE_SIZE | CHANGE_BACKUP_ON | CHANGE_BACKUP_OFF | CHANGE_FORMAT_TYPE;

bool AnyCache(const CVelmoraEXCacheSettingData& c) {
    return c.IECache == 1 || c.IEHistory == 1 || c.FirefoxCache == 1 || c.ChromeCache == 1;
}

// The caches whose change flag is set and whose value went from before to after.
CVelmoraEXCacheSettingData SwitchedCaches(const CVelmoraEXPropertyData& p, int32_t before, int32_t after) {
    const CVelmoraEXCacheSettingData& o = p.OldSetting.CacheSetting;
    const CVelmoraEXCacheSettingData& n = p.NewSetting.CacheSetting;
    CVelmoraEXCacheSettingData r;
    auto pick = [&](uint32_t flag, int32_t oldValue, int32_t newValue) {
        return (p.ChangeFlags & flag) && oldValue == before && newValue == after ? 1 : 0;
    };
    r.IECache = pick(CHANGE_IE_CACHE, o.IECache, n.IECache);
    r.IEHistory = pick(CHANGE_IE_HISTORY, o.IEHistory, n.IEHistory);
    r.FirefoxCache = pick(CHANGE_FIREFOX_CACHE, o.FirefoxCache, n.FirefoxCache);
    r.ChromeCache = pick(CHANGE_CHROME_CACHE, o.ChromeCache, n.ChromeCache);
    return r;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Creates the folder and any missing parents.
void CreateFolderTree(const std::wstring& folder) {
    if (folder.empty() || FileExists(folder)) return;
    size_t cut = folder.find_last_of(L"\\/");
    if (cut != std::wstring::npos && cut > 2) CreateFolderTree(folder.substr(0, cut));
    CreateDirectoryW(folder.c_str(), nullptr);
}

}  // namespace

CDiskSequencer::CDiskSequencer(CVelmoraEXManager& manager, ISequencerHost& host) : m_manager(manager), m_host(host) {}

CDiskSequencer::~CDiskSequencer() = default;

bool CDiskSequencer::BalloonsAllowed() const { return m_host.BalloonsAllowed(); }

void CDiskSequencer::Balloon(const std::wstring& text, const std::wstring& title, int iconKind) {
    if (BalloonsAllowed()) m_host.ShowBalloon(text, title, iconKind);
}

int CDiskSequencer::PostTask(CVMUThreadTaskHeader* task, const std::wstring& settingsPath, int32_t operation) {
    task->Result = 0;
    task->Message.clear();
    if (!m_manager.IsIdle()) return POST_BUSY;
    if (!m_host.PostToWorker(task)) return POST_FAILED;
    if (!settingsPath.empty()) {
        m_manager.SetDiskOperation(settingsPath, operation);
        if (m_host.IsStatusSheetOpen()) m_host.RefreshDiskRow(settingsPath);
    }
    return POST_DONE;
}

void CDiskSequencer::ReportBusy() { Balloon(UTaskMessages::OtherOperationRunning(), M::AppTitle(), BALLOON_ERROR); }

bool CDiskSequencer::Submit(CVMUThreadTaskHeader* task, const std::wstring& path, int32_t operation) {
    if (PostTask(task, path, operation) == POST_DONE) return true;
    delete task;
    ReportBusy();
    return false;
}

bool CDiskSequencer::PostMount(const std::wstring& path, int32_t kind, int32_t retryAllowed, int32_t recreated,
                               int32_t showErrorBox, int32_t operation) {
    auto* task = new CVMUThreadTaskMountEX;
    task->SettingsPath = path;
    task->MountKind = kind;
    task->RetryAllowed = retryAllowed;
    task->Recreated = recreated;
    task->ShowErrorBox = showErrorBox;
    return Submit(task, path, operation);
}

bool CDiskSequencer::PostUnmount(const std::wstring& path, uint8_t saveOnRemove, int32_t operation) {
    auto* task = new CVMUThreadTaskUnmountEX;
    task->SettingsPath = path;
    task->SaveOnRemove = saveOnRemove;
    return Submit(task, path, operation);
}

bool CDiskSequencer::PostSettingsDelete(const std::wstring& path) {
    CVelmoraEXData disk;
    if (!m_manager.FindDisk(path, disk)) return false;
    auto* task = new CVMUThreadTaskSettingDeleteEx;
    task->SettingsPath = path;
    task->Setting = disk.Setting;
    return Submit(task, path, OP_DELETE_SETTINGS);
}

void CDiskSequencer::ReportStepNotAvailable(const std::wstring& text) {
    if (BalloonsAllowed())
        m_host.ShowBalloon(text, M::AppTitle(), BALLOON_ERROR);
    else
        m_host.ShowMessageBox(M::AppTitle(), text, MB_ICONHAND);
}

int CDiskSequencer::PostBrowserTask(const std::wstring&, wchar_t, const CVelmoraEXCacheSettingData&, int32_t, int32_t,
                                    int32_t) {
    ReportStepNotAvailable(M::BrowserCacheStepNotAvailable());
    return POST_UNAVAILABLE;
}

int CDiskSequencer::PostLinkTask(const std::wstring&, int32_t, int32_t) {
    ReportStepNotAvailable(M::LinkStepNotAvailable());
    return POST_UNAVAILABLE;
}

bool CDiskSequencer::OnOtherTaskDone(CVMUThreadTaskHeader&) { return false; }

void CDiskSequencer::SetIdle(const std::wstring& path) {
    m_manager.SetDiskOperation(path, OP_IDLE);
    if (m_host.IsStatusSheetOpen()) m_host.RefreshDiskRow(path);
}

void CDiskSequencer::RemoveFromLists(const std::wstring& path) {
    m_manager.RemoveDisk(path);
    m_host.RemoveDiskRow(path);
}

int32_t CDiskSequencer::OperationOf(const std::wstring& path) const {
    CVelmoraEXData disk;
    return m_manager.FindDisk(path, disk) ? disk.Status.DiskOperation : 0;
}

// ---- requests --------------------------------------------------------------------------------

void CDiskSequencer::EnableDisk(const std::wstring& path) {
    CVelmoraEXData disk;
    if (!m_manager.FindDisk(path, disk)) return;
    const std::wstring pendingPath = USettingsPaths::GetPendingSettingsPath(path);
    if (FileExists(pendingPath)) {
        CVelmoraEXSettingData pending;
        USettingsFile::ReadRamDisk(pendingPath, pending);
        if (pending.DriveSize == 0 || pending.DriveLetter == 0) {
            DeleteFileW(pendingPath.c_str());
        } else {
            CVelmoraEXPropertyData property;
            property.NewSetting = pending;
            property.NewSetting.LoadAtStartup = ULoadSettings::IsRegisteredAtStartup(path) ? 1 : 0;
            property.OldSetting = disk.Setting;
            property.SettingsPath = path;
            property.ComputeChanges(disk.Status.Mode != MODE_NOT_MOUNTED ? 1 : 0);
            property.NeedsRemount = 1;
            property.PromotePending = 1;
            property.PendingPath = pendingPath;
            BeginSettingsChange(property);
            return;
        }
    }
    PostMount(path, MOUNT_FIRST_ATTEMPT, 1, 0, 0,
              disk.Setting.SaveType != SAVE_NONE ? OP_ENABLE_MOUNT_IMAGE : OP_ENABLE_MOUNT);
}

void CDiskSequencer::DisableDisk(const std::wstring& path) {
    CVelmoraEXData disk;
    if (!m_manager.FindDisk(path, disk)) return;
    if (disk.Setting.CacheSetting.IECache == 1) {
        if (BalloonsAllowed())
            m_host.ShowBalloon(M::DiskInUse(), M::AppTitle(), BALLOON_ERROR);
        else
            m_host.ShowMessageBox(M::AppTitle(), M::DiskInUse(), MB_ICONHAND);
        return;
    }
    uint8_t save = 1;
    if (disk.Setting.SaveType == SAVE_NONE) {
        if (m_host.ShowMessageBox(M::AppTitle(), UTaskMessages::DisableLosesData(), MB_OKCANCEL | MB_ICONEXCLAMATION) !=
            IDOK)
            return;
        save = 0;
    }
    PostUnmount(path, save, OP_DISABLE_UNMOUNT);
}

void CDiskSequencer::DeleteDisk(const std::wstring& path) { RunDeleteChain(path, 0); }

void CDiskSequencer::BeginSettingsChange(const CVelmoraEXPropertyData& property) {
    if (m_pending) {  // another change is still running
        ReportBusy();
        return;
    }
    m_pending.reset(new CVelmoraEXPropertyData(property));
    if (property.IsNew) {
        CVelmoraEXData existing;
        if (!m_manager.FindDisk(property.SettingsPath, existing)) {
            CVelmoraEXData disk;
            disk.Setting = property.NewSetting;
            disk.Status.SettingsPath = property.SettingsPath;
            disk.Status.DiskOperation = OP_IDLE;
            disk.Status.StartupVisited = 1;  // its own chain mounts it
            m_manager.AddDisk(disk);
            if (!m_host.AddDiskRow(disk)) {
                // Without its record no task of the chain could mark the disk busy.
                m_manager.RemoveDisk(property.SettingsPath);
                m_pending.reset();
                return;
            }
        }
    }
    RunSettingsChain(0);
}

void CDiskSequencer::StartupPass() {
    m_startupActive = true;
    while (m_manager.IsIdle() && !m_pending) {
        const CVelmoraEXData* next = nullptr;
        for (const CVelmoraEXData& disk : m_manager.Disks()) {
            if (disk.Status.StartupVisited == 0) {
                next = &disk;
                break;
            }
        }
        if (!next) {
            m_startupActive = false;
            return;
        }
        const CVelmoraEXData disk = *next;  // the list may change below
        const std::wstring& path = disk.Status.SettingsPath;
        m_manager.MarkStartupVisited(path);
        if (disk.Status.CurrentLetter)
            UDeviceNotifier::Current().BroadcastVolume(DBT_DEVICEARRIVAL, disk.Status.CurrentLetter);
        if (disk.Status.Mode != MODE_NOT_MOUNTED)
            RunEnableChain(path, 0, true);
        else if (disk.Setting.LoadAtStartup == 1)
            EnableDisk(path);
        // A disk that started a task continues the pass when its chain ends.
    }
}

// ---- chains ----------------------------------------------------------------------------------

void CDiskSequencer::RunSettingsChain(int step) {
    if (!m_pending) return;
    if (step == SETTINGS_STEP_COMMIT || step == SETTINGS_STEP_ROLLBACK) {
        FinishSettingsChange(step == SETTINGS_STEP_COMMIT);
        return;
    }
    const CVelmoraEXPropertyData& p = *m_pending;
    const std::wstring path = p.SettingsPath;
    CVelmoraEXData disk;
    m_manager.FindDisk(path, disk);

    if (step <= 0) {
        CVelmoraEXCacheSettingData off = SwitchedCaches(p, 1, 0);
        if (AnyCache(off)) {
            if (PostBrowserTask(path, disk.Status.CurrentLetter, off, 0, 0, OP_SETTINGS_BROWSER_OFF) != POST_DONE)
                FinishSettingsChange(false);
            return;
        }
    }
    if (step <= 1) {
        if ((p.ChangeFlags & kRecreatingChanges) && m_manager.IsMounted(path)) {
            auto* task = new CVMUThreadTaskUnmountEX;
            task->SettingsPath = path;
            if (p.IsBackupOnlySwitchedOn()) {
                task->SaveToNewImage = 1;
                task->SaveOnRemove = 1;
                task->Property = p;
            } else {
                task->SaveOnRemove = !(p.ChangeFlags & kNewImageChanges) && disk.Status.Mode != MODE_IMAGE ? 1 : 0;
            }
            if (!Submit(task, path, OP_SETTINGS_UNMOUNT)) FinishSettingsChange(false);
            return;
        }
    }
    if (step <= 2) {
        auto* task = new CVMUThreadTaskSettingEx;
        task->Property = p;
        if (!Submit(task, path, p.IsNew ? OP_SETTINGS_WRITE_NEW : OP_SETTINGS_WRITE)) FinishSettingsChange(false);
        return;
    }
    if (step <= 3) {
        if (m_manager.IsMounted(path)) {
            CVelmoraEXCacheSettingData on = SwitchedCaches(p, 0, 1);
            if (AnyCache(on) && disk.Status.CurrentLetter) {
                if (PostBrowserTask(path, disk.Status.CurrentLetter, on, 1, 0, OP_SETTINGS_BROWSER_ON) == POST_DONE)
                    return;
            }
        } else if (p.NeedsRemount == 1) {
            const int32_t recreated = (p.ChangeFlags & kNewImageChanges) ? 1 : 0;
            const bool backup = disk.Setting.SaveType != SAVE_NONE;
            const int32_t operation = recreated && backup ? OP_ENABLE_MOUNT_RECREATED
                                      : backup            ? OP_ENABLE_MOUNT_IMAGE
                                                          : OP_ENABLE_MOUNT;
            PostMount(path, MOUNT_FIRST_ATTEMPT, 0, recreated, p.FromSheet, operation);
            FinishSettingsChange(true);
            return;
        }
    }
    if (step <= 4) {
        const CVelmoraEXCacheSettingData& n = p.NewSetting.CacheSetting;
        const bool ieChanged = (p.ChangeFlags & (CHANGE_IE_CACHE | CHANGE_IE_HISTORY)) != 0;
        const bool letterMoved = (p.ChangeFlags & CHANGE_DRIVE_LETTER) && (n.IECache == 1 || n.IEHistory == 1);
        if (ieChanged || letterMoved) {
            if (m_host.ShowMessageBox(M::AppTitle(), M::RestartForBrowserCache(), MB_YESNO | MB_ICONEXCLAMATION) ==
                IDYES)
                m_host.RestartWindows();
        }
    }
    FinishSettingsChange(true);
}

void CDiskSequencer::FinishSettingsChange(bool commit) {
    if (!m_pending) return;
    std::unique_ptr<CVelmoraEXPropertyData> done = std::move(m_pending);
    if (!commit && done->IsNew) RemoveFromLists(done->SettingsPath);
}

void CDiskSequencer::RunEnableChain(const std::wstring& path, int step, bool resume) {
    CVelmoraEXData disk;
    if (!m_manager.FindDisk(path, disk)) return;
    const wchar_t letter = disk.Status.CurrentLetter;
    if (!letter) return;
    // A step whose task this build lacks is reported and passed over: the disk itself is up.
    if (step <= 0 && AnyCache(disk.Setting.CacheSetting)) {
        const int r = PostBrowserTask(path, letter, disk.Setting.CacheSetting, 1,
                                      disk.Setting.SaveType == SAVE_NONE ? 1 : 0,
                                      resume ? OP_RESUME_BROWSER : OP_ENABLE_BROWSER);
        if (r != POST_UNAVAILABLE) return;
    }
    if (step <= 1 && !disk.Vlinks.empty()) {
        if (PostLinkTask(path, 2, resume ? OP_RESUME_LINKS : OP_ENABLE_LINKS) != POST_UNAVAILABLE) return;
    }
    if (step <= 2 && !disk.PendingVlinks.empty()) {
        if (PostLinkTask(path, 3, resume ? OP_RESUME_PENDING_LINKS : OP_ENABLE_PENDING_LINKS) != POST_UNAVAILABLE) return;
    }
    if (step <= 3) {
        auto* task = new CVMUThreadTaskRAMFolderEX;
        task->SettingsPath = path;
        task->DriveLetter = letter;
        Submit(task, path, resume ? OP_RESUME_RAM_FOLDER : OP_ENABLE_RAM_FOLDER);
    }
}

void CDiskSequencer::RunDeleteChain(const std::wstring& path, int step) {
    CVelmoraEXData disk;
    if (!m_manager.FindDisk(path, disk)) return;
    // Links and browser folders must be put back before the disk goes: a missing task stops
    // the delete with the disk kept.
    if (step <= 0 && !disk.Vlinks.empty()) {
        PostLinkTask(path, 1, OP_DELETE_LINKS);
        return;
    }
    if (step <= 1 && AnyCache(disk.Setting.CacheSetting)) {
        PostBrowserTask(path, disk.Status.CurrentLetter, disk.Setting.CacheSetting, 0, 0, OP_DELETE_BROWSER);
        return;
    }
    if (step <= 2 && m_manager.IsMounted(path)) {
        PostUnmount(path, 0, OP_DELETE_UNMOUNT);
        return;
    }
    PostSettingsDelete(path);
}

// ---- finished tasks --------------------------------------------------------------------------

bool CDiskSequencer::OnTaskDone(CVMUThreadTaskHeader* task) {
    switch (task->Type) {
    case TASK_MOUNT:
        OnMountDone(static_cast<CVMUThreadTaskMountEX&>(*task));
        break;
    case TASK_UNMOUNT:
        OnUnmountDone(static_cast<CVMUThreadTaskUnmountEX&>(*task));
        break;
    case TASK_SETTING:
        OnSettingsDone(static_cast<CVMUThreadTaskSettingEx&>(*task));
        break;
    case TASK_SETTING_DELETE:
        OnSettingsDeleteDone(static_cast<CVMUThreadTaskSettingDeleteEx&>(*task));
        break;
    case TASK_RAM_FOLDER:
        OnRamFolderDone(static_cast<CVMUThreadTaskRAMFolderEX&>(*task));
        break;
    default:
        if (!OnOtherTaskDone(*task)) return false;
        break;
    }
    delete task;
    // A chain that ended without reaching the RAM-folder step still lets the start-up pass go on.
    if (m_startupActive && m_manager.IsIdle() && !m_pending) StartupPass();
    return true;
}

void CDiskSequencer::OnMountDone(CVMUThreadTaskMountEX& task) {
    const std::wstring& path = task.SettingsPath;
    CVelmoraEXData disk;
    m_manager.FindDisk(path, disk);
    const uint32_t result = static_cast<uint32_t>(task.Result);
    if (task.Result == 0) {
        m_manager.SetStatusFromReply(path, task.Reply);
        if (task.Reply.imageMode) {
            m_host.ShowMessageBox(M::AppTitle(), UTaskMessages::RunningInImageMode(), MB_ICONASTERISK);
        } else {
            const std::wstring title = disk.Setting.SaveType == SAVE_NONE ? M::EnabledTitle()
                                       : task.Recreated == 1              ? M::RecreatedTitle()
                                                                          : M::CreatedTitle();
            Balloon(M::DiskMounted(static_cast<wchar_t>(task.Reply.driveLetter),
                                   static_cast<int64_t>(task.Reply.sizeFigure1 >> 20)),
                    title, BALLOON_INFO);
        }
        SetIdle(path);
        RunEnableChain(path, 0, false);
        return;
    }
    if (result == RAMDISK_ERROR_NO_MEMORY) {
        if (disk.Setting.SaveType != SAVE_NONE && task.RetryAllowed == 1) {
            Balloon(M::RetryingInImageMode(), M::DiskTitle(), BALLOON_ERROR);
            SetIdle(path);
            PostMount(path, MOUNT_IMAGE_MODE_RETRY, 0, 0, 0, OP_ENABLE_MOUNT_IMAGE);
        } else {
            SetIdle(path);
            m_host.ShowMessageBox(M::AppTitle(), M::MemoryShortNoImage(), MB_ICONASTERISK);
        }
        return;
    }
    if (result == RAMDISK_ERROR_IMAGE && task.RetryAllowed == 1) {
        const int answer =
            m_host.ShowMessageBox(M::AppTitle(), M::ImageUnreadable(), MB_CANCELTRYCONTINUE | MB_ICONHAND);
        SetIdle(path);
        if (answer == IDTRYAGAIN) {
            PostMount(path, MOUNT_FIRST_ATTEMPT, 1, 0, 0,
                      disk.Setting.SaveType != SAVE_NONE ? OP_ENABLE_MOUNT_IMAGE : OP_ENABLE_MOUNT);
        } else if (answer == IDCONTINUE) {
            CVelmoraEXPropertyData property;
            property.OldSetting = disk.Setting;
            property.NewSetting = disk.Setting;
            property.NewSetting.SaveType = SAVE_NONE;
            property.ChangeFlags = CHANGE_BACKUP_OFF;
            property.NeedsRemount = 1;
            property.SettingsPath = path;
            BeginSettingsChange(property);
        }
        return;
    }
    const std::wstring text = M::DriverError(M::CannotEnable(), task.Result);
    if (task.ShowErrorBox == 1)
        m_host.ShowMessageBox(M::AppTitle(), text, MB_ICONHAND);
    else
        Balloon(text, M::DiskTitle(), BALLOON_ERROR);
    SetIdle(path);
}

void CDiskSequencer::OnUnmountDone(CVMUThreadTaskUnmountEX& task) {
    const std::wstring& path = task.SettingsPath;
    const int32_t operation = OperationOf(path);
    if (task.Result == 0 && task.Message.empty()) {
        m_manager.ClearStatus(path);
        Balloon(M::Disabled(), M::DiskTitle(), BALLOON_INFO);
        SetIdle(path);
        if (operation == OP_SETTINGS_UNMOUNT)
            RunSettingsChain(2);
        else if (operation == OP_DELETE_UNMOUNT)
            PostSettingsDelete(path);
        return;
    }
    const bool imageError = static_cast<uint32_t>(task.Result) == RAMDISK_ERROR_IMAGE;
    if (operation == OP_SETTINGS_UNMOUNT && (imageError || !task.Message.empty())) {
        const int answer = imageError ? m_host.ShowMessageBox(M::DiskTitle(), M::SaveFailedOnChange(),
                                                              MB_RETRYCANCEL | MB_ICONHAND)
                                      : m_host.ShowMessageBox(M::AppTitle(), task.Message, MB_RETRYCANCEL | MB_ICONHAND);
        SetIdle(path);
        RunSettingsChain(answer == IDRETRY ? 1 : SETTINGS_STEP_ROLLBACK);
        return;
    }
    if (operation == OP_DISABLE_UNMOUNT && imageError) {
        const int answer =
            m_host.ShowMessageBox(M::DiskTitle(), M::SaveFailedOnDisable(), MB_YESNO | MB_ICONHAND | MB_DEFBUTTON2);
        SetIdle(path);
        if (answer == IDYES) PostUnmount(path, 0, OP_DISABLE_UNMOUNT);
        return;
    }
    if (operation == OP_SETTINGS_UNMOUNT) {
        if (m_pending) m_manager.SavePendingSettings(*m_pending);
        const int answer = m_host.ShowMessageBox(M::AppTitle(), UTaskMessages::RestartForNewSettings(),
                                                 MB_YESNO | MB_ICONEXCLAMATION);
        SetIdle(path);
        if (m_pending && m_pending->NewSetting.SaveType != SAVE_NONE)
            CreateFolderTree(m_pending->NewSetting.BackupBaseDir);
        if (answer == IDYES) m_host.RestartWindows();
        RunSettingsChain(SETTINGS_STEP_COMMIT);
        return;
    }
    if (operation == OP_DELETE_UNMOUNT) {
        const int answer = m_host.ShowMessageBox(M::AppTitle(), UTaskMessages::RestartToFinishDeletion(),
                                                 MB_YESNO | MB_ICONEXCLAMATION);
        ULoadSettings::UnregisterAtStartup(path);
        MoveFileExW(path.c_str(), USettingsPaths::GetPendingDeletionPath(path).c_str(), MOVEFILE_REPLACE_EXISTING);
        RemoveFromLists(path);
        if (answer == IDYES) m_host.RestartWindows();
        return;
    }
    SetIdle(path);
    if (operation == OP_DISABLE_UNMOUNT) {
        const std::wstring text =
            task.Message.empty() ? M::DriverError(M::CannotDisable(), task.Result) : task.Message;
        Balloon(text, M::DiskTitle(), BALLOON_ERROR);
    }
}

void CDiskSequencer::OnSettingsDone(CVMUThreadTaskSettingEx& task) {
    const std::wstring& path = task.Property.SettingsPath;
    if (!m_pending) {  // nothing left to continue
        SetIdle(path);
        return;
    }
    if (task.Message.empty() && task.Result == 0) {
        m_manager.DeletePendingSettings(path);
        m_manager.SetSetting(path, m_pending->NewSetting);
        SetIdle(path);
        RunSettingsChain(3);
        return;
    }
    // A failure without a text of its own still must not pass for success.
    const std::wstring text = !task.Message.empty()
                                  ? task.Message
                                  : M::ErrorOccurred(L"(" + std::to_wstring(task.Result) + L")");
    if (m_pending->FromSheet == 1) {
        const int answer = m_host.ShowMessageBox(M::AppTitle(), text, MB_RETRYCANCEL | MB_ICONHAND);
        SetIdle(path);
        RunSettingsChain(answer == IDRETRY ? 2 : SETTINGS_STEP_ROLLBACK);
        return;
    }
    m_host.ShowBalloon(text, M::AppTitle(), BALLOON_ERROR);
    SetIdle(path);
    RunSettingsChain(SETTINGS_STEP_ROLLBACK);
}

void CDiskSequencer::OnSettingsDeleteDone(CVMUThreadTaskSettingDeleteEx& task) {
    RemoveFromLists(task.SettingsPath);
    if (task.RestartNeeded == 1) {
        if (m_host.ShowMessageBox(M::AppTitle(), UTaskMessages::RestartToDelete(), MB_YESNO | MB_ICONHAND) == IDYES)
            m_host.RestartWindows();
    } else if (task.Result == 0) {
        Balloon(UTaskMessages::Deleted(), M::DiskTitle(), BALLOON_INFO);
    }
}

void CDiskSequencer::OnRamFolderDone(CVMUThreadTaskRAMFolderEX& task) {
    SetIdle(task.SettingsPath);
    // Only a pass that start-up began goes on; once it has visited every disk, later enables
    // must not resume their disk a second time.
    if (m_startupActive) StartupPass();
}

void CDiskSequencer::OnBrowserDone(const std::wstring& path, bool ieLocationChanged) {
    const int32_t operation = OperationOf(path);
    SetIdle(path);
    if (ieLocationChanged &&
        (operation == OP_ENABLE_BROWSER || operation == OP_DELETE_BROWSER || operation == OP_RESUME_BROWSER))
        Balloon(M::BrowserCacheMoved(), M::AppTitle(), BALLOON_INFO);
    switch (operation) {
    case OP_ENABLE_BROWSER:
        RunEnableChain(path, 1, false);
        break;
    case OP_RESUME_BROWSER:
        RunEnableChain(path, 1, true);
        break;
    case OP_SETTINGS_BROWSER_OFF:
        RunSettingsChain(1);
        break;
    case OP_SETTINGS_BROWSER_ON:
        RunSettingsChain(4);
        break;
    case OP_DELETE_BROWSER:
        RunDeleteChain(path, 2);
        break;
    default:
        break;
    }
}

void CDiskSequencer::OnLinksDone(const std::wstring& path, int32_t subOperation, int32_t result,
                                 const std::vector<CVelmoraEXVlinkData>& links,
                                 const std::vector<std::wstring>& pendingLinks) {
    const int32_t operation = OperationOf(path);
    if (subOperation == 1 || subOperation == 3) m_manager.SetVlinks(path, links);
    if (subOperation == 3) m_manager.SetPendingVlinks(path, pendingLinks);
    SetIdle(path);
    if (subOperation == 1 && result == 0 && operation == OP_DELETE_LINKS) {
        RunDeleteChain(path, 1);
    } else if (subOperation == 2 && (operation == OP_ENABLE_LINKS || operation == OP_RESUME_LINKS)) {
        RunEnableChain(path, 2, operation == OP_RESUME_LINKS);
    } else if (subOperation == 3 && (operation == OP_ENABLE_PENDING_LINKS || operation == OP_RESUME_PENDING_LINKS)) {
        RunEnableChain(path, 3, operation == OP_RESUME_PENDING_LINKS);
    }
}
