#pragma once
// The messages of the tools channel: the utility hands the tools program one command over the
// pipe and reads one result back. Every message starts with a 32-bit kind.
//   tools -> utility  1  request (exactly 4 bytes)
//   utility -> tools  0  command: a byte block holding the command payload
//   utility -> tools  1  no command (the request was malformed or of another kind)
//   tools -> utility  2  result: 32-bit status, then (status 0) the command's result record
// Lengths have the width of the build's size type, so both programs of one installation are
// built for the same architecture; a peer of the other width reads as malformed.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace UToolChannel {

// The pipe's name, without the "\\.\pipe\" prefix.
extern const wchar_t kPipeName[];

enum : int32_t { kKindCommand = 0, kKindRequest = 1, kKindNoCommand = 1, kKindResult = 2 };
enum : int32_t { kStatusDone = 0, kStatusMalformed = 1 };

std::vector<uint8_t> Request();
std::vector<uint8_t> CommandAnswer(const std::vector<uint8_t>& payload, unsigned lengthWidth = sizeof(size_t));
std::vector<uint8_t> NoCommand();
std::vector<uint8_t> Result(int32_t status, const std::vector<uint8_t>& record);

// What the utility does with a message of the tools program.
enum class ServerAction {
    SendCommand,    // a well-formed request
    SendNoCommand,  // a request with bytes after its kind, or an unknown kind
    TakeResult,     // a result with status 0 and a record: `record` holds it
    DropResult,     // any other result: the utility's result is emptied
};
ServerAction Classify(const std::vector<uint8_t>& message, std::vector<uint8_t>& record);

}  // namespace UToolChannel
