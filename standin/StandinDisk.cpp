#include "standin/StandinDisk.h"

#include <algorithm>
#include <cstring>
#include <cwctype>

#include "framework/FileException.h"
#include "standin/StandinErrors.h"
#include "standin/StandinVolumeKind.h"
#include "standin/StandinVolumeTarget.h"
#include "utility/disk/BackupImage.h"
#include "utility/disk/Formatter.h"
#include "utility/disk/ListFile.h"
#include "utility/disk/VelmoraDiskFile.h"

namespace {

const unsigned kImageReadFlags = CFile::modeRead | CFile::shareDenyWrite;
const unsigned kImageWriteFlags = CFile::modeReadWrite | CFile::shareDenyWrite;
const DWORD kMinRetryMs = 100;
// How often the writer looks for writes through an open drive.
const DWORD kScanPollMs = 250;

uint64_t Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// Runs work and turns a thrown file error into its Windows error code (0 when nothing was thrown).
template <typename Work>
long Guarded(Work&& work) {
    try {
        work();
        return 0;
    } catch (CException* e) {
        long code = ERROR_GEN_FAILURE;
        if (auto* file = dynamic_cast<CFileException*>(e)) {
            if (file->m_lOsError > 0) code = file->m_lOsError;
        }
        e->Delete();
        return code;
    }
}

bool AllZero(const uint8_t* bytes, size_t length) {
    size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        if (word) return false;
    }
    for (; i < length; ++i) {
        if (bytes[i]) return false;
    }
    return true;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::wstring FullPath(const std::wstring& path) {
    DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    DWORD length = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
    if (length == 0 || length >= needed) return path;
    full.resize(length);
    return full;
}

// Creates the folder that holds path, when it has one and it is missing (one level).
void MakeParentFolder(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash == 0) return;
    std::wstring folder = path.substr(0, slash);
    if (folder.size() == 2 && folder[1] == L':') return;
    CreateDirectoryW(folder.c_str(), nullptr);
}

}  // namespace

CStandinDisk::CStandinDisk(const std::wstring& diskId, const StandinDiskSettings& settings, wchar_t letter,
                           Notice notice)
    : m_id(diskId),
      m_settings(settings),
      m_letter(letter),
      m_notice(std::move(notice)),
      m_tracker(settings.driveSize) {}

CStandinDisk::~CStandinDisk() {
    StopWriter();
    std::lock_guard<std::mutex> drive(m_driveMutex);
    m_mount.reset();
    CloseImage();
    m_ram.Close();
}

std::wstring CStandinDisk::ImageBasePath() const { return UBackupImage::ImageBasePath(m_settings.backupFolder); }

uint32_t CStandinDisk::StartInRam(const std::wstring& ramFolder, const std::wstring& fileName) {
    if (m_ram.Create(ramFolder, fileName, m_settings.driveSize) != ERROR_SUCCESS) return kStandinErrorRamStorage;
    m_ramFolder = ramFolder;
    m_ramStem = fileName.substr(0, fileName.find_last_of(L'.'));
    uint32_t error = HasBackup() ? LoadFromImage() : FormatVolume();
    if (error) {
        m_ram.Close();
        return error;
    }
    if (HasBackup()) StartWriter();
    return 0;
}

uint32_t CStandinDisk::StartOnImage() {
    if (!HasBackup()) return kStandinErrorNoMemory;
    std::lock_guard<std::mutex> lock(m_io);
    m_imageMode = true;
    return EnsureImageOpen() ? 0 : kStandinErrorImage;
}

uint32_t CStandinDisk::LoadFromImage() {
    CListFile image(ImageBasePath(), m_settings.driveSize, RAMDISK_IMAGE_PIECE_SIZE);
    if (Guarded([&] { image.OpenList(kImageReadFlags); }) != 0) return kStandinErrorImage;
    std::vector<uint8_t> buffer(kTransferBytes);
    for (uint64_t offset = 0; offset < m_settings.driveSize;) {
        uint32_t length = static_cast<uint32_t>(std::min<uint64_t>(kTransferBytes, m_settings.driveSize - offset));
        uint64_t got = 0;
        if (Guarded([&] { got = image.ReadList(buffer.data(), offset, length); }) != 0 || got != length)
            return kStandinErrorImage;
        // The RAM file starts out as zeros: only data needs copying, which keeps sparse images small.
        if (!AllZero(buffer.data(), length) && m_ram.WriteAt(buffer.data(), offset, length) != ERROR_SUCCESS)
            return kStandinErrorRamStorage;
        offset += length;
    }
    image.CloseList();
    return 0;
}

