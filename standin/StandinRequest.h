#pragma once
// Requests the stand-in serves: the driver's six commands and the stand-in's own test and stop
// commands, decoded from (control code, length width, input bytes, reply size) into a typed
// command, or refused with the Windows error the control call fails with.
#include <cstdint>
#include <string>
#include <vector>

namespace UStandinRequest {

// The stand-in's own codes: device type 0x22, METHOD_BUFFERED, FILE_READ_ACCESS, functions
// 0x807 to 0x80A, after the driver's 0x801 to 0x806.
const uint32_t IOCTL_STANDIN_WRITE = 0x22601C;       // DiskId; 64-bit offset; byte block
const uint32_t IOCTL_STANDIN_READ = 0x226020;        // DiskId; 64-bit offset; 32-bit length
const uint32_t IOCTL_STANDIN_SET_IN_USE = 0x226024;  // DiskId; byte: 1 in use, 0 free
const uint32_t IOCTL_STANDIN_STOP = 0x226028;        // no input

// Largest read of the test interface (the whole reply is the bytes read).
const uint32_t kMaxReadLength = 4096;

// Windows error codes of refused requests.
const uint32_t kErrorInvalidFunction = 1;       // unknown control code
const uint32_t kErrorInvalidParameter = 87;     // input does not follow the command's layout
const uint32_t kErrorInsufficientBuffer = 122;  // reply size smaller than the command's reply

enum class Kind {
    Create,
    Remove,
    Query,
    SaveAndRemove,
    SyncBegin,
    SyncEnd,
    Write,
    Read,
    SetInUse,
    Stop,
};

struct Command {
    Kind kind = Kind::Query;
    uint32_t replySize = 0;  // bytes the stand-in answers with
    std::wstring diskId;
    wchar_t letter = 0;         // 0, or an ASCII letter as the caller gave it
    bool imageMode = false;     // create: image-mode request
    uint8_t reserved = 0;       // remove, save and remove: byte A
    bool save = false;          // remove: save flag
    std::wstring imagePath;     // save and remove
    uint64_t pieceSize = 0;     // save and remove
    uint64_t offset = 0;        // write, read
    uint32_t length = 0;        // read
    std::vector<uint8_t> data;  // write
    bool inUse = false;         // set in use
};

struct Refusal {
    uint32_t error = 0;  // Windows error code
    std::string reason;
};

// The reply size of a command of this kind (read: the requested length).
uint32_t ReplySizeOf(Kind kind, uint32_t readLength);

// Decodes one request. Strings and blocks carry their length in lengthWidth bytes (4 or 8, the
// caller's size type). Every field must be present, nothing may follow the last one, strings
// must have an even byte count, identifiers and paths must be non-empty and free of zero
// characters, letters 0 or ASCII letters, flags 0 or 1. On failure fills refusal and leaves
// command alone.
bool Decode(uint32_t controlCode, unsigned lengthWidth, const std::vector<uint8_t>& input, uint32_t replySize,
            Command& command, Refusal& refusal);

}  // namespace UStandinRequest
