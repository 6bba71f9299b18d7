// The stand-in pipe's frames. The input's first two bytes are the caller's reply size, the rest
// is one frame, decoded both as a request and as a reply. Each decoder must accept exactly the
// frames a model of the layout calls well formed (magic, header words, a length that ends the
// frame, sizes within the limits, a length width of 4 or 8), refuse the others with a reason,
// and what it accepts must encode back to the very same bytes.
#include "fuzz/FuzzCheck.h"
#include "utility/disk/DriverPipeFrame.h"

using namespace UDriverPipeFrame;

namespace {

// Request: magic, control code, reply size, length width byte, 32-bit length, input.
bool WellFormedRequest(const std::vector<uint8_t>& f) {
    if (f.size() < 17 || LittleEndian(&f[0], 4) != kRequestMagic) return false;
    const uint64_t replySize = LittleEndian(&f[8], 4), width = f[12], length = LittleEndian(&f[13], 4);
    return replySize <= kMaxReply && (width == 4 || width == 8) && length <= kMaxInput && f.size() - 17 == length;
}

// Reply: magic, succeeded word (0 or 1), error word, 32-bit length, output (at most replySize).
bool WellFormedReply(const std::vector<uint8_t>& f, uint32_t replySize) {
    if (f.size() < 16 || LittleEndian(&f[0], 4) != kReplyMagic) return false;
    const uint64_t succeeded = LittleEndian(&f[4], 4), length = LittleEndian(&f[12], 4);
    return succeeded <= 1 && f.size() - 16 == length && length <= replySize;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const uint32_t replySize = static_cast<uint32_t>(input.Take(2));
    const std::vector<uint8_t> frame = input.Rest();
    std::string reason;

    Request request;
    if (DecodeRequest(frame, request, reason)) {
        FUZZ_CHECK(WellFormedRequest(frame));
        FUZZ_CHECK(EncodeRequest(request) == frame);
    } else {
        FUZZ_CHECK(!WellFormedRequest(frame));
        FUZZ_CHECK(!reason.empty());
    }

    reason.clear();
    Reply reply;
    if (DecodeReply(frame, replySize, reply, reason)) {
        FUZZ_CHECK(WellFormedReply(frame, replySize));
        FUZZ_CHECK(reply.output.size() <= replySize);
        FUZZ_CHECK(EncodeReply(reply) == frame);
    } else {
        FUZZ_CHECK(!WellFormedReply(frame, replySize));
        FUZZ_CHECK(!reason.empty());
    }
    return 0;
}
