#pragma once
// Output side of the volume builders: the parameter record, the plain-function output table,
// the error values, and CFormatObject, whose five virtual operations the table reaches.
#include <cstdint>
#include <string>

class CException;

enum FormatError {
    FORMAT_ERR_NONE = 0,
    FORMAT_ERR_PARAM = 1,
    FORMAT_ERR_WRITE = 2,
    FORMAT_ERR_NOMEM = 3,
};

struct FormatParams {
    void* context = nullptr;  // handed back to every output operation
    uint64_t position = 0;    // used and moved by Write and Seek
    uint64_t size = 0;        // volume size in bytes
    uint32_t bytesPerSector = 512;
    std::string label;  // 8-bit volume label, empty in this program
};

// Output operations, each taking the context first.
struct FormatIo {
    bool (*Open)(void* context);
    void (*Close)(void* context);
    // Returns the length written, or -1 on failure.
    int64_t (*WriteAt)(void* context, const void* buffer, uint64_t offset, uint64_t length);
    int64_t (*Write)(void* context, const void* buffer, uint64_t length);
    // origin 0 begin, 1 current, 2 end; returns the new position or -1 when it would leave 0..size.
    int64_t (*Seek)(void* context, int64_t offset, int origin);
};

class CFormatObject {
public:
    CFormatObject();
    CFormatObject(const CFormatObject&) = delete;
    CFormatObject& operator=(const CFormatObject&) = delete;
    virtual ~CFormatObject();

    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual int64_t WriteAt(const void* buffer, uint64_t offset, uint64_t length) = 0;
    virtual int64_t Write(const void* buffer, uint64_t length);
    virtual int64_t Seek(int64_t offset, int origin);

    FormatParams& Params() { return m_params; }
    const FormatIo* Io() const { return &m_io; }

    // The exception an output operation caught, if any; the caller takes ownership.
    CException* TakeCaughtException();
    bool HasCaughtException() const { return m_caught != nullptr; }

protected:
    // Keeps an exception caught inside an output operation (replacing, and deleting, an older one).
    void KeepCaughtException(CException* e);

    FormatParams m_params;
    FormatIo m_io;
    CException* m_caught = nullptr;
};

// The volume builders, all called the same way; each returns a FormatError value
// (the NTFS builder 0 or 1).
int FormatFat12(FormatParams* params, const FormatIo* io);
int FormatFat16(FormatParams* params, const FormatIo* io);
int FormatFat32(FormatParams* params, const FormatIo* io);
int FormatNtfs(FormatParams* params, const FormatIo* io);
