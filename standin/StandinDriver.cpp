#include "standin/StandinDriver.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <cwctype>
#include <new>

#include "framework/Exception.h"
#include "framework/FindHandle.h"
#include "framework/Handle.h"
#include "standin/StandinErrors.h"
#include "utility/core/LoadSettings.h"
#include "utility/core/Profile.h"
#include "utility/core/SettingsFile.h"
#include "utility/core/VelmoraEXSettingData.h"
#include "utility/disk/DriveLetter.h"
#include "utility/disk/Formatter.h"

namespace {

const wchar_t kRamFolderName[] = L"VelmoraEXStandin";
const wchar_t kWineRamRoot[] = L"Z:\\dev\\shm";
const wchar_t kRamFileExtension[] = L".ram";
const DWORD kLongestSleepMs = 60000;

using UDriverPipeFrame::Reply;

Reply Refused(uint32_t error) {
    Reply reply;
    reply.succeeded = false;
    reply.error = error;
    return reply;
}

template <typename Record>
Reply Answer(const Record& record, uint32_t size) {
    Reply reply;
    reply.succeeded = true;
    reply.output.resize(size);
    std::memcpy(reply.output.data(), &record, std::min<size_t>(size, sizeof(record)));
    return reply;
}

Reply ShortAnswer(uint32_t error) {
    DriverReply record{error ? kStandinStatusFailed : 0, error};
    return Answer(record, sizeof(record));
}

Reply StatusAnswer(uint32_t error, const RamDiskStatus& status) {
    RamDiskStatus record = status;
    record.status = error ? kStandinStatusFailed : 0;
    record.error = error;
    return Answer(record, sizeof(record));
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A [Setting] value in milliseconds: decimal digits only, at most a minute; otherwise the default.
DWORD ReadMilliseconds(const CProfile& profile, const wchar_t* key, DWORD fallback) {
    std::wstring text = profile.GetString(L"Setting", key);
    if (text.empty() || text.size() > 9) return fallback;
    DWORD value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return fallback;
        value = value * 10 + static_cast<DWORD>(c - L'0');
    }
    return std::min(value, kLongestSleepMs);
}

}  // namespace

CStandinDriver::CStandinDriver(const CStandinOptions& options, FILE* log) : m_options(options), m_log(log) {}

CStandinDriver::~CStandinDriver() {
    RemoveAll();
    // The default folder goes when the last stand-in using it leaves it empty.
    if (m_options.ramDir.empty() && !m_ramFolder.empty()) RemoveDirectoryW(m_ramFolder.c_str());
}

bool CStandinDriver::UnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

void CStandinDriver::Log(const wchar_t* format, ...) {
    if (!m_log) return;
    // Paths may be long: the buffer grows until the line fits.
    std::vector<wchar_t> line(1024);
    for (;;) {
        va_list args;
        va_start(args, format);
        const int length = vswprintf(line.data(), line.size(), format, args);
        va_end(args);
        if (length >= 0 && static_cast<size_t>(length) < line.size()) break;
        if (line.size() >= 0x20000) {
            line.back() = L'\0';
            break;
        }
        line.resize(line.size() * 2);
    }
    // One call a line: disks' writer threads log as well.
    fwprintf(m_log, L"VelmoraEXStandin: %ls\n", line.data());
    fflush(m_log);
}

