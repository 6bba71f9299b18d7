#include "utility/disk/VelmoraDiskFile.h"

#include <algorithm>
#include <cwctype>

#include "framework/Exception.h"
#include "framework/FileException.h"
#include "framework/FileSystem.h"

namespace {
CVelmoraDiskFile::FileSystemNameQuery g_fileSystemName = UFileSystem::FileSystemName;
}  // namespace

CVelmoraDiskFile::FileSystemNameQuery CVelmoraDiskFile::SetFileSystemNameQuery(FileSystemNameQuery query) {
    FileSystemNameQuery previous = g_fileSystemName;
    g_fileSystemName = query ? query : UFileSystem::FileSystemName;
    return previous;
}

CVelmoraDiskFile::CVelmoraDiskFile(const std::wstring& basePath, uint64_t totalSize, uint64_t pieceSize)
    : CListFile(basePath, totalSize, pieceSize) {
    m_params.position = 0;
    m_params.size = totalSize;
    m_params.bytesPerSector = 512;
    m_params.label.clear();
}

CVelmoraDiskFile::~CVelmoraDiskFile() {
    m_zero.clear();
    m_zero.shrink_to_fit();
}

bool CVelmoraDiskFile::NeedsZeroFill(const std::wstring& fileSystemName) {
    static const wchar_t kExFat[] = L"exfat";
    if (fileSystemName.size() != 5) return false;
    for (size_t i = 0; i < 5; ++i) {
        if (std::towlower(static_cast<wint_t>(fileSystemName[i])) != static_cast<wint_t>(kExFat[i])) return false;
    }
    return true;
}

void CVelmoraDiskFile::CreateAllPieces(unsigned flags) {
    if (NeedsZeroFill(g_fileSystemName(m_basePath))) m_zero.assign(kZeroBlock, 0);
    try {
        CListFile::CreateAllPieces(flags);
    } catch (...) {
        m_zero.clear();
        m_zero.shrink_to_fit();
        throw;
    }
    m_zero.clear();
    m_zero.shrink_to_fit();
}

void CVelmoraDiskFile::CreatePiece(unsigned flags, uint64_t index, uint64_t length) {
    if (m_zero.empty()) {
        CListFile::CreatePiece(flags, index, length);
        return;
    }
    std::wstring name = PieceName(index);
    CFile piece;
    CFileException error;
    if (!piece.Open(name, flags, &error)) throw new CFileException(error.m_cause, error.m_lOsError, name);
    for (uint64_t done = 0; done < length;) {
        unsigned block = static_cast<unsigned>(std::min<uint64_t>(length - done, m_zero.size()));
        piece.Write(m_zero.data(), block);
        done += block;
    }
    piece.Close();
}

bool CVelmoraDiskFile::Open() {
    try {
        SelectPiece(0);
        return true;
    } catch (CException* e) {
        KeepCaughtException(e);
        return false;
    }
}

void CVelmoraDiskFile::Close() {
    try {
        CloseList();
    } catch (CException* e) {
        KeepCaughtException(e);
    }
}

int64_t CVelmoraDiskFile::WriteAt(const void* buffer, uint64_t offset, uint64_t length) {
    try {
        WriteList(buffer, offset, length);
        return static_cast<int64_t>(length);
    } catch (CException* e) {
        KeepCaughtException(e);
        return -1;
    }
}
