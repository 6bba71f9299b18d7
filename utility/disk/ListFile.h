#pragma once
// A logical file stored as numbered pieces of at most a fixed size. Piece i of "dir\name.ext"
// is "dir\name<i>.ext" (split at the last dot); byte X of the whole lies in piece X / piece size
// at offset X mod piece size. One piece is open at a time, through a CFile.
#include <cstdint>
#include <string>

#include "framework/File.h"

class CListFile {
public:
    CListFile(const std::wstring& basePath, uint64_t totalSize, uint64_t pieceSize);
    CListFile(const CListFile&) = delete;
    CListFile& operator=(const CListFile&) = delete;
    virtual ~CListFile();

    // Opens the set: checks the parameters, creates every piece first when the flags hold
    // CFile::modeCreate, keeps the flags without modeCreate and modeNoTruncate as the open mode,
    // verifies every piece and selects piece 0. Throws CFileException*.
    virtual void OpenList(unsigned flags);
    // Closes the open piece, if any.
    virtual void CloseList();
    virtual bool IsPieceOpen() const;
    // Reads up to length bytes at offset (fewer at the end of the set); returns the bytes read.
    virtual uint64_t ReadList(void* buffer, uint64_t offset, uint64_t length);
    // Writes length bytes at offset, piece by piece. A write that would pass the end of the set
    // throws error 87 and writes nothing.
    virtual void WriteList(const void* buffer, uint64_t offset, uint64_t length);
    virtual std::wstring PieceName(uint64_t index) const;
    // Creates every piece at its length with the given CFile flags.
    virtual void CreateAllPieces(unsigned flags);
    virtual void CreatePiece(unsigned flags, uint64_t index, uint64_t length);
    // Every piece must exist at its exact length; otherwise error 87 naming the piece.
    virtual void VerifyAllPieces();
    virtual void VerifyPiece(unsigned flags, uint64_t index, uint64_t length);
    // Makes piece index the open piece, keeping it when it is already open.
    virtual void SelectPiece(uint64_t index);

    // Throws error 87 with the base path when the base path is empty, a size is 0, or a
    // piece is open.
    void CheckParameters() const;

    unsigned GetOpenMode() const { return m_openMode; }
    void SetOpenMode(unsigned flags) { m_openMode = flags; }
    const std::wstring& GetBasePath() const { return m_basePath; }
    uint64_t GetTotalSize() const { return m_totalSize; }
    uint64_t GetPieceSize() const { return m_pieceSize; }

    uint64_t PieceCount() const { return PieceCount(m_totalSize, m_pieceSize); }
    uint64_t PieceLength(uint64_t index) const { return PieceLength(m_totalSize, m_pieceSize, index); }

    // Pieces of a set of totalSize bytes: one per full piece, one more for a remainder.
    static uint64_t PieceCount(uint64_t totalSize, uint64_t pieceSize);
    // Length of piece index: the piece size, or the remainder for the last piece.
    static uint64_t PieceLength(uint64_t totalSize, uint64_t pieceSize, uint64_t index);
    // The part of the bytes [offset, offset + length) that lies in one piece: the piece's index,
    // where the part starts in it and its length (up to the piece's end). pieceSize must not be 0.
    struct PieceRun {
        uint64_t index;
        uint64_t within;
        uint64_t length;
    };
    static PieceRun RunAt(uint64_t pieceSize, uint64_t offset, uint64_t length);
    // Name of piece index: base path split at its last dot, the index between the parts
    // (base path followed by the index when there is no dot).
    static std::wstring MakePieceName(const std::wstring& basePath, uint64_t index);

protected:
    [[noreturn]] static void ThrowInvalid(const std::wstring& fileName);

    CFile m_file;
    unsigned m_openMode = 0;
    std::wstring m_basePath;
    uint64_t m_totalSize;
    uint64_t m_pieceSize;

private:
    static constexpr uint64_t kNoPiece = ~uint64_t(0);
    uint64_t m_openIndex = kNoPiece;  // index of m_file while it is open
};
