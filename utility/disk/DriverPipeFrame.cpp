#include "utility/disk/DriverPipeFrame.h"

#include <cstring>

#include "common/DataConverter.h"
#include "common/DataParser.h"

namespace UDriverPipeFrame {

namespace {
const wchar_t kDefaultPipeName[] = L"VelmoraEXRamDiskDriver";
std::wstring g_pipeName = kDefaultPipeName;
}  // namespace

const wchar_t* PipeName() { return g_pipeName.c_str(); }
void SetPipeName(const wchar_t* name) { g_pipeName = name ? name : kDefaultPipeName; }

std::vector<uint8_t> EncodeRequest(const Request& request) {
    CDataConverter frame(4);
    frame.AppendUInt32(kRequestMagic);
    frame.AppendUInt32(request.controlCode);
    frame.AppendUInt32(request.replySize);
    frame.AppendByte(request.lengthWidth);
    frame.AppendBlock(request.input.data(), request.input.size());
    return frame.Bytes();
}

std::vector<uint8_t> EncodeReply(const Reply& reply) {
    CDataConverter frame(4);
    frame.AppendUInt32(kReplyMagic);
    frame.AppendUInt32(reply.succeeded ? 1 : 0);
    frame.AppendUInt32(reply.error);
    frame.AppendBlock(reply.output.data(), reply.output.size());
    return frame.Bytes();
}

bool DecodeRequest(const std::vector<uint8_t>& frame, Request& request, std::string& reason) {
    CDataParser parser(frame, 4);
    uint32_t magic = 0;
    Request r;
    if (!parser.ReadUInt32(magic) || magic != kRequestMagic) {
        reason = "not a request frame";
        return false;
    }
    if (!parser.ReadUInt32(r.controlCode) || !parser.ReadUInt32(r.replySize) || !parser.ReadByte(r.lengthWidth)) {
        reason = "request header cut short";
        return false;
    }
    if (r.replySize > kMaxReply) {
        reason = "reply size too large";
        return false;
    }
    if (r.lengthWidth != 4 && r.lengthWidth != 8) {
        reason = "length width must be 4 or 8";
        return false;
    }
    if (!parser.ReadBlock(r.input)) {
        reason = "input length past the end of the frame";
        return false;
    }
    if (r.input.size() > kMaxInput) {
        reason = "input too large";
        return false;
    }
    if (!parser.AtEnd()) {
        reason = "bytes after the input";
        return false;
    }
    request = std::move(r);
    return true;
}

bool DecodeReply(const std::vector<uint8_t>& frame, uint32_t replySize, Reply& reply, std::string& reason) {
    CDataParser parser(frame, 4);
    uint32_t magic = 0, succeeded = 0;
    Reply r;
    if (!parser.ReadUInt32(magic) || magic != kReplyMagic) {
        reason = "not a reply frame";
        return false;
    }
    if (!parser.ReadUInt32(succeeded) || succeeded > 1 || !parser.ReadUInt32(r.error)) {
        reason = "reply header malformed";
        return false;
    }
    if (!parser.ReadBlock(r.output) || !parser.AtEnd()) {
        reason = "reply length does not match the frame";
        return false;
    }
    if (r.output.size() > replySize) {
        reason = "reply longer than the caller's buffer";
        return false;
    }
    r.succeeded = succeeded == 1;
    reply = std::move(r);
    return true;
}

bool UnpackReply(const std::vector<uint8_t>& frame, void* buffer, uint32_t replySize, uint32_t& error) {
    Reply decoded;
    std::string reason;
    if (!DecodeReply(frame, replySize, decoded, reason)) {
        error = kErrorInvalidData;
        return false;
    }
    if (!decoded.output.empty()) std::memcpy(buffer, decoded.output.data(), decoded.output.size());
    error = decoded.succeeded ? 0 : decoded.error;
    return decoded.succeeded;
}

}  // namespace UDriverPipeFrame
