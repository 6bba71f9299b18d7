#pragma once
// Shell scripts the stand-in runs on the Linux side under Wine to open a disk's RAM file as a
// file system through FUSE and to close it again. Portable: only text is built here.
#include <string>

namespace UStandinMountScripts {

// Exit-code bits of Probe().
enum ProbeBits { kNoFuse = 1, kNoNtfsProgram = 2, kNoFatProgram = 4 };

// Exit codes of Mount() and Unmount() besides 0.
enum ScriptError {
    kFolderUnusable = 3,  // mount folder cannot be made, or something is mounted there already
    kMountFailed = 4,     // the FUSE program ended without mounting
    kMountTimeout = 5,    // not mounted in time (the program is stopped)
    kBusy = 6,            // files on the volume are open
    kDaemonStuck = 7,     // unmounted, but the FUSE program did not end in time
};

// The text in single quotes, safe as one word of a shell command line.
std::string Quote(const std::string& text);

// Exits with the ProbeBits of what is missing (0: both file systems can be mounted).
std::string Probe();

// Mounts image (an NTFS volume when ntfs, else FAT) at folder, leaving the FUSE program running
// in its own session with its output in logFile and its process id in pidFile. Exits 0 once the
// folder is a mount point.
std::string Mount(bool ntfs, const std::string& image, const std::string& folder, const std::string& pidFile,
                  const std::string& logFile, unsigned timeoutMs);

// Unmounts folder (lazily when lazy: open files no longer hold it), then waits until the FUSE
// program of pidFile has ended, so every write of it is in the image; removes folder and pidFile.
// A volume whose program has died is unmounted as well. Exits 0 when nothing is mounted there
// any more.
std::string Unmount(const std::string& folder, const std::string& pidFile, bool lazy, unsigned timeoutMs);

// Exits 0 when a process other than the FUSE program of pidFile has file open: a stand-in that
// runs (under any Wine prefix) holds its RAM file.
std::string HeldElsewhere(const std::string& file, const std::string& pidFile);

// Exits 0 while the FUSE program of pidFile runs.
std::string Running(const std::string& pidFile);

}  // namespace UStandinMountScripts
