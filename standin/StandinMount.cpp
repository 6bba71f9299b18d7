#include "standin/StandinMount.h"

#include <cstring>

#include "framework/FindHandle.h"
#include "framework/Handle.h"
#include "standin/StandinMountScripts.h"

namespace Scripts = UStandinMountScripts;
using UStandinUnixSide::DriveFileSystem;

namespace {

// A mount normally takes a tenth of a second, an unmount of a busy volume less.
const DWORD kMountTimeoutMs = 15000;
const DWORD kUnmountTimeoutMs = 30000;
// The script waits this long; the runner a little longer, so that the script's code arrives.
const DWORD kScriptSlackMs = 5000;

const wchar_t kMountSuffix[] = L".mnt";

// The start of what the FUSE program said, on one line.
std::wstring LogExcerpt(const std::wstring& path) {
    CHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr));
    char text[400] = {};
    DWORD got = 0;
    if (!file.IsValid() || !ReadFile(file.Get(), text, sizeof text - 1, &got, nullptr)) return L"(no output)";
    std::wstring line;
    for (DWORD i = 0; i < got; ++i)
        line += (text[i] == '\n' || text[i] == '\r') ? L' ' : static_cast<wchar_t>(text[i] & 0x7F);
    return line;
}

}  // namespace

CStandinMount::Support CStandinMount::Probe() {
    Support support;
    const int bits = UStandinUnixSide::RunScript(Scripts::Probe(), 10000);
    if (bits < 0) {
        support.missing = L"the Linux side cannot be reached (not under Wine)";
        return support;
    }
    support.fuse = !(bits & Scripts::kNoFuse);
    support.ntfs = support.fuse && !(bits & Scripts::kNoNtfsProgram);
    support.fat = support.fuse && !(bits & Scripts::kNoFatProgram);
    if (!support.fuse)
        support.missing = L"no FUSE (/dev/fuse or mountpoint missing)";
    else if (!support.ntfs || !support.fat)
        support.missing = std::wstring(L"no ") + (!support.ntfs ? L"ntfs-3g" : L"") +
                          (!support.ntfs && !support.fat ? L" or " : L"") + (!support.fat ? L"fusefat" : L"");
    return support;
}

CStandinMount::CStandinMount(const std::wstring& ramFolder, const std::wstring& stem, wchar_t letter)
    : m_folder(ramFolder), m_stem(stem), m_letter(letter) {}

CStandinMount::~CStandinMount() {
    if (m_open) Close(true);
}

std::wstring CStandinMount::Path(const wchar_t* suffix) const { return m_folder + L"\\" + m_stem + suffix; }

bool CStandinMount::Open(const std::wstring& ramFile, DriveFileSystem fileSystem, std::wstring& reason) {
    m_fileSystem = fileSystem;
    m_ramFile = ramFile;
    // The letter is part of the folder's name, so that a stand-in cleaning up after another
    // knows which drive to remove.
    const std::wstring mountFolder = Path((std::wstring(L".") + m_letter + kMountSuffix).c_str());
    const std::string image = UStandinUnixSide::UnixName(ramFile);
    m_mountUnix = UStandinUnixSide::UnixName(mountFolder);
    const std::string pidFile = UStandinUnixSide::UnixName(Path(L".pid"));
    const std::string logFile = UStandinUnixSide::UnixName(Path(L".log"));
    if (image.empty() || m_mountUnix.empty() || pidFile.empty() || logFile.empty()) {
        reason = L"no Unix name for the RAM folder";
        return false;
    }
    const int code = UStandinUnixSide::RunScript(
        Scripts::Mount(fileSystem == DriveFileSystem::Ntfs, image, m_mountUnix, pidFile, logFile, kMountTimeoutMs),
        kMountTimeoutMs + kScriptSlackMs);
    if (code != 0) {
        reason = L"mount failed (script code " + std::to_wstring(code) + L"): " + LogExcerpt(Path(L".log"));
        return false;
    }
    if (!UStandinUnixSide::DefineDrive(m_letter, m_mountUnix, fileSystem)) {
        reason = L"the mount manager refused the letter (error " + std::to_wstring(GetLastError()) + L")";
        m_open = true;
        Close(true);
        return false;
    }
    m_open = true;
    return true;
}

