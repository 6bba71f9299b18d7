#include "tools/LinkCommandDispatch.h"

#include "common/ToolResultRecords.h"
#include "tools/ShellFileOperations.h"
#include "tools/VlinkProcedures.h"

std::vector<uint8_t> CLinkCommandDispatch::Carry(const UToolCommandDecoder::CCommand& command) {
    const CVelmoraEXVlinkData link = UToolCommandDecoder::ResolvedLink(command);
    switch (command.number) {
        case TOOL_CREATE_LINK:
            return UToolResultRecords::Encode(
                UVelmoraVlink::CreateLink(*UVelmoraVlink::CreateShellFileOperations(), link));
        case TOOL_REMOVE_LINK:
            return UToolResultRecords::Encode(
                UVelmoraVlink::RemoveLink(*UVelmoraVlink::CreateShellFileOperations(), link));
        case TOOL_RELINK:
            return UToolResultRecords::Encode(UVelmoraVlink::Relink(*UVelmoraVlink::CreateShellFileOperations(), link));
        default:
            return {};
    }
}
