#pragma once
// Frames of the driver stand-in's pipe: one request frame carries what DeviceIoControl would
// (control code, input bytes, reply size) plus the caller's length width; one reply frame
// carries the reply bytes and the control call's own result.
#include <cstdint>
#include <string>
#include <vector>

namespace UDriverPipeFrame {

// Bare pipe name; the full path is "\\.\pipe\" followed by it. Tests that run their own
// server set another name so that they do not meet a running stand-in.
const wchar_t* PipeName();
void SetPipeName(const wchar_t* name);
const uint32_t kRequestMagic = 0x51584D56;  // "VMXQ"
const uint32_t kReplyMagic = 0x52584D56;    // "VMXR"
const uint32_t kMaxInput = 0x10000;
const uint32_t kMaxReply = 0x1000;

struct Request {
    uint32_t controlCode = 0;
    uint32_t replySize = 0;
    uint8_t lengthWidth = 8;  // 4 from a 32-bit caller, 8 from a 64-bit one
    std::vector<uint8_t> input;
};

struct Reply {
    bool succeeded = false;  // what DeviceIoControl returns
    uint32_t error = 0;      // its last error when it fails
    std::vector<uint8_t> output;
};

std::vector<uint8_t> EncodeRequest(const Request& request);
std::vector<uint8_t> EncodeReply(const Reply& reply);

// Both fail with a reason on anything malformed: wrong magic, short or long frame,
// sizes past the limits, a length width other than 4 or 8.
bool DecodeRequest(const std::vector<uint8_t>& frame, Request& request, std::string& reason);
bool DecodeReply(const std::vector<uint8_t>& frame, uint32_t replySize, Reply& reply, std::string& reason);

// The control call's error for a reply frame that does not decode (ERROR_INVALID_DATA).
const uint32_t kErrorInvalidData = 13;

// What the channel gives a caller with a reply buffer of replySize bytes: the output of a valid
// frame is copied to the buffer's start (the bytes after it keep their values) and the call's
// result is returned; error gets the frame's error word when the call failed, 0 when it succeeded.
// A malformed frame copies nothing and fails with kErrorInvalidData.
bool UnpackReply(const std::vector<uint8_t>& frame, void* buffer, uint32_t replySize, uint32_t& error);

}  // namespace UDriverPipeFrame
