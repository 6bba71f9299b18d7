// The utility's reading of the tools program's messages and result records. The first input
// byte picks the command (low two bits) and the context (bit 2 Vista or later, bit 3 question
// already asked, bit 4 drive letter known); the rest is a message of the tools program, whose
// record (or, when it is no result, the whole message) is then read as the command's record.
// Promises: Classify takes a record exactly for a status-0 result with bytes after the status,
// and the record is those bytes; Decide answers "no result" exactly for a record of the wrong
// size, "done" exactly when the command's success field is set, the elevation question only
// on Vista or later and only once, and error texts only from 6052 to 6060, none only for a
// create record that claims a junction without "linked"; Compose never reads past its patterns.
#include "common/ToolChannel.h"
#include "common/ToolResultRecords.h"
#include "fuzz/FuzzCheck.h"
#include "utility/tools_channel/ToolResultDecision.h"

using namespace UToolResultDecision;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t header = data[0];
    const EToolCommand command = static_cast<EToolCommand>(1 + (header & 3) % 3);
    CDecisionContext context;
    context.vistaOrLater = header & 4;
    context.elevationAsked = header & 8;
    context.drive = (header & 16) ? L'R' : 0;
    context.ramFolder = L"\\Vlink\\x";
    const std::vector<uint8_t> message(data + 1, data + size);

    std::vector<uint8_t> record{0xEE};
    const UToolChannel::ServerAction action = UToolChannel::Classify(message, record);
    const bool isResult = message.size() >= 4 && LittleEndian(message.data(), 4) == 2;
    const bool takes = isResult && message.size() > 8 && LittleEndian(message.data() + 4, 4) == 0;
    FUZZ_CHECK((action == UToolChannel::ServerAction::TakeResult) == takes);
    if (takes) FUZZ_CHECK(record == std::vector<uint8_t>(message.begin() + 8, message.end()));
    if (action == UToolChannel::ServerAction::DropResult) FUZZ_CHECK(isResult && record.empty());
    if (!isResult) FUZZ_CHECK(record == std::vector<uint8_t>{0xEE});

    // The record taken, or else the whole message read as a record.
    const std::vector<uint8_t>& result = takes ? record : message;
    const CDecision decision = Decide(command, result, context);
    const size_t expected = UToolResultRecords::RecordSize(command);
    FUZZ_CHECK((decision.action == EAction::NoResult) == (result.size() != expected));
    if (decision.action == EAction::NoResult) return 0;
    const size_t successField = command == TOOL_CREATE_LINK ? 0 : command == TOOL_REMOVE_LINK ? 5 : 2;
    FUZZ_CHECK((decision.action == EAction::Done) == (LittleEndian(result.data() + 4 * successField, 4) != 0));
    if (decision.action == EAction::AskElevation) FUZZ_CHECK(context.vistaOrLater && !context.elevationAsked);
    if (decision.action == EAction::AskDefer) FUZZ_CHECK(command == TOOL_CREATE_LINK);
    if (decision.action == EAction::ShowError) {
        FUZZ_CHECK(command != TOOL_RELINK);
        // A create record that says "junction created" but not "linked" yields no text (and no box).
        FUZZ_CHECK(decision.parts.size() <= 3);
        FUZZ_CHECK(!decision.parts.empty() ||
                   (command == TOOL_CREATE_LINK && LittleEndian(result.data() + 16, 4) != 0));
        for (const CTextPart& part : decision.parts) FUZZ_CHECK(part.id >= 6052 && part.id <= 6060);
        const std::wstring text = Compose(
            decision.parts, [](unsigned id) { return id == 6060 ? std::wstring(L"in use %s %") : L"failed (0x%X)%"; });
        FUZZ_CHECK(text.empty() == decision.parts.empty());
    } else {
        FUZZ_CHECK(decision.parts.empty());
    }
    return 0;
}