DWORD CStandinDriver::PrepareRamFolder() {
    std::wstring folder = m_options.ramDir;
    if (folder.empty()) {
        if (UnderWine() && IsFolder(kWineRamRoot)) {
            folder = std::wstring(kWineRamRoot) + L"\\" + kRamFolderName;
        } else {
            wchar_t temp[MAX_PATH + 1] = {};
            DWORD length = GetTempPathW(MAX_PATH + 1, temp);
            if (length == 0 || length > MAX_PATH) return GetLastError() ? GetLastError() : ERROR_PATH_NOT_FOUND;
            folder = std::wstring(temp, length) + kRamFolderName;
        }
    }
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return GetLastError();
    if (!IsFolder(folder)) return ERROR_DIRECTORY;
    m_ramFolder = folder;

    // RAM files are deleted when closed; one left behind belongs to a stand-in that died, and one
    // still open by a running stand-in cannot be deleted (nor is it touched when that stand-in
    // runs under another Wine prefix).
    WIN32_FIND_DATAW data;
    CFindHandle find;
    if (find.First((folder + L"\\*" + kRamFileExtension).c_str(), data)) {
        do {
            const std::wstring name = data.cFileName;
            const std::wstring stem = name.substr(0, name.size() - (sizeof kRamFileExtension / sizeof(wchar_t) - 1));
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !CStandinMount::HeldElsewhere(folder, stem))
                DeleteFileW((folder + L"\\" + name).c_str());
        } while (find.Next(data));
    }
    PrepareDrives();
    return ERROR_SUCCESS;
}

UDriverPipeFrame::Reply CStandinDriver::Handle(const UDriverPipeFrame::Request& request) {
    try {
        Command command;
        UStandinRequest::Refusal refusal;
        if (!UStandinRequest::Decode(request.controlCode, request.lengthWidth, request.input, request.replySize,
                                     command, refusal))
            return Refused(refusal.error);
        return Dispatch(command);
    } catch (CException* e) {
        e->Delete();
        return Refused(ERROR_GEN_FAILURE);
    } catch (const std::bad_alloc&) {
        return Refused(ERROR_NOT_ENOUGH_MEMORY);
    } catch (...) {
        return Refused(ERROR_GEN_FAILURE);
    }
}

UDriverPipeFrame::Reply CStandinDriver::Dispatch(const Command& command) {
    using UStandinRequest::Kind;
    if (command.kind == Kind::Stop) {
        m_stopRequested = true;
        return ShortAnswer(0);
    }
    if (command.kind == Kind::Create) {
        RamDiskStatus status{};
        uint32_t error = Create(command.diskId, command.imageMode, status);
        return StatusAnswer(error, status);
    }
    if (command.kind == Kind::Remove) return ShortAnswer(Remove(command));
    if (command.kind == Kind::SaveAndRemove) return ShortAnswer(SaveAndRemove(command));

    CStandinDisk* disk = Find(command.diskId);
    switch (command.kind) {
        case Kind::Query: {
            RamDiskStatus status{};
            if (!disk) return StatusAnswer(kStandinErrorUnknownDisk, status);
            disk->FillStatus(status);
            return StatusAnswer(0, status);
        }
        case Kind::SyncBegin:
        case Kind::SyncEnd:
            if (!disk) return ShortAnswer(kStandinErrorUnknownDisk);
            disk->SetSyncing(command.kind == Kind::SyncBegin);
            return ShortAnswer(0);
        case Kind::Write:
            return ShortAnswer(disk ? disk->Write(command.offset, command.data) : kStandinErrorUnknownDisk);
        case Kind::SetInUse:
            if (!disk) return ShortAnswer(kStandinErrorUnknownDisk);
            disk->SetInUse(command.inUse);
            return ShortAnswer(0);
        case Kind::Read: {
            // The reply is the bytes alone, so failures are the call's own.
            if (!disk) return Refused(ERROR_FILE_NOT_FOUND);
            Reply reply;
            uint32_t error = disk->Read(command.offset, command.length, reply.output);
            if (error == kStandinErrorRange) return Refused(ERROR_INVALID_PARAMETER);
            if (error) return Refused(ERROR_IO_DEVICE);
            reply.succeeded = true;
            return reply;
        }
        default:
            return Refused(ERROR_INVALID_FUNCTION);
    }
}

