#pragma once
// The chains of worker tasks that enable, disable, delete and reconfigure RAM disks: starts the
// first task of a chain, takes each finished task back, tells the user the outcome and posts
// the next task from the disk's operation code. Window thread only; one task at a time.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "utility/core/VelmoraEXCacheSettingData.h"
#include "utility/core/VelmoraEXPropertyData.h"
#include "common/VelmoraEXVlinkData.h"

class CVelmoraEXManager;
class CVMUThreadTaskHeader;
class CVMUThreadTaskMountEX;
class CVMUThreadTaskUnmountEX;
class CVMUThreadTaskSettingEx;
class CVMUThreadTaskSettingDeleteEx;
class CVMUThreadTaskRAMFolderEX;
class CVMUThreadTaskBrowserSettingEX;
class CVMUThreadTaskVlinkEX;
class ISequencerHost;

// DiskOperation codes of the steps of a chain.
enum : int32_t {
    OP_IDLE = 1,
    OP_ENABLE_MOUNT = 2,
    OP_ENABLE_BROWSER = 3,
    OP_ENABLE_RAM_FOLDER = 4,
    OP_ENABLE_LINKS = 5,
    OP_ENABLE_PENDING_LINKS = 6,
    OP_DISABLE_UNMOUNT = 7,
    OP_SAVING = 8,
    OP_ENABLE_MOUNT_IMAGE = 9,
    OP_ENABLE_MOUNT_RECREATED = 10,
    OP_SETTINGS_WRITE = 11,
    OP_SETTINGS_WRITE_NEW = 12,
    OP_SETTINGS_UNMOUNT = 13,
    OP_SETTINGS_BROWSER_OFF = 14,
    OP_SETTINGS_BROWSER_ON = 15,
    OP_DELETE_SETTINGS = 16,
    OP_DELETE_UNMOUNT = 17,
    OP_DELETE_BROWSER = 18,
    OP_DELETE_LINKS = 19,
    OP_RESUME_BROWSER = 20,
    OP_RESUME_RAM_FOLDER = 21,
    OP_RESUME_LINKS = 22,
    OP_RESUME_PENDING_LINKS = 23,
};

// Steps of each chain in order: a chain entered at a step skips the steps before it.
enum class SettingsStep : int {
    CachesOff = 0,        // switch off the browser caches the change turns off
    Unmount = 1,          // unmount a disk that the change makes anew
    Write = 2,            // write the settings, creating, moving or deleting the image
    CachesOnOrMount = 3,  // switch on the caches the change turns on, or mount the disk again
    RestartPrompt = 4,    // offer the restart that an Internet Explorer folder change needs
    Commit = 10,          // end the change, keeping it
    Rollback = 100,       // end the change, dropping a new disk's record
};
enum class EnableStep : int {  // after the mount
    Caches = 0,
    Links = 1,
    PendingLinks = 2,
    RamFolder = 3,
};
enum class DeleteStep : int {
    Links = 0,  // links and browser folders go back before the disk goes
    Caches = 1,
    Unmount = 2,
    Settings = 3,
};

// What a virtual-link task does (its sub-operation code).
enum class LinkOperation : int32_t {
    Remove = 1,
    Create = 2,
    CreatePending = 3,
};

// What a browser-cache task does with the caches it is given, and whether the disk keeps a
// backup (the task's switch and no-backup values).
enum class CacheSwitch : int32_t {
    Off = 0,
    On = 1,
};
enum class DiskBackup : int32_t {
    Kept = 0,
    None = 1,
};

// Flags of a mount task: a second attempt may follow (image mode after a memory shortage,
// another try after an unreadable image), the disk was made anew, errors show in a box rather
// than a balloon.
enum MountFlags : uint32_t {
    MOUNT_NO_FLAGS = 0,
    MOUNT_RETRY_ALLOWED = 1u << 0,
    MOUNT_RECREATED = 1u << 1,
    MOUNT_ERROR_BOX = 1u << 2,
};

// Whether an unmount saves the disk's contents to its image first.
enum class UnmountSave : uint8_t {
    Discard = 0,
    Save = 1,
};

