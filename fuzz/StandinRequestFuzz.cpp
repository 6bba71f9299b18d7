// UStandinRequest::Decode. The input is split into a control code (first byte: one of the
// stand-in's codes, or an unknown one), the caller's length width (second byte, any value), the
// reply size (next two bytes) and the request bytes (the rest). An accepted request must follow
// its command's layout exactly: written again it gives the very same bytes, its identifiers are
// non-empty and free of zeros, its letter 0 or an ASCII letter, its reply size the command's. A
// refused one leaves the command alone, with a reason and one of the listed error codes.
#include "common/DataConverter.h"
#include "fuzz/FuzzCheck.h"
#include "standin/StandinRequest.h"
#include "utility/disk/RamDiskStatus.h"

using namespace UStandinRequest;

namespace {

const uint32_t kCodes[] = {
    IOCTL_RAMDISK_CREATE,     IOCTL_RAMDISK_REMOVE,   IOCTL_RAMDISK_QUERY, IOCTL_RAMDISK_SAVE_AND_REMOVE,
    IOCTL_RAMDISK_SYNC_BEGIN, IOCTL_RAMDISK_SYNC_END, IOCTL_STANDIN_WRITE, IOCTL_STANDIN_READ,
    IOCTL_STANDIN_SET_IN_USE, IOCTL_STANDIN_STOP};
const Kind kKinds[] = {Kind::Create,  Kind::Remove, Kind::Query, Kind::SaveAndRemove, Kind::SyncBegin,
                       Kind::SyncEnd, Kind::Write,  Kind::Read,  Kind::SetInUse,      Kind::Stop};
const size_t kKnown = sizeof(kCodes) / sizeof(kCodes[0]);

// The request bytes of a command: DiskId first (but for stop), then its fields in layout order.
std::vector<uint8_t> Encode(const Command& c, unsigned width) {
    CDataConverter out(width);
    if (c.kind != Kind::Stop) out.AppendString(c.diskId);
    const bool hasLetter = c.kind == Kind::Remove || c.kind == Kind::Query || c.kind == Kind::SaveAndRemove ||
                           c.kind == Kind::SyncBegin || c.kind == Kind::SyncEnd;
    if (hasLetter) out.AppendChar(static_cast<char16_t>(c.letter));
    if (c.kind == Kind::Remove || c.kind == Kind::SaveAndRemove) out.AppendByte(c.reserved);
    switch (c.kind) {
        case Kind::Create:
            out.AppendByte(c.imageMode);
            break;
        case Kind::Remove:
            out.AppendByte(c.save);
            break;
        case Kind::SaveAndRemove:
            out.AppendString(c.imagePath);
            out.AppendUInt64(c.pieceSize);
            break;
        case Kind::Write:
            out.AppendUInt64(c.offset);
            out.AppendBlock(c.data.data(), c.data.size());
            break;
        case Kind::Read:
            out.AppendUInt64(c.offset);
            out.AppendUInt32(c.length);
            break;
        case Kind::SetInUse:
            out.AppendByte(c.inUse);
            break;
        default:
            break;
    }
    return out.Bytes();
}

bool IsPath(const std::wstring& path) { return !path.empty() && path.find(L'\0') == std::wstring::npos; }

bool Same(const Command& a, const Command& b) {
    return a.kind == b.kind && a.replySize == b.replySize && a.diskId == b.diskId && a.letter == b.letter &&
           a.imageMode == b.imageMode && a.reserved == b.reserved && a.save == b.save && a.imagePath == b.imagePath &&
           a.pieceSize == b.pieceSize && a.offset == b.offset && a.length == b.length && a.data == b.data &&
           a.inUse == b.inUse;
}

// What a refused decode must leave in place.
Command Untouched() {
    Command c;
    c.kind = Kind::SetInUse;
    c.replySize = 77;
    c.diskId = L"untouched";
    c.letter = L'U';
    c.imagePath = L"untouched.dat";
    c.pieceSize = 5;
    c.data = {9};
    return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint8_t pick = in.Byte();
    const uint32_t code = pick < kKnown ? kCodes[pick] : 0x226000u + pick;
    const unsigned width = in.Byte();
    const uint32_t replySize = static_cast<uint32_t>(in.Take(2));
    const std::vector<uint8_t> bytes = in.Rest();

    size_t known = 0;
    while (known < kKnown && kCodes[known] != code) ++known;

    Command command = Untouched();
    Refusal refusal;
    if (!Decode(code, width, bytes, replySize, command, refusal)) {
        FUZZ_CHECK(Same(command, Untouched()));
        FUZZ_CHECK(!refusal.reason.empty());
        if (known == kKnown)
            FUZZ_CHECK(refusal.error == kErrorInvalidFunction);
        else if (width != 4 && width != 8)
            FUZZ_CHECK(refusal.error == kErrorInvalidParameter);
        else
            FUZZ_CHECK(refusal.error == kErrorInvalidParameter || refusal.error == kErrorInsufficientBuffer);
        if (refusal.error == kErrorInsufficientBuffer) {
            // Only the buffer was wrong: the largest reply buffer takes the same request.
            Command again;
            FUZZ_CHECK(Decode(code, width, bytes, kMaxReadLength, again, refusal));
            FUZZ_CHECK(again.replySize > replySize);
        }
        return 0;
    }

    FUZZ_CHECK(known < kKnown && command.kind == kKinds[known]);
    FUZZ_CHECK(width == 4 || width == 8);
    FUZZ_CHECK(Encode(command, width) == bytes);
    FUZZ_CHECK(command.kind == Kind::Stop ? command.diskId.empty() : IsPath(command.diskId));
    FUZZ_CHECK(command.kind == Kind::SaveAndRemove ? IsPath(command.imagePath) : command.imagePath.empty());
    const wchar_t l = command.letter;
    FUZZ_CHECK(l == 0 || (l >= L'A' && l <= L'Z') || (l >= L'a' && l <= L'z'));
    FUZZ_CHECK(command.replySize == ReplySizeOf(command.kind, command.length) && command.replySize <= replySize);
    if (command.kind == Kind::Read) FUZZ_CHECK(command.length >= 1 && command.length <= kMaxReadLength);

    // The reply size is the last rule: the command's own size passes, one byte less does not.
    Command again;
    FUZZ_CHECK(Decode(code, width, bytes, command.replySize, again, refusal) && Same(again, command));
    FUZZ_CHECK(!Decode(code, width, bytes, command.replySize - 1, again, refusal) &&
               refusal.error == kErrorInsufficientBuffer);
    return 0;
}