uint32_t CStandinDisk::FormatVolume() {
    CStandinVolumeTarget target(m_ram);
    try {
        CFormatter(&target).Format(m_settings.formatType);
    } catch (CException* e) {
        e->Delete();
        return target.WriteError() ? kStandinErrorRamStorage : kStandinErrorFormat;
    } catch (FormatError) {
        return target.WriteError() ? kStandinErrorRamStorage : kStandinErrorFormat;
    }
    return 0;
}

bool CStandinDisk::EnsureImageOpen() {
    if (m_image && m_image->IsPieceOpen()) return true;
    m_image.reset(new CListFile(ImageBasePath(), m_settings.driveSize, RAMDISK_IMAGE_PIECE_SIZE));
    if (Guarded([&] { m_image->OpenList(kImageWriteFlags); }) == 0) return true;
    m_image.reset();
    return false;
}

void CStandinDisk::CloseImage() {
    if (m_image) Guarded([&] { m_image->CloseList(); });
    m_image.reset();
}

long CStandinDisk::ReadBytes(void* buffer, uint64_t offset, uint32_t length) {
    if (!m_imageMode) return static_cast<long>(m_ram.ReadAt(buffer, offset, length));
    if (!EnsureImageOpen()) return ERROR_FILE_NOT_FOUND;
    uint64_t got = 0;
    long error = Guarded([&] { got = m_image->ReadList(buffer, offset, length); });
    if (error) return error;
    return got == length ? 0 : ERROR_HANDLE_EOF;
}

bool CStandinDisk::OpenDrive(std::wstring& reason) {
    if (m_imageMode || !m_ram.IsOpen()) {
        reason = L"the disk runs from its image";
        return false;
    }
    uint8_t sector[512] = {};
    UStandinVolumeKind::Kind kind = UStandinVolumeKind::Kind::None;
    {
        std::lock_guard<std::mutex> lock(m_io);
        if (m_ram.ReadAt(sector, 0, sizeof sector) == ERROR_SUCCESS)
            kind = UStandinVolumeKind::Of(sector, sizeof sector);
    }
    if (kind == UStandinVolumeKind::Kind::None) {
        reason = L"no sound NTFS or FAT volume on the disk";
        return false;
    }
    const UStandinUnixSide::DriveFileSystem fileSystem =
        kind == UStandinVolumeKind::Kind::Ntfs  ? UStandinUnixSide::DriveFileSystem::Ntfs
        : kind == UStandinVolumeKind::Kind::Fat ? UStandinUnixSide::DriveFileSystem::Fat
                                                : UStandinUnixSide::DriveFileSystem::Fat32;
    std::unique_ptr<CStandinChangeScan> scan;
    if (HasBackup()) {
        // What the RAM file holds now is saved, or dirty in the tracker already.
        scan.reset(new CStandinChangeScan(m_settings.driveSize, m_tracker.BlockSize()));
        std::lock_guard<std::mutex> lock(m_io);
        if (scan->Baseline([this](void* buffer, uint64_t offset, uint32_t length) {
                return static_cast<uint32_t>(m_ram.ReadAt(buffer, offset, length));
            }) != 0) {
            reason = L"the RAM file could not be read";
            return false;
        }
    }
    std::unique_ptr<CStandinMount> mount(new CStandinMount(m_ramFolder, m_ramStem, m_letter));
    if (!mount->Open(m_ram.Path(), fileSystem, reason)) return false;
    {
        std::lock_guard<std::mutex> drive(m_driveMutex);
        m_mount = std::move(mount);
    }
    {
        std::lock_guard<std::mutex> lock(m_io);
        m_scan = std::move(scan);
    }
    m_watching = true;
    if (!m_writer.joinable()) StartWriter();
    NoteDirty();  // wakes the writer, which looks for changes from now on
    return true;
}

