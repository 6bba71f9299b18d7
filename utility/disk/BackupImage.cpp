#include "utility/disk/BackupImage.h"

#include <cwctype>
#include <vector>

#include "framework/FileException.h"
#include "framework/FileSystem.h"
#include "utility/disk/DataFolder.h"
#include "utility/disk/Formatter.h"
#include "utility/disk/VelmoraDiskFile.h"

namespace UBackupImage {

const wchar_t kImageFileName[] = L"VelmoraEX.dat";

namespace {
FreeSpaceQuery g_freeSpace = UFileSystem::QueryFreeBytes;

[[noreturn]] void ThrowOsError(long code, const std::wstring& fileName) {
    throw new CFileException(CFileException::OsErrorToException(code), code, fileName);
}

bool SameNameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i])))
            return false;
    }
    return true;
}

uint64_t PieceCount(uint64_t driveSize) { return CListFile::PieceCount(driveSize, CVelmoraDiskFile::kPieceSize); }

// Sets the open mode for formatting, verifies every piece and selects piece 0.
void OpenForFormatting(CVelmoraDiskFile& image) {
    image.SetOpenMode(CVelmoraDiskFile::kFormatFlags);
    image.VerifyAllPieces();
    image.SelectPiece(0);
}
}  // namespace

FreeSpaceQuery SetFreeSpaceQuery(FreeSpaceQuery query) {
    FreeSpaceQuery previous = g_freeSpace;
    g_freeSpace = query ? query : UFileSystem::QueryFreeBytes;
    return previous;
}

std::wstring ImageBasePath(const std::wstring& folder) { return UFileSystem::AppendName(folder, kImageFileName); }

void CheckFreeSpace(const std::wstring& folder, uint64_t driveSize, wchar_t& fullDrive) {
    uint64_t freeBytes = 0;
    long error = g_freeSpace(folder, freeBytes);
    if (error != 0) ThrowOsError(error, folder);
    if (driveSize >= freeBytes) {
        fullDrive = folder.empty() ? L' ' : folder[0];
        throw CNoSpaceError();
    }
}

void CreateImage(const std::wstring& folder, uint64_t driveSize) {
    if (IsInDataFolder(folder)) EnsureDataFolder();
    UFileSystem::MakeFolder(folder);  // an existing folder is fine; a missing parent shows at creation
    CVelmoraDiskFile image(ImageBasePath(folder), driveSize);
    image.CheckParameters();
    image.CreateAllPieces(CVelmoraDiskFile::kCreateFlags);
    OpenForFormatting(image);
    image.CloseList();
}

void FormatImage(const std::wstring& folder, uint64_t driveSize, int formatType) {
    CVelmoraDiskFile image(ImageBasePath(folder), driveSize);
    image.CheckParameters();
    OpenForFormatting(image);
    FormatParams& params = image.Params();
    params.position = 0;
    params.size = driveSize;
    params.bytesPerSector = 512;
    params.label.clear();
    // The pieces are the ones CreateImage made: they read as zeros.
    CFormatter formatter(&image, true);
    formatter.Format(formatType);
    image.CloseList();  // a failure to close is a failure to write
}

void DeleteImage(const std::wstring& folder, uint64_t driveSize, bool allowDelayUntilReboot) {
    std::wstring base = ImageBasePath(folder);
    uint64_t count = PieceCount(driveSize);
    for (uint64_t i = 0; i < count; ++i) {
        std::wstring name = CListFile::MakePieceName(base, i);
        if (!UFileSystem::IsFile(name)) continue;
        long error = UFileSystem::RemoveFile(name);
        if (error == 0) continue;
        if (!allowDelayUntilReboot) ThrowOsError(error, name);
        UFileSystem::ScheduleRemoveAtRestart(name);
    }
    if (IsInDataFolder(folder)) UFileSystem::RemoveFolder(folder);
}

void MoveImage(const std::wstring& fromFolder, const std::wstring& toFolder, uint64_t driveSize) {
    std::wstring fromBase = ImageBasePath(fromFolder);
    std::wstring toBase = ImageBasePath(toFolder);
    // Copying a piece onto itself and then deleting the "source" would lose it.
    if (SameNameIgnoringCase(fromBase, toBase)) return;

    if (IsInDataFolder(toFolder)) EnsureDataFolder();
    UFileSystem::MakeFolder(toFolder);

    uint64_t count = PieceCount(driveSize);
    std::vector<std::wstring> copiedSources, createdTargets;
    for (uint64_t i = 0; i < count; ++i) {
        std::wstring from = CListFile::MakePieceName(fromBase, i);
        std::wstring to = CListFile::MakePieceName(toBase, i);
        bool existed = UFileSystem::IsFile(to);
        long error = UFileSystem::CopyFileOver(from, to);
        if (error != 0) {
            // A copy that failed part-way leaves a partial target; one that was there before
            // may be the source under another name, so it is left alone.
            if (!existed) createdTargets.push_back(to);
            for (const std::wstring& target : createdTargets) UFileSystem::RemoveFile(target);
            ThrowOsError(error, std::wstring());
        }
        copiedSources.push_back(from);
        createdTargets.push_back(to);
    }
    for (const std::wstring& source : copiedSources) UFileSystem::RemoveFile(source);
    if (IsInDataFolder(fromFolder)) UFileSystem::RemoveFolder(fromFolder);
}

void ListImage(const std::wstring& folder, uint64_t driveSize, std::list<std::wstring>& names) {
    names.clear();
    std::wstring base = ImageBasePath(folder);
    uint64_t count = PieceCount(driveSize);
    for (uint64_t i = 0; i < count; ++i) names.push_back(CListFile::MakePieceName(base, i));
}

}  // namespace UBackupImage
