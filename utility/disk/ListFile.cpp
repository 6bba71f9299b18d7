#include "utility/disk/ListFile.h"

#include <algorithm>
#include <cwctype>

#include "framework/FileException.h"
#include "framework/SystemError.h"

namespace {
bool SameNameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i])))
            return false;
    }
    return true;
}

// Opens fileName or throws what the open reported, naming the file.
void OpenOrThrow(CFile& file, const std::wstring& fileName, unsigned flags) {
    CFileException error;
    if (!file.Open(fileName, flags, &error)) throw new CFileException(error.m_cause, error.m_lOsError, fileName);
}
}  // namespace

CListFile::CListFile(const std::wstring& basePath, uint64_t totalSize, uint64_t pieceSize)
    : m_basePath(basePath), m_totalSize(totalSize), m_pieceSize(pieceSize) {}

CListFile::~CListFile() { m_file.Abort(); }

uint64_t CListFile::PieceCount(uint64_t totalSize, uint64_t pieceSize) {
    if (pieceSize == 0) return 0;
    return totalSize / pieceSize + (totalSize % pieceSize ? 1 : 0);
}

uint64_t CListFile::PieceLength(uint64_t totalSize, uint64_t pieceSize, uint64_t index) {
    uint64_t count = PieceCount(totalSize, pieceSize);
    if (index >= count) return 0;
    if (index + 1 < count) return pieceSize;
    uint64_t rest = totalSize % pieceSize;
    return rest ? rest : pieceSize;
}

CListFile::PieceRun CListFile::RunAt(uint64_t pieceSize, uint64_t offset, uint64_t length) {
    uint64_t within = offset % pieceSize;
    return {offset / pieceSize, within, std::min(length, pieceSize - within)};
}

std::wstring CListFile::MakePieceName(const std::wstring& basePath, uint64_t index) {
    std::wstring number = std::to_wstring(index);
    size_t dot = basePath.rfind(L'.');
    if (dot == std::wstring::npos) return basePath + number;
    return basePath.substr(0, dot) + number + basePath.substr(dot);
}

void CListFile::ThrowInvalid(const std::wstring& fileName) {
    throw new CFileException(CFileException::OsErrorToException(USystemError::kInvalidParameter),
                             USystemError::kInvalidParameter, fileName);
}

void CListFile::CheckParameters() const {
    if (m_basePath.empty() || m_totalSize == 0 || m_pieceSize == 0 || m_file.IsOpen()) ThrowInvalid(m_basePath);
}

void CListFile::OpenList(unsigned flags) {
    CheckParameters();
    if (flags & CFile::modeCreate) CreateAllPieces(flags);
    m_openMode = flags & ~static_cast<unsigned>(CFile::modeCreate | CFile::modeNoTruncate);
    VerifyAllPieces();
    SelectPiece(0);
}

void CListFile::CloseList() {
    m_openIndex = kNoPiece;
    m_file.Close();
}

bool CListFile::IsPieceOpen() const { return m_file.IsOpen(); }

std::wstring CListFile::PieceName(uint64_t index) const { return MakePieceName(m_basePath, index); }

void CListFile::SelectPiece(uint64_t index) {
    if (m_file.IsOpen()) {
        if (index == m_openIndex) return;
        std::wstring name = PieceName(index);
        if (SameNameIgnoringCase(m_file.GetFilePath(), name)) {
            m_openIndex = index;
            return;
        }
        CloseList();
        OpenOrThrow(m_file, name, m_openMode);
    } else {
        OpenOrThrow(m_file, PieceName(index), m_openMode);
    }
    m_openIndex = index;
}

uint64_t CListFile::ReadList(void* buffer, uint64_t offset, uint64_t length) {
    if (offset >= m_totalSize) return 0;
    length = std::min(length, m_totalSize - offset);
    char* out = static_cast<char*>(buffer);
    uint64_t done = 0;
    while (done < length) {
        PieceRun run = RunAt(m_pieceSize, offset + done, length - done);
        unsigned chunk = static_cast<unsigned>(run.length);
        SelectPiece(run.index);
        m_file.Seek(static_cast<int64_t>(run.within), CFile::begin);
        unsigned got = m_file.Read(out + done, chunk);
        done += got;
        if (got < chunk) break;  // piece shorter than the set says
    }
    return done;
}

void CListFile::WriteList(const void* buffer, uint64_t offset, uint64_t length) {
    if (offset > m_totalSize || length > m_totalSize - offset) ThrowInvalid(m_basePath);
    const char* in = static_cast<const char*>(buffer);
    while (length > 0) {
        PieceRun run = RunAt(m_pieceSize, offset, length);
        unsigned chunk = static_cast<unsigned>(run.length);
        SelectPiece(run.index);
        m_file.WriteAt(in, chunk, run.within);
        in += chunk;
        offset += chunk;
        length -= chunk;
    }
}

void CListFile::CreateAllPieces(unsigned flags) {
    uint64_t full = m_pieceSize ? m_totalSize / m_pieceSize : 0;
    for (uint64_t i = 0; i < full; ++i) CreatePiece(flags, i, m_pieceSize);
    if (m_pieceSize && m_totalSize % m_pieceSize) CreatePiece(flags, full, m_totalSize % m_pieceSize);
}

void CListFile::CreatePiece(unsigned flags, uint64_t index, uint64_t length) {
    CFile piece;
    OpenOrThrow(piece, PieceName(index), flags);
    piece.SetLength(length);
    piece.Close();
}

void CListFile::VerifyAllPieces() {
    uint64_t count = PieceCount();
    for (uint64_t i = 0; i < count; ++i) VerifyPiece(m_openMode, i, PieceLength(i));
}

void CListFile::VerifyPiece(unsigned flags, uint64_t index, uint64_t length) {
    std::wstring name = PieceName(index);
    CFile piece;
    CFileException error;
    if (!piece.Open(name, flags, &error)) {
        // A missing piece is a wrong-sized one; other refusals (sharing, rights) keep their code.
        if (error.m_lOsError == USystemError::kFileNotFound || error.m_lOsError == USystemError::kPathNotFound)
            ThrowInvalid(name);
        throw new CFileException(error.m_cause, error.m_lOsError, name);
    }
    uint64_t actual = piece.GetLength();
    piece.Close();
    if (actual != length) ThrowInvalid(name);
}