uint32_t CStandinDriver::ReadSettings(const std::wstring& path, StandinDiskSettings& settings, unsigned char& letter) {
    // Only an ordinary file of sensible size is read: a DiskId naming a device, a pipe or a
    // folder must not reach the profile reader, which could block on it.
    CHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return kStandinErrorSettingsFile;
    LARGE_INTEGER fileSize = {};
    bool ordinary = GetFileType(file.Get()) == FILE_TYPE_DISK && GetFileSizeEx(file.Get(), &fileSize) &&
                    static_cast<uint64_t>(fileSize.QuadPart) <= kMaxSettingsFileBytes;
    file.Reset();
    if (!ordinary || !USettingsFile::HasRamDiskSection(path)) return kStandinErrorSettingsFile;

    CVelmoraEXSettingData data;
    data.FormatType = FORMAT_TYPE_NTFS;  // what an unreadable FormatType means
    USettingsFile::ReadRamDisk(path, data);
    if (data.DriveSize == 0 || data.DriveSize % 512 != 0 || data.DriveSize > kMaxDriveSize || data.DriveLetter == 0)
        return kStandinErrorSettingsValue;
    if (data.SaveType != 0 && data.BackupBaseDir.empty()) return kStandinErrorSettingsValue;
    if (data.SaveType == 0 && ResolveFormatType(data.DriveSize, data.FormatType) == 0)
        return kStandinErrorSettingsValue;

    CProfile profile(path);
    settings.driveSize = data.DriveSize;
    settings.saveType = data.SaveType;
    settings.formatType = data.FormatType;
    settings.backupFolder = data.BackupBaseDir;
    settings.sleepNoBlockMs = ReadMilliseconds(profile, L"SleepNoBlock", settings.sleepNoBlockMs);
    settings.sleepHaveBlockMs = ReadMilliseconds(profile, L"SleepHaveBlock", settings.sleepHaveBlockMs);
    letter = data.DriveLetter;
    return 0;
}

uint32_t CStandinDriver::ChooseLetter(unsigned char asked, wchar_t& letter) {
    CDriveLetter drives;
    drives.Query();
    auto heldByDisk = [this](wchar_t c) {
        return std::any_of(m_disks.begin(), m_disks.end(), [c](const auto& d) { return d->Letter() == c; });
    };
    const std::list<wchar_t>& free = drives.Letters();
    if (asked == kDriveLetterAutomatic) {
        for (wchar_t c : free) {
            if (!heldByDisk(c)) {
                letter = c;
                return 0;
            }
        }
        return kStandinErrorLetter;
    }
    wchar_t upper = static_cast<wchar_t>(std::towupper(asked));
    if (heldByDisk(upper) || std::find(free.begin(), free.end(), upper) == free.end()) return kStandinErrorLetter;
    letter = upper;
    return 0;
}

bool CStandinDriver::FitsInMemory(uint64_t size) {
    uint64_t committed = 0;  // RAM the other disks may still grow into
    uint64_t held = 0;
    for (const auto& disk : m_disks) {
        if (disk->ImageMode()) continue;
        committed += disk->DriveSize();
        held += disk->HeldBytes();
    }
    if (m_options.hasMemoryBudget && (size > m_options.memoryBudget || committed > m_options.memoryBudget - size))
        return false;
    ULARGE_INTEGER available, total, totalFree;
    if (GetDiskFreeSpaceExW(m_ramFolder.c_str(), &available, &total, &totalFree)) {
        uint64_t growth = committed > held ? committed - held : 0;
        uint64_t room = available.QuadPart > growth ? available.QuadPart - growth : 0;
        if (size > room) return false;
    }
    return true;
}

uint32_t CStandinDriver::Create(const std::wstring& diskId, bool imageModeRequest, RamDiskStatus& status) {
    if (Find(diskId)) return kStandinErrorDiskExists;
    StandinDiskSettings settings;
    unsigned char asked = 0;
    uint32_t error = ReadSettings(diskId, settings, asked);
    if (error) return error;
    settings.saveRate = m_options.saveRate;
    wchar_t letter = 0;
    error = ChooseLetter(asked, letter);
    if (error) return error;

    std::unique_ptr<CStandinDisk> disk(
        new CStandinDisk(diskId, settings, letter, [this](const std::wstring& text) { Log(L"%ls", text.c_str()); }));
    if (FitsInMemory(settings.driveSize)) {
        std::wstring name = L"disk-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++m_fileSerial) +
                            kRamFileExtension;
        error = disk->StartInRam(m_ramFolder, name);
    } else if (imageModeRequest && settings.saveType != 0) {
        error = disk->StartOnImage();
    } else {
        error = kStandinErrorNoMemory;
    }
    if (error) return error;
    OpenDrive(*disk);
    disk->FillStatus(status);
    m_disks.push_back(std::move(disk));
    return 0;
}

