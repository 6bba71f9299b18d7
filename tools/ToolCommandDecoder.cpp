#include "tools/ToolCommandDecoder.h"

#include "common/DataParser.h"
#include "common/ToolChannel.h"
#include "common/ToolResultRecords.h"

namespace UToolCommandDecoder {

EOutcome Decode(const std::vector<uint8_t>& answer, CCommand& command, unsigned lengthWidth) {
    CDataParser message(answer, lengthWidth);
    int32_t kind = 0;
    std::vector<uint8_t> payload;
    if (!message.ReadInt32(kind) || kind != UToolChannel::kKindCommand || !message.ReadBlock(payload) ||
        !message.AtEnd())
        return EOutcome::NoResult;

    CDataParser fields(payload, lengthWidth);
    int32_t number = 0;
    if (!fields.ReadInt32(number) || UToolResultRecords::RecordSize(number) == 0) return EOutcome::NoResult;
    CCommand decoded;
    decoded.number = number;
    if (!fields.ReadChar(decoded.drive) || !fields.ReadString(decoded.link.src) ||
        !fields.ReadString(decoded.link.dst) || !fields.ReadString(decoded.link.backup) || !fields.AtEnd())
        return EOutcome::Malformed;
    command = decoded;
    return EOutcome::Command;
}

CVelmoraEXVlinkData ResolvedLink(const CCommand& command) {
    CVelmoraEXVlinkData link = command.link;
    if (command.drive != 0) link.dst = std::wstring(1, static_cast<wchar_t>(command.drive)) + L":" + command.link.dst;
    return link;
}

}  // namespace UToolCommandDecoder