bool CStandinDisk::HasDrive() {
    std::lock_guard<std::mutex> drive(m_driveMutex);
    return m_mount && m_mount->IsOpen();
}

void CStandinDisk::WatchDrive() {
    std::unique_lock<std::mutex> drive(m_driveMutex, std::try_to_lock);
    if (!drive.owns_lock() || !m_mount || !m_mount->IsOpen() || m_mount->Alive()) return;
    // The drive does not answer: only a program that has really ended is a lost drive.
    if (m_mount->ProgramRunning()) return;
    // What the program wrote before it went is in the RAM file.
    ScanForChanges(false);
    std::wstring reason;
    const bool reopened = m_mount->Reopen(reason);
    if (!reopened) {
        m_mount.reset();
        m_watching = false;
        std::lock_guard<std::mutex> lock(m_io);
        m_scan.reset();
    }
    if (m_notice)
        m_notice(L"disk " + m_id + L": the file system program of drive " + std::wstring(1, m_letter) + L": ended; " +
                 (reopened ? L"the drive is open again" : L"the drive stays closed (" + reason + L")"));
}

bool CStandinDisk::ScanForChanges(bool gated) {
    CStandinChangeScan::Result result;
    const CStandinChangeScan::Reader reader = [this](void* buffer, uint64_t offset, uint32_t length) {
        return static_cast<uint32_t>(m_ram.ReadAt(buffer, offset, length));
    };
    uint64_t modified = 0, started = 0, blocks = 0;
    {
        std::lock_guard<std::mutex> lock(m_io);
        if (!m_scan) return true;
        modified = m_ram.LastWriteTime();
        started = Now();
        if (gated && !m_scan->NeedsScan(modified)) return true;
        blocks = m_scan->BlockCount();
    }
    // A chunk at a time, so that status queries and saves get the disk in between.
    const uint64_t perChunk = CStandinChangeScan::kChunkBytes / m_tracker.BlockSize();
    for (uint64_t first = 0; first < blocks; first += perChunk) {
        std::lock_guard<std::mutex> lock(m_io);
        if (!m_scan) return true;
        m_scan->ScanBlocks(reader, m_tracker, first, std::min(perChunk, blocks - first), result);
        if (result.error) return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_io);
        if (m_scan) m_scan->NoteScanned(modified, started);
    }
    if (result.newlyDirty) NoteDirty(m_settings.saveType == 3);
    return true;
}

uint32_t CStandinDisk::CloseDrive(bool force) {
    std::lock_guard<std::mutex> drive(m_driveMutex);
    if (!m_mount || !m_mount->IsOpen()) return 0;
    const CStandinMount::CloseResult result = m_mount->Close(force);
    if (result == CStandinMount::CloseResult::Busy) return kStandinErrorInUse;
    m_mount.reset();
    m_watching = false;
    // The FUSE program has ended: every write of it is in the RAM file now.
    ScanForChanges(false);
    std::lock_guard<std::mutex> lock(m_io);
    m_scan.reset();
    return 0;
}

uint32_t CStandinDisk::Write(uint64_t offset, const std::vector<uint8_t>& data) {
    if (offset > m_settings.driveSize || data.size() > m_settings.driveSize - offset) return kStandinErrorRange;
    {
        std::lock_guard<std::mutex> lock(m_io);
        if (m_imageMode) {
            if (!EnsureImageOpen()) return kStandinErrorImage;
            if (Guarded([&] { m_image->WriteList(data.data(), offset, data.size()); }) != 0) {
                CloseImage();
                return kStandinErrorImage;
            }
            return 0;
        }
        if (m_ram.WriteAt(data.data(), offset, static_cast<DWORD>(data.size())) != ERROR_SUCCESS)
            return kStandinErrorRamStorage;
        if (!HasBackup()) return 0;
        if (m_settings.saveType == 3 && EnsureImageOpen() &&
            Guarded([&] { m_image->WriteList(data.data(), offset, data.size()); }) == 0)
            return 0;
        // Not in the image yet (or write through failed): the writer takes it from here.
        m_tracker.MarkRange(offset, data.size());
    }
    NoteDirty();
    return 0;
}