void CStandinDriver::PrepareDrives() {
    if (!m_options.drives) return;
    const int stale = CStandinMount::CleanStale(m_ramFolder);
    if (stale > 0) Log(L"closed %d drive(s) left by a stand-in that ended", stale);
    m_driveSupport = CStandinMount::Probe();
    if (!m_driveSupport.missing.empty())
        Log(L"%ls disks are not opened as drives: %ls", m_driveSupport.fuse ? L"some" : L"the",
            m_driveSupport.missing.c_str());
}

void CStandinDriver::OpenDrive(CStandinDisk& disk) {
    if (!m_options.drives || !m_driveSupport.fuse) return;
    std::wstring reason;
    if (!disk.OpenDrive(reason))
        Log(L"disk %ls: no drive %lc: (%ls)", disk.Id().c_str(), static_cast<wint_t>(disk.Letter()), reason.c_str());
}

uint32_t CStandinDriver::CloseForRemove(CStandinDisk& disk, bool save) {
    const bool hadDrive = disk.HasDrive();
    uint32_t error = disk.CloseDrive(false);
    if (error) return error;
    if (save) error = disk.SaveDirty();
    if (error && hadDrive) OpenDrive(disk);
    return error;
}

uint32_t CStandinDriver::Remove(const Command& command) {
    CStandinDisk* disk = Find(command.diskId);
    if (!disk) return kStandinErrorUnknownDisk;
    if (disk->InUse()) return kStandinErrorInUse;
    // A disk whose contents cannot be saved stays, so that nothing is lost.
    uint32_t error = CloseForRemove(*disk, command.save);
    if (error) return error;
    Erase(disk);
    return 0;
}

uint32_t CStandinDriver::SaveAndRemove(const Command& command) {
    CStandinDisk* disk = Find(command.diskId);
    if (!disk) return kStandinErrorUnknownDisk;
    if (disk->InUse()) return kStandinErrorInUse;
    uint32_t error = CloseForRemove(*disk, false);
    if (error) return error;
    error = disk->SaveAsNewImage(command.imagePath, command.pieceSize);
    if (error) {
        OpenDrive(*disk);
        return error;
    }
    Erase(disk);
    return 0;
}

size_t CStandinDriver::CreateStartupDisks() {
    size_t created = 0;
    for (const auto& value : ULoadSettings::ReadLoadSettings()) {
        const std::wstring& path = value.second;
        if (path.empty()) continue;
        RamDiskStatus status{};
        uint32_t error = Create(path, false, status);
        if (error == kStandinErrorNoMemory) error = Create(path, true, status);
        if (error) {
            Log(L"start-up disk %ls (%ls): error 0x%04X", path.c_str(), value.first.c_str(), error);
            continue;
        }
        Log(L"start-up disk %ls on %lc:%ls", path.c_str(), static_cast<wint_t>(status.driveLetter),
            status.imageMode ? L" (image mode)" : L"");
        ++created;
    }
    return created;
}

void CStandinDriver::RemoveAll() {
    for (auto& disk : m_disks) {
        disk->CloseDrive(true);
        if (disk->SaveDirty() != 0)
            Log(L"disk %ls: unsaved data could not be written to its image", disk->Id().c_str());
    }
    m_disks.clear();
}

CStandinDisk* CStandinDriver::Find(const std::wstring& diskId) {
    for (auto& disk : m_disks) {
        if (SamePath(disk->Id(), diskId)) return disk.get();
    }
    return nullptr;
}

void CStandinDriver::Erase(CStandinDisk* disk) {
    m_disks.erase(std::remove_if(m_disks.begin(), m_disks.end(), [disk](const auto& d) { return d.get() == disk; }),
                  m_disks.end());
}