CStandinMount::CloseResult CStandinMount::Close(bool force) {
    if (!m_open) return CloseResult::Closed;
    // No new opens through the letter while the volume goes.
    UStandinUnixSide::RemoveDrive(m_letter);
    const std::string pidFile = UStandinUnixSide::UnixName(Path(L".pid"));
    int code = UStandinUnixSide::RunScript(Scripts::Unmount(m_mountUnix, pidFile, false, kUnmountTimeoutMs),
                                           kUnmountTimeoutMs + kScriptSlackMs);
    if (code == Scripts::kBusy && force)
        code = UStandinUnixSide::RunScript(Scripts::Unmount(m_mountUnix, pidFile, true, kUnmountTimeoutMs),
                                           kUnmountTimeoutMs + kScriptSlackMs);
    if (code == Scripts::kBusy) {
        UStandinUnixSide::DefineDrive(m_letter, m_mountUnix, m_fileSystem);
        return CloseResult::Busy;
    }
    m_open = false;
    if (code == 0) DeleteFileW(Path(L".log").c_str());
    return code == 0 ? CloseResult::Closed : CloseResult::Failed;
}

bool CStandinMount::Alive() const {
    if (!m_open) return false;
    // A FUSE volume whose program has gone answers "not connected" for its root.
    const std::wstring root = std::wstring(1, m_letter) + L":\\";
    return GetFileAttributesW(root.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CStandinMount::ProgramRunning() const {
    if (!m_open) return false;
    return UStandinUnixSide::RunScript(Scripts::Running(UStandinUnixSide::UnixName(Path(L".pid"))), kScriptSlackMs) ==
           0;
}

bool CStandinMount::Reopen(std::wstring& reason) {
    if (Close(true) != CloseResult::Closed) {
        reason = L"the volume left behind could not be unmounted";
        return false;
    }
    return Open(m_ramFile, m_fileSystem, reason);
}

bool CStandinMount::HeldElsewhere(const std::wstring& ramFolder, const std::wstring& stem) {
    const std::string ramFile = UStandinUnixSide::UnixName(ramFolder + L"\\" + stem + L".ram");
    const std::string pidFile = UStandinUnixSide::UnixName(ramFolder + L"\\" + stem + L".pid");
    return !ramFile.empty() &&
           UStandinUnixSide::RunScript(Scripts::HeldElsewhere(ramFile, pidFile), kUnmountTimeoutMs) == 0;
}

int CStandinMount::CleanStale(const std::wstring& ramFolder) {
    int cleaned = 0;
    WIN32_FIND_DATAW data;
    CFindHandle find;
    if (!find.First((ramFolder + L"\\*" + kMountSuffix).c_str(), data)) return 0;
    do {
        // "<stem>.<letter>.mnt"
        const std::wstring name = data.cFileName;
        const size_t suffix = name.size() - (sizeof kMountSuffix / sizeof(wchar_t) - 1);
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || suffix < 3 || name[suffix - 2] != L'.') continue;
        const wchar_t letter = name[suffix - 1];
        const std::wstring stem = name.substr(0, suffix - 2);
        const std::wstring ramFile = ramFolder + L"\\" + stem + L".ram";
        // A running stand-in holds its RAM file open without delete sharing.
        if (HeldElsewhere(ramFolder, stem)) continue;
        if (!DeleteFileW(ramFile.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) continue;
        const std::string mountUnix = UStandinUnixSide::UnixName(ramFolder + L"\\" + name);
        if (!mountUnix.empty() && UStandinUnixSide::DriveFolder(letter) == mountUnix)
            UStandinUnixSide::RemoveDrive(letter);
        const std::string pidFile = UStandinUnixSide::UnixName(ramFolder + L"\\" + stem + L".pid");
        if (UStandinUnixSide::RunScript(Scripts::Unmount(mountUnix, pidFile, true, kUnmountTimeoutMs),
                                        kUnmountTimeoutMs + kScriptSlackMs) == 0) {
            DeleteFileW((ramFolder + L"\\" + stem + L".log").c_str());
            ++cleaned;
        }
    } while (find.Next(data));
    return cleaned;
}
