#pragma once
// One RAM disk of the stand-in: its bytes in a RAM file (or, in image mode, in its image
// pieces), the blocks not yet in its image, and the background writer that saves them.
// Every result is an error word of StandinErrors.h, 0 on success.
#include <windows.h>

#include <chrono>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "standin/StandinBlockTracker.h"
#include "standin/StandinChangeScan.h"
#include "standin/StandinMount.h"
#include "standin/StandinRamFile.h"
#include "utility/disk/RamDiskStatus.h"

class CListFile;

// What a disk is made of: its [RamDisk] values and the writer's pacing from [Setting].
struct StandinDiskSettings {
    uint64_t driveSize = 0;
    int32_t saveType = 0;    // 0 none, 1 on remove or sync, 2 write back, 3 write through
    int32_t formatType = 4;  // volume of a disk without a backup
    std::wstring backupFolder;
    // Write back: how long dirty data waits before it is written.
    DWORD sleepNoBlockMs = 1000;
    // Pause before a failed write pass is tried again.
    DWORD sleepHaveBlockMs = 1000;
    // Bytes a second a save pass writes at most (0: no limit).
    uint64_t saveRate = 0;
};

class CStandinDisk {
public:
    // Receives one line for the stand-in's output about something that happened to the disk on
    // its writer thread.
    using Notice = std::function<void(const std::wstring&)>;

    // Blocks written to or read from the image in one go: up to 4 MiB.
    static const uint32_t kTransferBytes = 0x400000;
    // Most pieces a new image may have.
    static const uint64_t kMaxPieces = 65536;

    CStandinDisk(const std::wstring& diskId, const StandinDiskSettings& settings, wchar_t letter,
                 Notice notice = Notice());
    CStandinDisk(const CStandinDisk&) = delete;
    CStandinDisk& operator=(const CStandinDisk&) = delete;
    ~CStandinDisk();

    // Makes the RAM file "<ramFolder>\<fileName>" and fills it: from the image pieces when
    // the disk has a backup (0x2000 when they are missing or of the wrong size), otherwise
    // with an empty volume of the FormatType.
    uint32_t StartInRam(const std::wstring& ramFolder, const std::wstring& fileName);
    // Runs the disk from its image pieces, which must exist at their sizes (0x2000 otherwise).
    uint32_t StartOnImage();

    // Opens the disk (in RAM) as a Windows drive of its letter; false with the reason. While it
    // is open the writer watches it, and mounts it again when its FUSE program has gone.
    bool OpenDrive(std::wstring& reason);
    // Closes its drive, so that the RAM file holds every write: 0, or kStandinErrorInUse when
    // files on the drive are open (the drive stays). force closes it all the same.
    uint32_t CloseDrive(bool force);
    bool HasDrive();

    // The test interface: bytes at an offset, marking blocks dirty as any write does.
    uint32_t Write(uint64_t offset, const std::vector<uint8_t>& data);
    uint32_t Read(uint64_t offset, uint32_t length, std::vector<uint8_t>& bytes);

    void FillStatus(RamDiskStatus& status);

    // Writes every dirty block into the image now; 0x2000 when some could not be written.
    uint32_t SaveDirty();
    // Writes the whole disk into a new piece set at basePath with pieceSize-byte pieces;
    // 0x2000 when it cannot be written (the pieces made so far are deleted).
    uint32_t SaveAsNewImage(const std::wstring& basePath, uint64_t pieceSize);

    // While syncing, the writer saves every dirty block at once, and new ones as they come.
    void SetSyncing(bool syncing);
    void SetInUse(bool inUse) { m_inUse = inUse; }

    const std::wstring& Id() const { return m_id; }
    wchar_t Letter() const { return m_letter; }
    bool InUse() const { return m_inUse; }
    bool ImageMode() const { return m_imageMode; }
    bool HasBackup() const { return m_settings.saveType != 0; }
    uint64_t DriveSize() const { return m_settings.driveSize; }
    uint64_t DirtyBytes();
    uint64_t HeldBytes();
    std::wstring ImageBasePath() const;

private:
    using Clock = std::chrono::steady_clock;

    uint32_t LoadFromImage();
    uint32_t FormatVolume();
    // One pass over the dirty blocks; false when a block could not be written (it stays dirty).
    bool FlushPass();
    // Waits as long as writing this many bytes takes at the save rate.
    void PaceSave(uint32_t written);
    // The image set open for writing; false (and closed) when it cannot be opened.
    bool EnsureImageOpen();
    void CloseImage();
    // Reads from the disk's bytes, wherever they are kept; a Windows error code.
    long ReadBytes(void* buffer, uint64_t offset, uint32_t length);
    // Blocks turned dirty: the writer saves them after SleepNoBlock (write back), or at once.
    void NoteDirty(bool now = false);
    // Compares the disk's blocks with what was last saved and marks the changed ones dirty: for
    // writes through the drive, which the stand-in does not see. gated: skipped while the RAM
    // file's time stamp says nothing changed. False when the file could not be read.
    bool ScanForChanges(bool gated);
    // When the open drive's FUSE program has gone: takes in what it wrote, opens the drive again
    // and says so. Skipped while the drive is being opened or closed.
    void WatchDrive();
    void StartWriter();
    void StopWriter();
    void WriterLoop();

    const std::wstring m_id;
    const StandinDiskSettings m_settings;
    const wchar_t m_letter;
    const Notice m_notice;
    bool m_imageMode = false;
    bool m_inUse = false;

    // Guards the RAM file, the image set and the tracker.
    std::mutex m_io;
    CStandinRamFile m_ram;
    std::wstring m_ramFolder;
    std::wstring m_ramStem;
    // Guards the mount; taken before m_io, never while holding it.
    std::mutex m_driveMutex;
    std::unique_ptr<CStandinMount> m_mount;
    // The drive is open: the writer polls it.
    std::atomic<bool> m_watching{false};
    // While the drive is open (and the disk has a backup): digests of the blocks as saved.
    std::unique_ptr<CStandinChangeScan> m_scan;
    std::unique_ptr<CListFile> m_image;
    CStandinBlockTracker m_tracker;

    // Guards the writer's state.
    std::mutex m_writerMutex;
    std::condition_variable m_wake;
    std::thread m_writer;
    bool m_stopping = false;
    bool m_syncing = false;
    bool m_pending = false;       // blocks turned dirty since the last pass began
    bool m_scanNow = false;       // look for writes through the drive without waiting
    Clock::time_point m_dueAt;    // when the oldest of them is to be written (write back)
    Clock::time_point m_retryAt;  // not before this after a failed pass
};
