// The tools program's decoding of the utility's answer (kind 0, a byte block, the command).
// Promises: no read past the input; a decoded command is exactly what the utility's builder
// makes of it (so nothing was skipped or misread); a refused answer leaves the output alone;
// "no result" exactly when the answer is no kind-0 block holding the rest with a command
// number 1 to 3, otherwise a command that does not decode gets status 1.
#include <cstring>

#include "common/DataParser.h"
#include "common/ToolChannel.h"
#include "common/ToolResultRecords.h"
#include "fuzz/FuzzCheck.h"
#include "tools/ToolCommandDecoder.h"
#include "utility/tools_channel/ToolCommandBuilder.h"

using UToolCommandDecoder::EOutcome;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so that ASan sees any read past the end.
    const std::vector<uint8_t> answer(data, data + size);
    UToolCommandDecoder::CCommand command;
    command.number = -7;
    const EOutcome outcome = UToolCommandDecoder::Decode(answer, command);

    // The envelope, read independently: kind 0, a length, exactly that many bytes.
    const size_t w = sizeof(size_t);
    bool envelope = size >= 4 + w && LittleEndian(data, 4) == 0 && LittleEndian(data + 4, w) == size - 4 - w;
    const bool knownNumber = envelope && size >= 8 + w &&
                             UToolResultRecords::RecordSize(static_cast<int32_t>(LittleEndian(data + 4 + w, 4))) != 0;

    if (outcome == EOutcome::Command) {
        FUZZ_CHECK(knownNumber);
        const std::vector<uint8_t> rebuilt = UToolChannel::CommandAnswer(UToolCommandBuilder::Build(
            static_cast<EToolCommand>(command.number), static_cast<wchar_t>(command.drive), command.link));
        FUZZ_CHECK(rebuilt == answer);
        const CVelmoraEXVlinkData resolved = UToolCommandDecoder::ResolvedLink(command);
        FUZZ_CHECK(resolved.src == command.link.src && resolved.backup == command.link.backup);
        FUZZ_CHECK(command.drive == 0 ? resolved.dst == command.link.dst
                                      : resolved.dst.size() == command.link.dst.size() + 2 &&
                                            resolved.dst.compare(2, std::wstring::npos, command.link.dst) == 0);
    } else {
        FUZZ_CHECK(command.number == -7 && command.link.src.empty());
        FUZZ_CHECK((outcome == EOutcome::Malformed) == knownNumber);
    }
    return 0;
}
