#pragma once
#include "tools/ToolCommandHandler.h"

// Carries a decoded virtual-link command out with the link procedures, each with its own shell
// file operations, and answers with the record the procedure filled.
class CLinkCommandDispatch : public IToolCommandHandler {
public:
    std::vector<uint8_t> Carry(const UToolCommandDecoder::CCommand& command) override;
};
