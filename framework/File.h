#pragma once
// An open file, owned by the object (closed in the destructor). Failures of Read, Write, Seek,
// SetLength and GetLength throw a CFileException by pointer; Open reports its failure instead.
#include <cstdint>
#include <string>

class CFileException;

class CFile {
public:
    enum OpenFlags : unsigned {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };
    enum SeekPosition : unsigned { begin = 0, current = 1, end = 2 };

    // The handle value of a closed file (INVALID_HANDLE_VALUE on Windows, -1 elsewhere).
    static const intptr_t hFileNull;

    CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    virtual ~CFile();

    // Opens fileName with the flags above. On failure returns false and, when error is given,
    // fills its cause, system error and file name. An open file is closed first.
    virtual bool Open(const std::wstring& fileName, unsigned openFlags, CFileException* error = nullptr);
    virtual void Close();
    // Closes without throwing.
    virtual void Abort();

    // Reads up to count bytes at the file position; returns the number read (0 at the end).
    virtual unsigned Read(void* buffer, unsigned count);
    // Writes all count bytes at the file position; a short write throws (disk full).
    virtual void Write(const void* buffer, unsigned count);
    // Writes all count bytes at offset; a short write throws (disk full). The file position
    // afterwards is unspecified (Windows leaves it after the bytes, POSIX where it was).
    virtual void WriteAt(const void* buffer, unsigned count, uint64_t offset);
    virtual uint64_t Seek(int64_t offset, unsigned from);
    uint64_t SeekToBegin() { return Seek(0, begin); }
    uint64_t SeekToEnd() { return Seek(0, end); }
    virtual void SetLength(uint64_t length);
    virtual uint64_t GetLength() const;
    virtual void Flush();

    bool IsOpen() const { return m_hFile != hFileNull; }
    // The name given to Open.
    const std::wstring& GetFilePath() const { return m_strFileName; }

    intptr_t m_hFile;

protected:
    // Throws a CFileException for a Windows error code and this file's name.
    [[noreturn]] void ThrowOsError(long osError) const;

    std::wstring m_strFileName;
};
