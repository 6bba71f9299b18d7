#include "utility/tools_channel/ToolCommandBuilder.h"

#include "common/DataConverter.h"

namespace UToolCommandBuilder {

std::vector<uint8_t> Build(EToolCommand command, wchar_t drive, const CVelmoraEXVlinkData& link, unsigned lengthWidth) {
    CDataConverter payload(lengthWidth);
    payload.AppendInt32(command);
    payload.AppendChar(static_cast<char16_t>(drive));
    payload.AppendString(link.src);
    payload.AppendString(link.dst);
    payload.AppendString(link.backup);
    return payload.Bytes();
}

}  // namespace UToolCommandBuilder
