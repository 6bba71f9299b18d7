#include "standin/StandinRequest.h"

#include "common/DataConverter.h"
#include "common/DataParser.h"
#include "utility/disk/RamDiskStatus.h"

namespace UStandinRequest {

namespace {

// Longest identifier or path accepted, in UTF-16 units (the longest Windows path).
const size_t kMaxPathUnits = 32767;

bool Fail(Refusal& refusal, uint32_t error, const char* reason) {
    refusal.error = error;
    refusal.reason = reason;
    return false;
}

// A non-empty path without zero units; a zero would cut it short in every system call.
bool ReadPath(CDataParser& parser, std::wstring& path) {
    std::u16string units;
    if (!parser.ReadString(units)) return false;
    if (units.empty() || units.size() > kMaxPathUnits) return false;
    for (char16_t unit : units) {
        if (unit == 0) return false;
    }
    path = FromUtf16(units);
    return true;
}

bool ReadLetter(CDataParser& parser, wchar_t& letter) {
    char16_t unit = 0;
    if (!parser.ReadChar(unit)) return false;
    bool ascii = (unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z');
    if (unit != 0 && !ascii) return false;
    letter = static_cast<wchar_t>(unit);
    return true;
}

bool ReadFlag(CDataParser& parser, bool& flag) {
    uint8_t value = 0;
    if (!parser.ReadByte(value) || value > 1) return false;
    flag = value == 1;
    return true;
}

bool KindOf(uint32_t controlCode, Kind& kind) {
    switch (controlCode) {
        case IOCTL_RAMDISK_CREATE:
            kind = Kind::Create;
            return true;
        case IOCTL_RAMDISK_REMOVE:
            kind = Kind::Remove;
            return true;
        case IOCTL_RAMDISK_QUERY:
            kind = Kind::Query;
            return true;
        case IOCTL_RAMDISK_SAVE_AND_REMOVE:
            kind = Kind::SaveAndRemove;
            return true;
        case IOCTL_RAMDISK_SYNC_BEGIN:
            kind = Kind::SyncBegin;
            return true;
        case IOCTL_RAMDISK_SYNC_END:
            kind = Kind::SyncEnd;
            return true;
        case IOCTL_STANDIN_WRITE:
            kind = Kind::Write;
            return true;
        case IOCTL_STANDIN_READ:
            kind = Kind::Read;
            return true;
        case IOCTL_STANDIN_SET_IN_USE:
            kind = Kind::SetInUse;
            return true;
        case IOCTL_STANDIN_STOP:
            kind = Kind::Stop;
            return true;
        default:
            return false;
    }
}

// The fields after the DiskId, in the order of the command's layout.
bool ReadFields(CDataParser& parser, Command& c) {
    switch (c.kind) {
        case Kind::Create:
            return ReadFlag(parser, c.imageMode);
        case Kind::Remove:
            return ReadLetter(parser, c.letter) && parser.ReadByte(c.reserved) && ReadFlag(parser, c.save);
        case Kind::Query:
        case Kind::SyncBegin:
        case Kind::SyncEnd:
            return ReadLetter(parser, c.letter);
        case Kind::SaveAndRemove:
            return ReadLetter(parser, c.letter) && parser.ReadByte(c.reserved) && ReadPath(parser, c.imagePath) &&
                   parser.ReadUInt64(c.pieceSize) && c.pieceSize != 0;
        case Kind::Write:
            return parser.ReadUInt64(c.offset) && parser.ReadBlock(c.data) && !c.data.empty();
        case Kind::Read:
            return parser.ReadUInt64(c.offset) && parser.ReadUInt32(c.length) && c.length != 0 &&
                   c.length <= kMaxReadLength;
        case Kind::SetInUse:
            return ReadFlag(parser, c.inUse);
        case Kind::Stop:
            return true;
    }
    return false;
}

}  // namespace

uint32_t ReplySizeOf(Kind kind, uint32_t readLength) {
    switch (kind) {
        case Kind::Create:
        case Kind::Query:
            return sizeof(RamDiskStatus);
        case Kind::Read:
            return readLength;
        default:
            return sizeof(DriverReply);
    }
}

bool Decode(uint32_t controlCode, unsigned lengthWidth, const std::vector<uint8_t>& input, uint32_t replySize,
            Command& command, Refusal& refusal) {
    Command c;
    if (!KindOf(controlCode, c.kind)) return Fail(refusal, kErrorInvalidFunction, "unknown control code");
    if (lengthWidth != 4 && lengthWidth != 8)
        return Fail(refusal, kErrorInvalidParameter, "length width must be 4 or 8");

    CDataParser parser(input, lengthWidth);
    if (c.kind != Kind::Stop && !ReadPath(parser, c.diskId))
        return Fail(refusal, kErrorInvalidParameter, "DiskId missing, cut short, empty or holding a zero");
    if (!ReadFields(parser, c)) return Fail(refusal, kErrorInvalidParameter, "fields missing or out of range");
    if (!parser.AtEnd()) return Fail(refusal, kErrorInvalidParameter, "bytes after the last field");

    c.replySize = ReplySizeOf(c.kind, c.length);
    if (replySize < c.replySize) return Fail(refusal, kErrorInsufficientBuffer, "reply buffer too small");
    command = std::move(c);
    return true;
}

}  // namespace UStandinRequest
