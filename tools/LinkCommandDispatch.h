#pragma once
#include "tools/ToolCommandHandler.h"

// The link procedures. Until they exist every command is answered with the all-zero record of
// its size, which the utility treats as failed: nothing reports success.
class CLinkCommandDispatch : public IToolCommandHandler {
public:
    std::vector<uint8_t> Carry(const UToolCommandDecoder::CCommand& command) override;
};
