#pragma once
// The virtual-link commands of the tools channel and the result record each one fills:
// 32-bit little-endian fields, flags 1 for done and 0 for not done. The method field is 1 for
// SHFileOperationW, 2 for IFileOperation.
#include <cstddef>
#include <cstdint>
#include <vector>

enum EToolCommand : int32_t { TOOL_CREATE_LINK = 1, TOOL_REMOVE_LINK = 2, TOOL_RELINK = 3 };

struct CCreateLinkRecord {
    int32_t linked = 0;  // the whole creation succeeded (same as junctioned)
    int32_t method = 0;
    int32_t copied = 0;            // copied to the RAM disk
    int32_t renamed = 0;           // source folder moved to the backup name
    int32_t junctioned = 0;        // junction created
    int32_t copyDeleted = 0;       // roll-back: RAM-disk copy deleted again
    int32_t backupRestored = 0;    // roll-back: backup name moved back
    int32_t hresult = 0;           // last HRESULT of the forward steps (method 2)
    int32_t shResult = 0;          // last SHFileOperationW result of the forward steps (method 1)
    int32_t junctionError = 0;     // GetLastError of the junction creation
    int32_t rollbackHresult = 0;   // last roll-back step (method 2)
    int32_t rollbackShResult = 0;  // last roll-back step (method 1)
    static constexpr size_t kSize = 48;
};

struct CRemoveLinkRecord {
    int32_t method = 0;
    int32_t hresult = 0;
    int32_t shResult = 0;
    int32_t junctionError = 0;  // GetLastError of the junction removal
    int32_t ramFolderFree = 0;  // the RAM-disk folder could be renamed away and back, or is absent
    int32_t junctionRemoved = 0;
    int32_t restoredFromCopy = 0;
    int32_t restoredFromBackup = 0;
    static constexpr size_t kSize = 32;
};

struct CRelinkRecord {
    int32_t junctionError = 0;  // -1 when the source path exists but is no junction
    int32_t folderError = 0;    // GetLastError of creating the RAM-disk folder
    int32_t junctionInPlace = 0;
    int32_t folderReady = 0;
    static constexpr size_t kSize = 16;
};

namespace UToolResultRecords {

// The record size of a command; 0 for a number that is no command.
size_t RecordSize(int32_t command);

std::vector<uint8_t> Encode(const CCreateLinkRecord& record);
std::vector<uint8_t> Encode(const CRemoveLinkRecord& record);
std::vector<uint8_t> Encode(const CRelinkRecord& record);
// False (record untouched) unless bytes is exactly the record's size.
bool Decode(const std::vector<uint8_t>& bytes, CCreateLinkRecord& record);
bool Decode(const std::vector<uint8_t>& bytes, CRemoveLinkRecord& record);
bool Decode(const std::vector<uint8_t>& bytes, CRelinkRecord& record);

}  // namespace UToolResultRecords
