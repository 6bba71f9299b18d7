#pragma once
// The code area of the boot sector: a real-mode stub that says the volume cannot start
// an operating system and halts.
#include <cstdint>

namespace UNtfsBootCode {

constexpr uint32_t kCodeOffset = 0x54;    // where the boot sector's jump lands
constexpr uint32_t kTemplateSize = 4136;  // bytes of $Boot that hold boot code

// Fills the first kTemplateSize bytes of boot (zeros after the stub).
void Fill(uint8_t* boot);

// The text the stub prints.
const char* Message();

}  // namespace UNtfsBootCode
