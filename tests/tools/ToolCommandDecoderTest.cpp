// The tools program's reading of its command line and of the utility's command, against the
// utility's own command builders.
#include "tools/ToolCommandDecoder.h"

#include <gtest/gtest.h>

#include "common/DataConverter.h"
#include "common/ToolChannel.h"
#include "tools/ToolSwitches.h"
#include "utility/tools_channel/ToolCommandBuilder.h"

using UToolCommandDecoder::EOutcome;

namespace {
const CVelmoraEXVlinkData kLink(L"C:\\Users\\me\\Documents", L"\\Vlink\\Documents", L"C:\\Users\\me\\Documents_Backup");

std::vector<uint8_t> Answer(const std::vector<uint8_t>& payload) { return UToolChannel::CommandAnswer(payload); }

// A payload built field by field (lengths at the build's width unless told).
struct CPayload {
    CDataConverter out;
    explicit CPayload(int32_t command, unsigned width = sizeof(size_t)) : out(width) { out.AppendInt32(command); }
};
}  // namespace

TEST(ToolSwitches, ExactCaseSensitiveFirstMatchWins) {
    const struct {
        std::vector<std::wstring> arguments;
        EToolJob job;
    } rows[] = {
        {{L"/Del_Cache"}, TOOL_JOB_DELETE_CACHE},
        {{L"-Del_Cookie"}, TOOL_JOB_DELETE_COOKIES},
        {{L"C:\\x\\VelmoraEXTools.exe", L"/Del_History"}, TOOL_JOB_DELETE_HISTORY},
        {{L"/Del_TypedURLs"}, TOOL_JOB_DELETE_TYPED_URLS},
        {{L"/Del_Cookie", L"-Del_Cache"}, TOOL_JOB_DELETE_COOKIES},
        {{L"/del_cache"}, TOOL_JOB_NONE},
        {{L"/Del_Cache "}, TOOL_JOB_NONE},
        {{L"/Del_Cach"}, TOOL_JOB_NONE},
        {{L"Del_Cache"}, TOOL_JOB_NONE},
        {{L"\\Del_Cache"}, TOOL_JOB_NONE},
        {{L"/", L"-", L""}, TOOL_JOB_NONE},
        {{L"/x", L"/Del_TypedURLs", L"/Del_Cache"}, TOOL_JOB_DELETE_TYPED_URLS},
        {{}, TOOL_JOB_NONE},
    };
    for (const auto& row : rows) {
        std::wstring all;
        for (const auto& a : row.arguments) all += a + L" ";
        EXPECT_EQ(UToolSwitches::FindJob(row.arguments), row.job) << std::string(all.begin(), all.end());
    }
}

TEST(ToolCommandDecoder, BadAnswersGetStatusOneOrNoResult) {
    const std::vector<uint8_t> good = UToolCommandBuilder::CreateLink(L'R', kLink);
    const size_t w = sizeof(size_t);
    std::vector<uint8_t> extraByte = good;
    extraByte.push_back(0);

    CPayload noDrive(1);
    CPayload halfDrive(1);
    halfDrive.out.AppendByte('R');
    CPayload oddString(2);
    oddString.out.AppendChar(u'R');
    oddString.out.AppendLength(3);
    oddString.out.AppendByte('a'), oddString.out.AppendByte(0), oddString.out.AppendByte('b');
    oddString.out.AppendString(std::wstring()), oddString.out.AppendString(std::wstring());
    CPayload beyond(3);
    beyond.out.AppendChar(u'R');
    beyond.out.AppendString(kLink.src);
    beyond.out.AppendLength(1000);  // more than remains
    beyond.out.AppendString(std::wstring(L"ab"));
    CPayload twoStrings(3);
    twoStrings.out.AppendChar(u'R');
    twoStrings.out.AppendString(kLink.src), twoStrings.out.AppendString(kLink.dst);
    CPayload hugeLength(1);
    hugeLength.out.AppendChar(u'R');
    hugeLength.out.AppendLength(w == 8 ? 0xFFFFFFFFFFFFFFFEull : 0xFFFFFFFEull);

    CPayload unknownCommand(4);
    unknownCommand.out.AppendChar(u'R');
    std::vector<uint8_t> blockTooLong = Answer(good);
    blockTooLong[4] += 1;  // the block claims one byte more than follows
    std::vector<uint8_t> trailing = Answer(good);
    trailing.push_back(0);  // a byte after the block
    CDataConverter noCommandKind;
    noCommandKind.AppendInt32(1);
    CDataConverter resultKind;
    resultKind.AppendInt32(2);
    resultKind.AppendBlock(good.data(), good.size());

    const struct {
        const char* what;
        std::vector<uint8_t> answer;
        EOutcome outcome;
    } rows[] = {
        {"one byte after the third string", Answer(extraByte), EOutcome::Malformed},
        {"drive letter missing", Answer(noDrive.out.Bytes()), EOutcome::Malformed},
        {"half a drive letter", Answer(halfDrive.out.Bytes()), EOutcome::Malformed},
        {"odd byte count", Answer(oddString.out.Bytes()), EOutcome::Malformed},
        {"string longer than what remains", Answer(beyond.out.Bytes()), EOutcome::Malformed},
        {"third string missing", Answer(twoStrings.out.Bytes()), EOutcome::Malformed},
        {"length near the top of the size type", Answer(hugeLength.out.Bytes()), EOutcome::Malformed},
        {"command number 4", Answer(unknownCommand.out.Bytes()), EOutcome::NoResult},
        {"command number missing", Answer({1, 0}), EOutcome::NoResult},
        {"empty block", Answer({}), EOutcome::NoResult},
        {"block longer than the answer", blockTooLong, EOutcome::NoResult},
        {"byte after the block", trailing, EOutcome::NoResult},
        {"no command (kind 1)", noCommandKind.Bytes(), EOutcome::NoResult},
        {"kind 2", resultKind.Bytes(), EOutcome::NoResult},
        {"three bytes", {0, 0, 0}, EOutcome::NoResult},
        {"nothing", {}, EOutcome::NoResult},
    };
    for (const auto& row : rows) {
        UToolCommandDecoder::CCommand command;
        command.number = 77;
        EXPECT_EQ(UToolCommandDecoder::Decode(row.answer, command), row.outcome) << row.what;
        EXPECT_EQ(command.number, 77) << row.what << ": a refused command leaves the output alone";
    }
}
