#pragma once
// What carries out a decoded virtual-link command in the tools program: the result record's
// bytes for the command (48, 32 or 16).
#include <cstdint>
#include <vector>

#include "tools/ToolCommandDecoder.h"

class IToolCommandHandler {
public:
    virtual ~IToolCommandHandler() = default;
    virtual std::vector<uint8_t> Carry(const UToolCommandDecoder::CCommand& command) = 0;
};
