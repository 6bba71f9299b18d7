#pragma once
// Update-sequence protection of MFT records and index blocks: the last two bytes of
// every 512-byte block are replaced by the sequence number and kept in the array.
#include <cstdint>

namespace UNtfsFixup {

// Protects a buffer in place, raising its sequence number first. Buffers marked "BAAD"
// or "HOLE" are left alone. False when the header does not describe the buffer.
bool Protect(uint8_t* buffer, uint32_t size);

// Puts the saved bytes back; false when a block does not end in the sequence number.
bool Unprotect(uint8_t* buffer, uint32_t size);

}  // namespace UNtfsFixup
