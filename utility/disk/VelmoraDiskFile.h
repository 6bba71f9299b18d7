#pragma once
// The backup image as a piece set that the volume builders write into: a CListFile whose
// CFormatObject operations reach the pieces.
#include <cstdint>
#include <string>
#include <vector>

#include "utility/disk/FormatObject.h"
#include "utility/disk/ListFile.h"

class CVelmoraDiskFile : public CListFile, public CFormatObject {
public:
    // Size of each piece of the image set.
    static constexpr uint64_t kPieceSize = 0x7D000000;
    // CFile flags for creating pieces, and for opening them to format.
    static constexpr unsigned kCreateFlags = CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite;
    static constexpr unsigned kFormatFlags = CFile::modeWrite | CFile::shareDenyWrite;
    // Size of the zero-fill blocks on file systems where a set length reads back as garbage.
    static constexpr size_t kZeroBlock = 0x100000;

    CVelmoraDiskFile(const std::wstring& basePath, uint64_t totalSize, uint64_t pieceSize = kPieceSize);
    ~CVelmoraDiskFile() override;

    // Creates the pieces; on exFAT they are written out with zeros, elsewhere only their length is set.
    void CreateAllPieces(unsigned flags) override;
    void CreatePiece(unsigned flags, uint64_t index, uint64_t length) override;

    // Output operations: Open selects piece 0, Close closes the open piece, WriteAt writes
    // through the set. Exceptions are kept in the caught-exception slot and reported as failure.
    bool Open() override;
    void Close() override;
    int64_t WriteAt(const void* buffer, uint64_t offset, uint64_t length) override;

    // True when pieces on the volume with this file-system name must be zero-filled.
    static bool NeedsZeroFill(const std::wstring& fileSystemName);

    // Test seam: the file-system name of the volume holding a path (UFileSystem::FileSystemName
    // unless replaced). Returns the previous query.
    typedef std::wstring (*FileSystemNameQuery)(const std::wstring& path);
    static FileSystemNameQuery SetFileSystemNameQuery(FileSystemNameQuery query);

private:
    std::vector<char> m_zero;  // empty unless pieces must be zero-filled
};
