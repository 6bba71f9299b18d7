#include "utility/disk/NtfsBootCode.h"

#include <cstring>

namespace {

constexpr uint16_t kLoadAddress = 0x7C00;

const char kMessage[] =
    "\r\nThis volume holds no operating system to start.\r\n"
    "Remove the disk and restart the computer.\r\n";

}  // namespace

namespace UNtfsBootCode {

const char* Message() { return kMessage; }

void Fill(uint8_t* boot) {
    std::memset(boot, 0, kTemplateSize);
    // Offsets are from the start of the sector; the message follows the code.
    const uint16_t normalised = kLoadAddress + 0x65;
    const uint16_t message = kLoadAddress + 0x79;
    const uint8_t code[] = {
        0xFA,  // 54 cli
        0x31,
        0xC0,  // 55 xor ax, ax
        0x8E,
        0xD0,  // 57 mov ss, ax
        0xBC,
        0x00,
        0x7C,  // 59 mov sp, 7C00h
        0x8E,
        0xD8,  // 5C mov ds, ax
        0xFB,  // 5E sti
        0xFC,  // 5F cld
        0xEA,
        static_cast<uint8_t>(normalised),  // 60 jmp far 0000:7C65h
        static_cast<uint8_t>(normalised >> 8),
        0x00,
        0x00,
        0xBE,
        static_cast<uint8_t>(message),  // 65 mov si, message
        static_cast<uint8_t>(message >> 8),
        0xAC,  // 68 lodsb
        0x84,
        0xC0,  // 69 test al, al
        0x74,
        0x09,  // 6B jz 76h
        0xB4,
        0x0E,  // 6D mov ah, 0Eh
        0xBB,
        0x07,
        0x00,  // 6F mov bx, 0007h
        0xCD,
        0x10,  // 72 int 10h (teletype output)
        0xEB,
        0xF2,  // 74 jmp 68h
        0xF4,  // 76 hlt
        0xEB,
        0xFD,  // 77 jmp 76h
    };
    static_assert(kCodeOffset + sizeof(code) == 0x79, "message must follow the code");
    std::memcpy(boot + kCodeOffset, code, sizeof(code));
    std::memcpy(boot + 0x79, kMessage, sizeof(kMessage));
}

}  // namespace UNtfsBootCode
