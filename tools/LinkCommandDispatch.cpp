#include "common/ToolResultRecords.h"
#include "tools/LinkCommandDispatch.h"

std::vector<uint8_t> CLinkCommandDispatch::Carry(const UToolCommandDecoder::CCommand& command) {
    switch (command.number) {
        case TOOL_CREATE_LINK: return UToolResultRecords::Encode(CCreateLinkRecord{});
        case TOOL_REMOVE_LINK: return UToolResultRecords::Encode(CRemoveLinkRecord{});
        case TOOL_RELINK: return UToolResultRecords::Encode(CRelinkRecord{});
        default: return {};
    }
}