uint32_t CStandinDisk::Read(uint64_t offset, uint32_t length, std::vector<uint8_t>& bytes) {
    if (offset > m_settings.driveSize || length > m_settings.driveSize - offset) return kStandinErrorRange;
    std::vector<uint8_t> out(length);
    std::lock_guard<std::mutex> lock(m_io);
    if (ReadBytes(out.data(), offset, length) != 0) return m_imageMode ? kStandinErrorImage : kStandinErrorRamStorage;
    bytes.swap(out);
    return 0;
}

uint64_t CStandinDisk::DirtyBytes() {
    std::lock_guard<std::mutex> lock(m_io);
    return m_tracker.DirtyCount() * m_tracker.BlockSize();
}

uint64_t CStandinDisk::HeldBytes() {
    std::lock_guard<std::mutex> lock(m_io);
    return m_ram.HeldBytes();
}

void CStandinDisk::FillStatus(RamDiskStatus& status) {
    std::lock_guard<std::mutex> lock(m_io);
    status = RamDiskStatus{};
    status.driveLetter = static_cast<uint16_t>(m_letter);
    status.imageMode = m_imageMode ? 1 : 0;
    status.unsavedFactor1 = m_tracker.BlockSize();
    uint64_t dirty = m_tracker.DirtyCount();
    status.unsavedFactor2 = static_cast<uint32_t>(std::min<uint64_t>(dirty, UINT32_MAX));
    status.sizeFigure1 = m_settings.driveSize;
    status.sizeFigure2 = m_imageMode ? 0 : m_ram.HeldBytes();
}

bool CStandinDisk::FlushPass() {
    std::vector<uint8_t> buffer;
    const uint64_t blockSize = m_tracker.BlockSize();
    for (;;) {
        uint32_t length = 0;
        {
            std::lock_guard<std::mutex> lock(m_io);
            uint64_t first = 0, count = 0;
            if (!m_tracker.TakeRun(kTransferBytes / blockSize, first, count)) return true;
            uint64_t offset = first * blockSize;
            length = static_cast<uint32_t>(std::min(count * blockSize, m_settings.driveSize - offset));
            buffer.resize(length);
            bool written = EnsureImageOpen() && m_ram.ReadAt(buffer.data(), offset, length) == ERROR_SUCCESS &&
                           Guarded([&] { m_image->WriteList(buffer.data(), offset, length); }) == 0;
            if (written && m_scan) m_scan->NoteSaved(first, buffer.data(), length);
            if (!written) {
                m_tracker.MarkBlocks(first, count);
                CloseImage();
                return false;
            }
        }
        if (m_settings.saveRate) PaceSave(length);
    }
}

void CStandinDisk::PaceSave(uint32_t written) {
    // Outside the disk's lock, so reads, writes and status answer meanwhile.
    const uint64_t ms = static_cast<uint64_t>(written) * 1000 / m_settings.saveRate;
    Sleep(static_cast<DWORD>(std::min<uint64_t>(ms, 60000)));
}

uint32_t CStandinDisk::SaveDirty() {
    if (m_imageMode || !HasBackup()) return 0;
    return FlushPass() ? 0 : kStandinErrorImage;
}

uint32_t CStandinDisk::SaveAsNewImage(const std::wstring& basePath, uint64_t pieceSize) {
    const uint64_t size = m_settings.driveSize;
    if (pieceSize % 512 != 0 || CListFile::PieceCount(size, pieceSize) > kMaxPieces) return kStandinErrorRange;
    std::lock_guard<std::mutex> lock(m_io);
    if (m_imageMode && SamePath(FullPath(basePath), FullPath(ImageBasePath()))) {
        // The disk lives in that very set: there is nothing to copy, and re-cutting it into
        // other pieces would overwrite the bytes being read.
        return pieceSize == RAMDISK_IMAGE_PIECE_SIZE ? 0 : kStandinErrorRange;
    }
    // The new set may be the disk's own image: in RAM mode the bytes are all in the RAM file.
    if (!m_imageMode) CloseImage();

    MakeParentFolder(basePath);
    CVelmoraDiskFile target(basePath, size, pieceSize);
    std::vector<uint8_t> buffer(kTransferBytes);
    long error = Guarded([&] {
        target.CheckParameters();
        target.CreateAllPieces(CVelmoraDiskFile::kCreateFlags);
        target.SetOpenMode(CVelmoraDiskFile::kFormatFlags);
        target.VerifyAllPieces();
        target.SelectPiece(0);
    });
    for (uint64_t offset = 0; error == 0 && offset < size;) {
        uint32_t length = static_cast<uint32_t>(std::min<uint64_t>(kTransferBytes, size - offset));
        error = ReadBytes(buffer.data(), offset, length);
        // New pieces read as zeros, so only data is written.
        if (error == 0 && !AllZero(buffer.data(), length))
            error = Guarded([&] { target.WriteList(buffer.data(), offset, length); });
        offset += length;
    }
    if (error == 0) error = Guarded([&] { target.CloseList(); });
    if (error != 0) {
        target.CloseList();
        for (uint64_t i = 0; i < CListFile::PieceCount(size, pieceSize); ++i)
            DeleteFileW(CListFile::MakePieceName(basePath, i).c_str());
        return kStandinErrorImage;
    }
    return 0;
}

