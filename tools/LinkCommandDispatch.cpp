#include "tools/LinkCommandDispatch.h"

#include "common/ToolResultRecords.h"
#include "tools/VlinkProcedures.h"

std::vector<uint8_t> CLinkCommandDispatch::Carry(const UToolCommandDecoder::CCommand& command) {
    const CVelmoraEXVlinkData link = UToolCommandDecoder::ResolvedLink(command);
    switch (command.number) {
        case TOOL_CREATE_LINK:
            return UToolResultRecords::Encode(UVelmoraVlink::CreateLink(*m_factory(), link));
        case TOOL_REMOVE_LINK:
            return UToolResultRecords::Encode(UVelmoraVlink::RemoveLink(*m_factory(), link));
        case TOOL_RELINK:
            return UToolResultRecords::Encode(UVelmoraVlink::Relink(*m_factory(), link));
        default:
            return {};
    }
}
