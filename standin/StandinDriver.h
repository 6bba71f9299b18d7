#pragma once
// The stand-in's disks and its answers to every request: the driver's six commands and the
// stand-in's own write, read, in-use and stop commands. Requests arrive one at a time (from
// the pipe thread); each disk's background writer runs on its own thread.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "standin/StandinDisk.h"
#include "standin/StandinOptions.h"
#include "standin/StandinRequest.h"
#include "utility/disk/DriverPipeFrame.h"

class CStandinDriver {
public:
    // Largest settings file read, and largest disk made.
    static const uint64_t kMaxSettingsFileBytes = 0x100000;
    static const uint64_t kMaxDriveSize = 0x40000000000ULL;  // 4 TiB

    explicit CStandinDriver(const CStandinOptions& options, FILE* log = nullptr);
    CStandinDriver(const CStandinDriver&) = delete;
    CStandinDriver& operator=(const CStandinDriver&) = delete;
    ~CStandinDriver();

    // Picks and creates the RAM folder: --ram-dir, else a folder on /dev/shm under Wine, else
    // one in the temporary folder. Left-over RAM files of stopped stand-ins are deleted.
    DWORD PrepareRamFolder();
    const std::wstring& RamFolder() const { return m_ramFolder; }

    // The answer to one request; never throws.
    UDriverPipeFrame::Reply Handle(const UDriverPipeFrame::Request& request);

    // Creates the disk of every settings file registered under the LoadSettings key; a disk
    // short of memory runs from its image when it has one. Returns how many were created.
    size_t CreateStartupDisks();

    // Saves what the disks with a backup have not saved yet and removes every disk.
    void RemoveAll();

    bool StopRequested() const { return m_stopRequested; }
    size_t DiskCount() const { return m_disks.size(); }

    // True when running under Wine (ntdll exports wine_get_version).
    static bool UnderWine();

private:
    using Command = UStandinRequest::Command;

    UDriverPipeFrame::Reply Dispatch(const Command& command);
    uint32_t Create(const std::wstring& diskId, bool imageModeRequest, RamDiskStatus& status);
    uint32_t Remove(const Command& command);
    uint32_t SaveAndRemove(const Command& command);
    // Closes the disk's drive and writes what it has not saved: the error word of a remove.
    // When the data cannot be saved the drive is opened again, so the disk stays usable.
    uint32_t CloseForRemove(CStandinDisk& disk, bool save);
    // Finds out once whether disks can be opened as drives, and cleans what ended stand-ins left.
    void PrepareDrives();
    void OpenDrive(CStandinDisk& disk);

    // Reads the disk's [RamDisk] and [Setting] values; an error word.
    uint32_t ReadSettings(const std::wstring& path, StandinDiskSettings& settings, unsigned char& letter);
    // The letter for a new disk: the asked one when free, or the first free for automatic.
    uint32_t ChooseLetter(unsigned char asked, wchar_t& letter);
    // True when a disk of size bytes fits the budget and the RAM folder's free space.
    bool FitsInMemory(uint64_t size);

    CStandinDisk* Find(const std::wstring& diskId);
    void Erase(CStandinDisk* disk);
    void Log(const wchar_t* format, ...);

    CStandinOptions m_options;
    FILE* m_log;
    std::wstring m_ramFolder;
    unsigned m_fileSerial = 0;
    bool m_stopRequested = false;
    CStandinMount::Support m_driveSupport;
    std::vector<std::unique_ptr<CStandinDisk>> m_disks;
};
