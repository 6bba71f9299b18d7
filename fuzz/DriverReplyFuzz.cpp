// UnpackReply: what the driver channel makes of the stand-in's answer. The input's first two
// bytes are the caller's buffer size (sizeof(RamDiskStatus) for create and query,
// sizeof(DriverReply) for the other commands), the rest is the reply frame. A frame that
// DecodeReply refuses copies nothing and fails with kErrorInvalidData; a valid one fills exactly
// its output into the buffer's start, keeps the rest of the buffer, and gives the frame's result
// and error word. The buffer is allocated at its exact size, so a copy past it is caught.
#include <algorithm>
#include <memory>

#include "fuzz/FuzzCheck.h"
#include "utility/disk/DriverPipeFrame.h"

using namespace UDriverPipeFrame;

namespace {
uint8_t Filler(size_t i) { return static_cast<uint8_t>(0xA5 ^ i); }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const uint32_t replySize = static_cast<uint32_t>(input.Take(2)) % (kMaxReply + 1);
    const std::vector<uint8_t> frame = input.Rest();

    std::unique_ptr<uint8_t[]> buffer(new uint8_t[replySize]);
    for (size_t i = 0; i < replySize; ++i) buffer[i] = Filler(i);
    uint32_t error = 0xFFFFFFFF;
    const bool succeeded = UnpackReply(frame, buffer.get(), replySize, error);

    Reply decoded;
    std::string reason;
    size_t copied = 0;
    if (DecodeReply(frame, replySize, decoded, reason)) {
        FUZZ_CHECK(succeeded == decoded.succeeded);
        FUZZ_CHECK(error == (decoded.succeeded ? 0 : decoded.error));
        copied = decoded.output.size();
        FUZZ_CHECK(copied <= replySize);
        FUZZ_CHECK(std::equal(decoded.output.begin(), decoded.output.end(), buffer.get()));
    } else {
        FUZZ_CHECK(!succeeded);
        FUZZ_CHECK(error == kErrorInvalidData);
    }
    for (size_t i = copied; i < replySize; ++i) FUZZ_CHECK(buffer[i] == Filler(i));
    return 0;
}
