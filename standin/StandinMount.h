#pragma once
// A disk's RAM file opened as a Windows drive under Wine: the volume in it mounted through FUSE
// (ntfs-3g for NTFS, fusefat for FAT) at a folder beside the RAM file, and the disk's letter
// defined for that folder as a RAM-disk drive. Closing removes the letter, unmounts and waits
// for the FUSE program to end, so that every write is in the RAM file before it is saved.
#include <windows.h>

#include <string>

#include "standin/StandinUnixSide.h"

class CStandinMount {
public:
    // What this machine can mount; found once by the driver.
    struct Support {
        bool fuse = false;
        bool ntfs = false;
        bool fat = false;
        // Why some or all disks will not be drives; empty when every volume can be.
        std::wstring missing;
    };
    static Support Probe();

    // True when a process other than the disk's FUSE program has "<ramFolder>\<stem>.ram" open:
    // a stand-in that runs, also one under another Wine prefix (where sharing modes do not reach).
    static bool HeldElsewhere(const std::wstring& ramFolder, const std::wstring& stem);

    // Unmounts and undefines what stand-ins that ended without closing left in ramFolder: the
    // mount folders whose RAM file is gone or not open any more. Returns how many.
    static int CleanStale(const std::wstring& ramFolder);

    // ramFile is "<ramFolder>\<stem>.ram".
    CStandinMount(const std::wstring& ramFolder, const std::wstring& stem, wchar_t letter);
    CStandinMount(const CStandinMount&) = delete;
    CStandinMount& operator=(const CStandinMount&) = delete;
    ~CStandinMount();

    // Mounts ramFile and defines the letter; false with a reason for the log.
    bool Open(const std::wstring& ramFile, UStandinUnixSide::DriveFileSystem fileSystem, std::wstring& reason);

    enum class CloseResult { Closed, Busy, Failed };
    // Removes the letter and unmounts. Busy (letter defined again) when files on the drive are
    // open and not force; force unmounts lazily and waits for the FUSE program all the same.
    CloseResult Close(bool force);

    // After the FUSE program has gone: unmounts what it left and mounts the RAM file again under
    // the same letter; false with a reason for the log (the drive is closed then).
    bool Reopen(std::wstring& reason);

    bool IsOpen() const { return m_open; }
    // False when the drive does not answer, as when the FUSE program has gone while it was open.
    bool Alive() const;
    // True while the FUSE program of the open drive runs (asks the Linux side).
    bool ProgramRunning() const;
    wchar_t Letter() const { return m_letter; }

private:
    std::wstring Path(const wchar_t* suffix) const;

    const std::wstring m_folder;
    const std::wstring m_stem;
    const wchar_t m_letter;
    UStandinUnixSide::DriveFileSystem m_fileSystem = UStandinUnixSide::DriveFileSystem::Ntfs;
    std::wstring m_ramFile;
    std::string m_mountUnix;
    bool m_open = false;
};
