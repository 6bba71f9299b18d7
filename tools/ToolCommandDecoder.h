#pragma once
// Strict decoding of the utility's answer to the tools program's request: kind 0 and a byte
// block that holds the rest of the answer exactly, a command number 1 to 3, the drive letter
// and the link's three paths, and nothing after them.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/VelmoraEXVlinkData.h"

namespace UToolCommandDecoder {

enum class EOutcome {
    Command,    // decoded: carry it out and send its record
    Malformed,  // a command whose arguments do not decode: send status 1
    NoResult,   // not a command (other kind, bad block, unknown number): send nothing
};

struct CCommand {
    int32_t number = 0;
    char16_t drive = 0;
    // The paths as received (the RAM-disk folder without drive letter).
    CVelmoraEXVlinkData link;
};

EOutcome Decode(const std::vector<uint8_t>& answer, CCommand& command, unsigned lengthWidth = sizeof(size_t));

// The link the procedures work on: the RAM-disk folder with the drive letter and a colon in
// front when the drive is known.
CVelmoraEXVlinkData ResolvedLink(const CCommand& command);

}  // namespace UToolCommandDecoder
