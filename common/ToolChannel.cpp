#include "common/ToolChannel.h"

#include "common/DataConverter.h"
#include "common/DataParser.h"

namespace UToolChannel {

const wchar_t kPipeName[] = L"{F4D3F230-5C85-4ec5-AAF8-1122D1F9D636}";

std::vector<uint8_t> Request() {
    CDataConverter message;
    message.AppendInt32(kKindRequest);
    return message.Bytes();
}

std::vector<uint8_t> CommandAnswer(const std::vector<uint8_t>& payload, unsigned lengthWidth) {
    CDataConverter message(lengthWidth);
    message.AppendInt32(kKindCommand);
    message.AppendBlock(payload.data(), payload.size());
    return message.Bytes();
}

std::vector<uint8_t> NoCommand() {
    CDataConverter message;
    message.AppendInt32(kKindNoCommand);
    return message.Bytes();
}

std::vector<uint8_t> Result(int32_t status, const std::vector<uint8_t>& record) {
    CDataConverter message;
    message.AppendInt32(kKindResult);
    message.AppendInt32(status);
    std::vector<uint8_t> bytes = message.Bytes();
    // The record follows the status directly, without a length.
    if (status == kStatusDone) bytes.insert(bytes.end(), record.begin(), record.end());
    return bytes;
}

ServerAction Classify(const std::vector<uint8_t>& message, std::vector<uint8_t>& record) {
    CDataParser parser(message);
    int32_t kind = 0;
    if (!parser.ReadInt32(kind)) return ServerAction::SendNoCommand;
    if (kind == kKindRequest) return parser.AtEnd() ? ServerAction::SendCommand : ServerAction::SendNoCommand;
    if (kind != kKindResult) return ServerAction::SendNoCommand;
    int32_t status = 0;
    if (!parser.ReadInt32(status) || status != kStatusDone || parser.AtEnd()) {
        record.clear();
        return ServerAction::DropResult;
    }
    record.assign(message.begin() + 8, message.end());
    return ServerAction::TakeResult;
}

}  // namespace UToolChannel
