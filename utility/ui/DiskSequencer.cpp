#include "utility/ui/DiskSequencer.h"

#include <windows.h>

#include <dbt.h>

#include "framework/FileSystem.h"
#include "utility/core/LoadSettings.h"
#include "utility/core/PendingSettings.h"
#include "utility/core/SettingsPaths.h"
#include "utility/core/TaskMessages.h"
#include "utility/core/VMUThreadTaskBrowserSettingEX.h"
#include "utility/core/VMUThreadTaskMountEX.h"
#include "utility/core/VMUThreadTaskRAMFolderEX.h"
#include "utility/core/VMUThreadTaskSettingDeleteEx.h"
#include "utility/core/VMUThreadTaskSettingEx.h"
#include "utility/core/VMUThreadTaskUnmountEX.h"
#include "utility/core/VMUThreadTaskVlinkEX.h"
#include "utility/core/VelmoraEXManager.h"
#include "utility/disk/DeviceNotifier.h"
#include "utility/disk/FolderCreation.h"
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

// The operation code a mount shows: into the backup image (made anew or kept), or plain.
int32_t MountOperation(const CVelmoraEXSettingData& setting, bool recreated) {
    if (setting.SaveType == SAVE_NONE) return OP_ENABLE_MOUNT;
    return recreated ? OP_ENABLE_MOUNT_RECREATED : OP_ENABLE_MOUNT_IMAGE;
}

bool Has(uint32_t flags, MountFlags flag) { return (flags & flag) != 0; }

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

bool CDiskSequencer::PostMount(const std::wstring& path, int32_t kind, uint32_t flags, int32_t operation) {
    auto* task = new CVMUThreadTaskMountEX;
    task->SettingsPath = path;
    task->MountKind = kind;
    task->RetryAllowed = Has(flags, MOUNT_RETRY_ALLOWED) ? 1 : 0;
    task->Recreated = Has(flags, MOUNT_RECREATED) ? 1 : 0;
    task->ShowErrorBox = Has(flags, MOUNT_ERROR_BOX) ? 1 : 0;
    return Submit(task, path, operation);
}

bool CDiskSequencer::PostUnmount(const std::wstring& path, UnmountSave save, int32_t operation) {
    auto* task = new CVMUThreadTaskUnmountEX;
    task->SettingsPath = path;
    task->SaveOnRemove = static_cast<uint8_t>(save);
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

bool CDiskSequencer::PostBrowserTask(const std::wstring& path, wchar_t driveLetter,
                                     const CVelmoraEXCacheSettingData& request, CacheSwitch switchTo, DiskBackup backup,
                                     int32_t operation) {
    auto* task = new CVMUThreadTaskBrowserSettingEX;
    task->DriveLetter = driveLetter;
    task->SettingsPath = path;
    task->SwitchOn = static_cast<int32_t>(switchTo);
    task->NoBackup = static_cast<int32_t>(backup);
    task->Request = request;
    return Submit(task, path, operation);
}

// ---- virtual links -------------------------------------------------------------------------

bool CDiskSequencer::PostLinkTask(const std::wstring& path, LinkOperation linkOperation, int32_t operation) {
    CVelmoraEXData disk;
    if (!m_manager.FindDisk(path, disk)) return false;
    auto* task = new CVMUThreadTaskVlinkEX;
    task->SubOperation = static_cast<int32_t>(linkOperation);
    task->DriveLetter = disk.Status.CurrentLetter;
    task->SettingsPath = path;
    task->Links = disk.Vlinks;
    if (linkOperation == LinkOperation::Remove) {
        // The pending links travel as records with only their source folder.
        for (const std::wstring& source : disk.PendingVlinks) task->Links.emplace_back(source, L"", L"");
    } else {
        task->PendingLinks = disk.PendingVlinks;
    }
    task->Commands = &m_host.LinkCommands();
    return Submit(task, path, operation);
}

void CDiskSequencer::OnLinkTaskDone(CVMUThreadTaskVlinkEX& task) {
    OnLinksDone(task.SettingsPath, static_cast<LinkOperation>(task.SubOperation), task.Result, task.Links,
                task.PendingLinks);
}

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
    CVelmoraEXSettingData pending;
    if (UPendingSettings::ReadUsable(path, pending)) {
        CVelmoraEXPropertyData property;
        property.NewSetting = pending;
        property.NewSetting.LoadAtStartup = ULoadSettings::IsRegisteredAtStartup(path) ? 1 : 0;
        property.OldSetting = disk.Setting;
        property.SettingsPath = path;
        property.ComputeChanges(disk.Status.Mode != MODE_NOT_MOUNTED ? 1 : 0);
        property.NeedsRemount = 1;
        property.PromotePending = 1;
        property.PendingPath = USettingsPaths::GetPendingSettingsPath(path);
        BeginSettingsChange(property);
        return;
    }
    PostMount(path, MOUNT_FIRST_ATTEMPT, MOUNT_RETRY_ALLOWED, MountOperation(disk.Setting, false));
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
    UnmountSave save = UnmountSave::Save;
    if (disk.Setting.SaveType == SAVE_NONE) {
        if (m_host.ShowMessageBox(M::AppTitle(), UTaskMessages::DisableLosesData(), MB_OKCANCEL | MB_ICONEXCLAMATION) !=
            IDOK)
            return;
        save = UnmountSave::Discard;
    }
    PostUnmount(path, save, OP_DISABLE_UNMOUNT);
}

