#include "tools/ToolCommandExchange.h"

#include "common/PipeCommand.h"
#include "common/ToolChannel.h"
#include "tools/ToolCommandHandler.h"

namespace UToolCommandExchange {

EEnd Run(CPipeCommand& pipe, IToolCommandHandler& handler) {
    const std::vector<uint8_t> request = UToolChannel::Request();
    std::vector<uint8_t> answer;
    if (!pipe.Write(request.data(), request.size(), INFINITE) || !pipe.Read(answer, INFINITE)) return EEnd::NoAnswer;

    UToolCommandDecoder::CCommand command;
    std::vector<uint8_t> result;
    EEnd end = EEnd::Carried;
    switch (UToolCommandDecoder::Decode(answer, command)) {
        case UToolCommandDecoder::EOutcome::NoResult:
            return EEnd::NoCommand;
        case UToolCommandDecoder::EOutcome::Malformed:
            result = UToolChannel::Result(UToolChannel::kStatusMalformed, {});
            end = EEnd::Malformed;
            break;
        case UToolCommandDecoder::EOutcome::Command:
            result = UToolChannel::Result(UToolChannel::kStatusDone, handler.Carry(command));
            break;
    }
    pipe.Write(result.data(), result.size(), INFINITE);
    return end;
}

}  // namespace UToolCommandExchange