// Results of PostTask.
enum : int {
    POST_DONE = 0,
    POST_BUSY = 1,
    POST_FAILED = -1,
};

class CDiskSequencer {
public:
    CDiskSequencer(CVelmoraEXManager& manager, ISequencerHost& host);
    virtual ~CDiskSequencer();
    CDiskSequencer(const CDiskSequencer&) = delete;
    CDiskSequencer& operator=(const CDiskSequencer&) = delete;

    // Clears the task's Result and Message and posts it, marking the disk of settingsPath (when
    // not empty) with operation. POST_BUSY while any disk is busy, POST_FAILED when the worker
    // did not take it; on either the caller still owns the task.
    int PostTask(CVMUThreadTaskHeader* task, const std::wstring& settingsPath, int32_t operation);
    // The busy notice (balloon 6000).
    void ReportBusy();

    // Disks are named by their settings-file path.
    void EnableDisk(const std::wstring& settingsPath);
    void DisableDisk(const std::wstring& settingsPath);
    void DeleteDisk(const std::wstring& settingsPath);
    void BeginSettingsChange(const CVelmoraEXPropertyData& property);
    // Handles the next disk not visited since start-up; moves past disks that need no task.
    void StartupPass();

    // A task came back from the worker. True when handled (the task is then destroyed); false
    // for types the sequencer does not handle (the status task), which the caller keeps.
    bool OnTaskDone(CVMUThreadTaskHeader* task);

    // The settings change in progress, or null.
    const CVelmoraEXPropertyData* PendingChange() const { return m_pending.get(); }

private:
    bool PostMount(const std::wstring& path, int32_t kind, uint32_t flags, int32_t operation);
    bool PostUnmount(const std::wstring& path, UnmountSave save, int32_t operation);
    bool PostSettingsDelete(const std::wstring& path);
    // PostTask; on failure deletes the task and reports busy.
    bool Submit(CVMUThreadTaskHeader* task, const std::wstring& path, int32_t operation);
    // Posts a virtual-link task for the disk's links (and, for a removal, its pending links as
    // records with only a source folder); false (task deleted, busy reported) when not posted.
    bool PostLinkTask(const std::wstring& path, LinkOperation linkOperation, int32_t operation);
    // A browser-cache task for the caches of request; false (task deleted, busy reported) when it
    // was not posted.
    bool PostBrowserTask(const std::wstring& path, wchar_t driveLetter, const CVelmoraEXCacheSettingData& request,
                         CacheSwitch switchTo, DiskBackup backup, int32_t operation);
    void SetIdle(const std::wstring& path);
    bool BalloonsAllowed() const;
    void Balloon(const std::wstring& text, const std::wstring& title, int iconKind);
    void RemoveFromLists(const std::wstring& path);

    void RunSettingsChain(SettingsStep step);
    void FinishSettingsChange(bool commit);
    void RunEnableChain(const std::wstring& path, EnableStep step, bool resume);
    void RunDeleteChain(const std::wstring& path, DeleteStep step);

    void OnMountDone(CVMUThreadTaskMountEX& task);
    void OnUnmountDone(CVMUThreadTaskUnmountEX& task);
    void OnSettingsDone(CVMUThreadTaskSettingEx& task);
    void OnSettingsDeleteDone(CVMUThreadTaskSettingDeleteEx& task);
    void OnRamFolderDone(CVMUThreadTaskRAMFolderEX& task);
    void OnLinkTaskDone(CVMUThreadTaskVlinkEX& task);
    void OnBrowserDone(CVMUThreadTaskBrowserSettingEX& task);
    void OnLinksDone(const std::wstring& settingsPath, LinkOperation linkOperation, int32_t result,
                     const std::vector<CVelmoraEXVlinkData>& links, const std::vector<std::wstring>& pendingLinks);
    int32_t OperationOf(const std::wstring& path) const;

    CVelmoraEXManager& m_manager;
    ISequencerHost& m_host;
    std::unique_ptr<CVelmoraEXPropertyData> m_pending;
    bool m_startupActive = false;
};