void CDiskSequencer::DeleteDisk(const std::wstring& path) { RunDeleteChain(path, DeleteStep::Links); }

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
    RunSettingsChain(SettingsStep::CachesOff);
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
            RunEnableChain(path, EnableStep::Caches, true);
        else if (disk.Setting.LoadAtStartup == 1)
            EnableDisk(path);
        // A disk that started a task continues the pass when its chain ends.
    }
}

// ---- chains ----------------------------------------------------------------------------------

void CDiskSequencer::RunSettingsChain(SettingsStep step) {
    if (!m_pending) return;
    if (step == SettingsStep::Commit || step == SettingsStep::Rollback) {
        FinishSettingsChange(step == SettingsStep::Commit);
        return;
    }
    const CVelmoraEXPropertyData& p = *m_pending;
    const std::wstring path = p.SettingsPath;
    CVelmoraEXData disk;
    m_manager.FindDisk(path, disk);

    if (step <= SettingsStep::CachesOff) {
        CVelmoraEXCacheSettingData off = SwitchedCaches(p, 1, 0);
        if (AnyCache(off)) {
            if (!PostBrowserTask(path, disk.Status.CurrentLetter, off, CacheSwitch::Off, DiskBackup::Kept,
                                 OP_SETTINGS_BROWSER_OFF))
                FinishSettingsChange(false);
            return;
        }
    }
    if (step <= SettingsStep::Unmount) {
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
    if (step <= SettingsStep::Write) {
        auto* task = new CVMUThreadTaskSettingEx;
        task->Property = p;
        if (!Submit(task, path, p.IsNew ? OP_SETTINGS_WRITE_NEW : OP_SETTINGS_WRITE)) FinishSettingsChange(false);
        return;
    }
    if (step <= SettingsStep::CachesOnOrMount) {
        if (m_manager.IsMounted(path)) {
            CVelmoraEXCacheSettingData on = SwitchedCaches(p, 0, 1);
            if (AnyCache(on) && disk.Status.CurrentLetter) {
                // The settings already name these caches: a step that never ran is not a success.
                if (!PostBrowserTask(path, disk.Status.CurrentLetter, on, CacheSwitch::On, DiskBackup::Kept,
                                     OP_SETTINGS_BROWSER_ON))
                    FinishSettingsChange(false);
                return;
            }
        } else if (p.NeedsRemount == 1) {
            const bool recreated = (p.ChangeFlags & kNewImageChanges) != 0;
            const uint32_t flags =
                (recreated ? MOUNT_RECREATED : MOUNT_NO_FLAGS) | (p.FromSheet == 1 ? MOUNT_ERROR_BOX : MOUNT_NO_FLAGS);
            PostMount(path, MOUNT_FIRST_ATTEMPT, flags, MountOperation(disk.Setting, recreated));
            FinishSettingsChange(true);
            return;
        }
    }
    if (step <= SettingsStep::RestartPrompt) {
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

void CDiskSequencer::RunEnableChain(const std::wstring& path, EnableStep step, bool resume) {
    CVelmoraEXData disk;
    if (!m_manager.FindDisk(path, disk)) return;
    const wchar_t letter = disk.Status.CurrentLetter;
    if (!letter) return;
    if (step <= EnableStep::Caches && AnyCache(disk.Setting.CacheSetting)) {
        PostBrowserTask(path, letter, disk.Setting.CacheSetting, CacheSwitch::On,
                        disk.Setting.SaveType == SAVE_NONE ? DiskBackup::None : DiskBackup::Kept,
                        resume ? OP_RESUME_BROWSER : OP_ENABLE_BROWSER);
        return;
    }
    if (step <= EnableStep::Links && !disk.Vlinks.empty()) {
        PostLinkTask(path, LinkOperation::Create, resume ? OP_RESUME_LINKS : OP_ENABLE_LINKS);
        return;
    }
    if (step <= EnableStep::PendingLinks && !disk.PendingVlinks.empty()) {
        PostLinkTask(path, LinkOperation::CreatePending, resume ? OP_RESUME_PENDING_LINKS : OP_ENABLE_PENDING_LINKS);
        return;
    }
    if (step <= EnableStep::RamFolder) {
        auto* task = new CVMUThreadTaskRAMFolderEX;
        task->SettingsPath = path;
        task->DriveLetter = letter;
        Submit(task, path, resume ? OP_RESUME_RAM_FOLDER : OP_ENABLE_RAM_FOLDER);
    }
}

void CDiskSequencer::RunDeleteChain(const std::wstring& path, DeleteStep step) {
    CVelmoraEXData disk;
    if (!m_manager.FindDisk(path, disk)) return;
    // Links and browser folders must be put back before the disk goes: a task that cannot be
    // posted stops the delete with the disk kept.
    if (step <= DeleteStep::Links && !disk.Vlinks.empty()) {
        PostLinkTask(path, LinkOperation::Remove, OP_DELETE_LINKS);
        return;
    }
    if (step <= DeleteStep::Caches && AnyCache(disk.Setting.CacheSetting)) {
        PostBrowserTask(path, disk.Status.CurrentLetter, disk.Setting.CacheSetting, CacheSwitch::Off, DiskBackup::Kept,
                        OP_DELETE_BROWSER);
        return;
    }
    if (step <= DeleteStep::Unmount && m_manager.IsMounted(path)) {
        PostUnmount(path, UnmountSave::Discard, OP_DELETE_UNMOUNT);
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
        case TASK_VLINK:
            OnLinkTaskDone(static_cast<CVMUThreadTaskVlinkEX&>(*task));
            break;
        case TASK_BROWSER_SETTING:
            OnBrowserDone(static_cast<CVMUThreadTaskBrowserSettingEX&>(*task));
            break;
        default:
            return false;
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
        RunEnableChain(path, EnableStep::Caches, false);
        return;
    }
    if (result == RAMDISK_ERROR_NO_MEMORY) {
        if (disk.Setting.SaveType != SAVE_NONE && task.RetryAllowed == 1) {
            Balloon(M::RetryingInImageMode(), M::DiskTitle(), BALLOON_ERROR);
            SetIdle(path);
            PostMount(path, MOUNT_IMAGE_MODE_RETRY, MOUNT_NO_FLAGS, OP_ENABLE_MOUNT_IMAGE);
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
            PostMount(path, MOUNT_FIRST_ATTEMPT, MOUNT_RETRY_ALLOWED, MountOperation(disk.Setting, false));
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
            RunSettingsChain(SettingsStep::Write);
        else if (operation == OP_DELETE_UNMOUNT)
            PostSettingsDelete(path);
        return;
    }
    const bool imageError = static_cast<uint32_t>(task.Result) == RAMDISK_ERROR_IMAGE;
    if (operation == OP_SETTINGS_UNMOUNT && (imageError || !task.Message.empty())) {
        const int answer =
            imageError ? m_host.ShowMessageBox(M::DiskTitle(), M::SaveFailedOnChange(), MB_RETRYCANCEL | MB_ICONHAND)
                       : m_host.ShowMessageBox(M::AppTitle(), task.Message, MB_RETRYCANCEL | MB_ICONHAND);
        SetIdle(path);
        RunSettingsChain(answer == IDRETRY ? SettingsStep::Unmount : SettingsStep::Rollback);
        return;
    }
    if (operation == OP_DISABLE_UNMOUNT && imageError) {
        const int answer =
            m_host.ShowMessageBox(M::DiskTitle(), M::SaveFailedOnDisable(), MB_YESNO | MB_ICONHAND | MB_DEFBUTTON2);
        SetIdle(path);
        if (answer == IDYES) PostUnmount(path, UnmountSave::Discard, OP_DISABLE_UNMOUNT);
        return;
    }
    if (operation == OP_SETTINGS_UNMOUNT) {
        if (m_pending) m_manager.SavePendingSettings(*m_pending);
        const int answer =
            m_host.ShowMessageBox(M::AppTitle(), UTaskMessages::RestartForNewSettings(), MB_YESNO | MB_ICONEXCLAMATION);
        SetIdle(path);
        if (m_pending && m_pending->NewSetting.SaveType != SAVE_NONE)
            UFolderCreation::CreateFolderPath(m_pending->NewSetting.BackupBaseDir, nullptr);
        if (answer == IDYES) m_host.RestartWindows();
        RunSettingsChain(SettingsStep::Commit);
        return;
    }
    if (operation == OP_DELETE_UNMOUNT) {
        const int answer = m_host.ShowMessageBox(M::AppTitle(), UTaskMessages::RestartToFinishDeletion(),
                                                 MB_YESNO | MB_ICONEXCLAMATION);
        UPendingSettings::SetAsideForDeletion(path);
        RemoveFromLists(path);
        if (answer == IDYES) m_host.RestartWindows();
        return;
    }
    SetIdle(path);
    if (operation == OP_DISABLE_UNMOUNT) {
        const std::wstring text = task.Message.empty() ? M::DriverError(M::CannotDisable(), task.Result) : task.Message;
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
        RunSettingsChain(SettingsStep::CachesOnOrMount);
        return;
    }
    // A failure without a text of its own still must not pass for success.
    const std::wstring text =
        !task.Message.empty() ? task.Message : M::ErrorOccurred(L"(" + std::to_wstring(task.Result) + L")");
    if (m_pending->FromSheet == 1) {
        const int answer = m_host.ShowMessageBox(M::AppTitle(), text, MB_RETRYCANCEL | MB_ICONHAND);
        SetIdle(path);
        RunSettingsChain(answer == IDRETRY ? SettingsStep::Write : SettingsStep::Rollback);
        return;
    }
    m_host.ShowBalloon(text, M::AppTitle(), BALLOON_ERROR);
    SetIdle(path);
    RunSettingsChain(SettingsStep::Rollback);
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

void CDiskSequencer::OnBrowserDone(CVMUThreadTaskBrowserSettingEX& task) {
    const std::wstring& path = task.SettingsPath;
    const int32_t operation = OperationOf(path);
    const bool ieLocationChanged = task.Outcome.IECache == 1 || task.Outcome.IEHistory == 1;
    SetIdle(path);
    if (ieLocationChanged &&
        (operation == OP_ENABLE_BROWSER || operation == OP_DELETE_BROWSER || operation == OP_RESUME_BROWSER))
        Balloon(M::BrowserCacheMoved(), M::AppTitle(), BALLOON_INFO);
    switch (operation) {
        case OP_ENABLE_BROWSER:
            RunEnableChain(path, EnableStep::Links, false);
            break;
        case OP_RESUME_BROWSER:
            RunEnableChain(path, EnableStep::Links, true);
            break;
        case OP_SETTINGS_BROWSER_OFF:
            RunSettingsChain(SettingsStep::Unmount);
            break;
        case OP_SETTINGS_BROWSER_ON:
            RunSettingsChain(SettingsStep::RestartPrompt);
            break;
        case OP_DELETE_BROWSER:
            RunDeleteChain(path, DeleteStep::Unmount);
            break;
        default:
            break;
    }
}

void CDiskSequencer::OnLinksDone(const std::wstring& path, LinkOperation linkOperation, int32_t result,
                                 const std::vector<CVelmoraEXVlinkData>& links,
                                 const std::vector<std::wstring>& pendingLinks) {
    const int32_t operation = OperationOf(path);
    const bool removed = linkOperation == LinkOperation::Remove;
    const bool createdPending = linkOperation == LinkOperation::CreatePending;
    // The task's lists are what is on disk now, whatever its sub-operation.
    m_manager.SetVlinks(path, links);
    m_manager.SetPendingVlinks(path, pendingLinks);
    SetIdle(path);
    if (removed && result == 0 && operation == OP_DELETE_LINKS) {
        RunDeleteChain(path, DeleteStep::Caches);
    } else if (linkOperation == LinkOperation::Create &&
               (operation == OP_ENABLE_LINKS || operation == OP_RESUME_LINKS)) {
        RunEnableChain(path, EnableStep::PendingLinks, operation == OP_RESUME_LINKS);
    } else if (createdPending && (operation == OP_ENABLE_PENDING_LINKS || operation == OP_RESUME_PENDING_LINKS)) {
        RunEnableChain(path, EnableStep::RamFolder, operation == OP_RESUME_PENDING_LINKS);
    }
}