void CStandinDisk::NoteDirty(bool now) {
    std::lock_guard<std::mutex> lock(m_writerMutex);
    if (!m_pending || now) {
        m_pending = true;
        m_dueAt = Clock::now() + std::chrono::milliseconds(now ? 0 : m_settings.sleepNoBlockMs);
    }
    m_wake.notify_all();
}

void CStandinDisk::SetSyncing(bool syncing) {
    if (syncing) {
        // A poll at once, reading the whole disk whatever the time stamp says.
        std::lock_guard<std::mutex> lock(m_io);
        if (m_scan) m_scan->ForgetScan();
    }
    bool dirty = DirtyBytes() != 0;
    std::lock_guard<std::mutex> lock(m_writerMutex);
    m_scanNow = syncing;
    m_syncing = syncing;
    if (syncing && dirty) m_pending = true;
    m_wake.notify_all();
}

void CStandinDisk::StartWriter() {
    m_writer = std::thread([this] { WriterLoop(); });
}

void CStandinDisk::StopWriter() {
    {
        std::lock_guard<std::mutex> lock(m_writerMutex);
        m_stopping = true;
        m_wake.notify_all();
    }
    if (m_writer.joinable()) m_writer.join();
}

void CStandinDisk::WriterLoop() {
    // Save types 2 and 3 write by themselves once dirty data has waited its delay; type 1 only
    // while syncing, and then at once. While the drive is open, writes through it are looked
    // for every kScanPollMs (or as often as a scan's cost allows), and the drive is watched.
    const bool automatic = m_settings.saveType == 2 || m_settings.saveType == 3;
    std::unique_lock<std::mutex> lock(m_writerMutex);
    Clock::time_point nextScan = Clock::now();
    while (!m_stopping) {
        bool scanning;
        {
            std::lock_guard<std::mutex> io(m_io);
            scanning = m_scan != nullptr || m_watching;
        }
        if (scanning && (Clock::now() >= nextScan || m_scanNow)) {
            m_scanNow = false;
            lock.unlock();
            WatchDrive();
            const Clock::time_point started = Clock::now();
            ScanForChanges(true);
            lock.lock();
            // A scan of a big disk takes long: it gets at most a fifth of the time.
            const Clock::time_point now = Clock::now();
            nextScan = now + std::max<Clock::duration>(std::chrono::milliseconds(kScanPollMs), 4 * (now - started));
            continue;
        }
        const Clock::time_point idleUntil = scanning ? nextScan : Clock::time_point::max();
        if (!m_pending || (!m_syncing && !automatic)) {
            if (scanning)
                m_wake.wait_until(lock, idleUntil);
            else
                m_wake.wait(lock);
            continue;
        }
        Clock::time_point due = m_syncing ? m_retryAt : std::max(m_dueAt, m_retryAt);
        if (Clock::now() < due) {
            m_wake.wait_until(lock, std::min(due, idleUntil));
            continue;
        }
        m_pending = false;
        lock.unlock();
        bool ok = FlushPass();
        lock.lock();
        if (!ok) {
            // The image is away or full: try again later, not in a tight loop.
            m_pending = true;
            m_retryAt = Clock::now() + std::chrono::milliseconds(std::max(m_settings.sleepHaveBlockMs, kMinRetryMs));
        }
    }
}
