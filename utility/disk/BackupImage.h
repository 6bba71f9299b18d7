#pragma once
// The operations on a disk's backup image: the piece set "VelmoraEX.dat" in the disk's backup
// folder, DriveSize bytes long. Failures are thrown: CFileException* for file errors,
// CNoSpaceError for lack of space (with the full drive named), and from FormatImage whatever
// the formatter throws (FormatError or CException*).
#include <cstdint>
#include <list>
#include <string>

namespace UBackupImage {

// Name of the image file set inside the backup folder.
extern const wchar_t kImageFileName[];

// The set's base path: the folder, a separator unless it ends in one, then "VelmoraEX.dat".
std::wstring ImageBasePath(const std::wstring& folder);

// Thrown by CheckFreeSpace when the volume lacks room for the image.
class CNoSpaceError {};

// Throws CNoSpaceError with fullDrive set to the folder's drive letter (a space for an empty
// folder) when the volume holding folder has no more than driveSize bytes free; throws
// CFileException* when the free space cannot be found. fullDrive is left alone otherwise.
void CheckFreeSpace(const std::wstring& folder, uint64_t driveSize, wchar_t& fullDrive);

// Makes the folder (and the data folder, when the folder lies in it), creates every piece at
// full size and verifies them.
void CreateImage(const std::wstring& folder, uint64_t driveSize);

// Writes an empty volume of formatType into the existing, verified pieces, which must be as
// CreateImage made them (reading as zeros): the formatter leaves stretches of zeros unwritten.
void FormatImage(const std::wstring& folder, uint64_t driveSize, int formatType);

// Deletes every piece that exists. A piece that cannot be deleted throws, or with
// allowDelayUntilReboot is scheduled for deletion at restart. A folder inside the data folder
// is removed afterwards when empty.
void DeleteImage(const std::wstring& folder, uint64_t driveSize, bool allowDelayUntilReboot);

// Copies every piece to toFolder, then deletes the sources; all or nothing: on a failed copy
// the targets are deleted, the sources stay, and the error is thrown. Moving a folder onto
// itself does nothing.
void MoveImage(const std::wstring& fromFolder, const std::wstring& toFolder, uint64_t driveSize);

// Replaces names with the full names of all pieces, in index order.
void ListImage(const std::wstring& folder, uint64_t driveSize, std::list<std::wstring>& names);

// Test seam: free bytes on the volume holding a path (UFileSystem::QueryFreeBytes unless
// replaced); returns a Windows error code. Returns the previous query.
typedef long (*FreeSpaceQuery)(const std::wstring& path, uint64_t& freeBytes);
FreeSpaceQuery SetFreeSpaceQuery(FreeSpaceQuery query);

}  // namespace UBackupImage
