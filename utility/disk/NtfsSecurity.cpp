#include "utility/disk/NtfsSecurity.h"

#include "utility/disk/NtfsBytes.h"
#include "utility/disk/NtfsIndex.h"

#include <cstring>

using namespace UNtfsBytes;

namespace {

constexpr uint16_t kSelfRelativeDaclPresent = 0x8004;
constexpr uint8_t kAclRevision = 2;
constexpr uint8_t kAccessAllowed = 0;
constexpr uint8_t kObjectInherit = 0x01;
constexpr uint8_t kContainerInherit = 0x02;
constexpr uint8_t kInheritOnly = 0x08;
constexpr uint32_t kSdsHeader = 20;

struct Ace {
    uint8_t flags;
    uint32_t mask;
    std::vector<uint8_t> sid;
};

std::vector<uint8_t> Acl(const std::vector<Ace>& aces) {
    std::vector<uint8_t> acl(8, 0);
    for (const Ace& ace : aces) {
        const size_t at = acl.size();
        acl.resize(at + 8 + ace.sid.size(), 0);
        acl[at] = kAccessAllowed;
        acl[at + 1] = ace.flags;
        Put16(&acl[at + 2], static_cast<uint16_t>(8 + ace.sid.size()));
        Put32(&acl[at + 4], ace.mask);
        std::memcpy(&acl[at + 8], ace.sid.data(), ace.sid.size());
    }
    acl[0] = kAclRevision;
    Put16(&acl[2], static_cast<uint16_t>(acl.size()));
    Put16(&acl[4], static_cast<uint16_t>(aces.size()));
    return acl;
}

// Header, then the DACL, then owner and group.
std::vector<uint8_t> Descriptor(const std::vector<uint8_t>& dacl, const std::vector<uint8_t>& owner,
                                const std::vector<uint8_t>& group) {
    std::vector<uint8_t> sd(20 + dacl.size() + owner.size() + group.size(), 0);
    sd[0] = 1;
    Put16(&sd[2], kSelfRelativeDaclPresent);
    const uint32_t daclOffset = 20;
    const uint32_t ownerOffset = daclOffset + static_cast<uint32_t>(dacl.size());
    const uint32_t groupOffset = ownerOffset + static_cast<uint32_t>(owner.size());
    Put32(&sd[4], ownerOffset);
    Put32(&sd[8], groupOffset);
    Put32(&sd[12], 0);
    Put32(&sd[16], daclOffset);
    std::memcpy(&sd[daclOffset], dacl.data(), dacl.size());
    std::memcpy(&sd[ownerOffset], owner.data(), owner.size());
    std::memcpy(&sd[groupOffset], group.data(), group.size());
    return sd;
}

std::vector<uint8_t> LocalSystem() { return UNtfsSecurity::Sid(5, {18}); }

std::vector<uint8_t> Administrators() { return UNtfsSecurity::Sid(5, {32, 544}); }

struct SdsEntry {
    uint32_t id;
    uint32_t mask;
    uint64_t offset;
};

constexpr SdsEntry kEntries[] = {
    {UNtfsSecurity::kReadOnlyId, 0x120089, 0},
    {UNtfsSecurity::kReadWriteId, 0x12019F, 128},
};

// The 20-byte header of an $SDS entry, which $SDH and $SII also carry as data.
std::vector<uint8_t> SdsHeader(const SdsEntry& e, const std::vector<uint8_t>& sd) {
    std::vector<uint8_t> h(kSdsHeader, 0);
    Put32(&h[0], UNtfsSecurity::Hash(sd.data(), sd.size()));
    Put32(&h[4], e.id);
    Put64(&h[8], e.offset);
    Put32(&h[16], static_cast<uint32_t>(kSdsHeader + sd.size()));
    return h;
}

}  // namespace

namespace UNtfsSecurity {

std::vector<uint8_t> Sid(uint8_t authority, std::initializer_list<uint32_t> subAuthorities) {
    std::vector<uint8_t> sid(8 + 4 * subAuthorities.size(), 0);
    sid[0] = 1;
    sid[1] = static_cast<uint8_t>(subAuthorities.size());
    sid[7] = authority;  // 48-bit big-endian identifier authority
    size_t at = 8;
    for (uint32_t sub : subAuthorities) {
        Put32(&sid[at], sub);
        at += 4;
    }
    return sid;
}

std::vector<uint8_t> SystemDescriptor(uint32_t accessMask) {
    const std::vector<uint8_t> dacl = Acl({{0, accessMask, LocalSystem()}, {0, accessMask, Administrators()}});
    return Descriptor(dacl, Administrators(), Administrators());
}

std::vector<uint8_t> RootDescriptor() {
    const uint8_t inherit = kObjectInherit | kContainerInherit;
    const uint32_t fullControl = 0x1F01FF;
    const uint32_t change = 0x1301BF;
    const uint32_t genericAll = 0x10000000;
    const std::vector<uint8_t> dacl = Acl({{inherit, fullControl, Administrators()},
                                           {inherit, fullControl, LocalSystem()},
                                           {static_cast<uint8_t>(inherit | kInheritOnly), genericAll, Sid(3, {0})},
                                           {inherit, change, Sid(1, {0})}});
    return Descriptor(dacl, Administrators(), LocalSystem());
}

uint32_t Hash(const uint8_t* descriptor, size_t length) {
    uint32_t hash = 0;
    for (size_t i = 0; i + 4 <= length; i += 4) hash = Get32(descriptor + i) + ((hash << 3) | (hash >> 29));
    return hash;
}

std::vector<uint8_t> SdsStream() {
    std::vector<uint8_t> sds(kSdsSize, 0);
    for (const SdsEntry& e : kEntries) {
        const std::vector<uint8_t> sd = SystemDescriptor(e.mask);
        const std::vector<uint8_t> header = SdsHeader(e, sd);
        for (uint64_t base : {uint64_t{0}, uint64_t{kSdsMirrorOffset}}) {
            std::memcpy(&sds[base + e.offset], header.data(), header.size());
            std::memcpy(&sds[base + e.offset + kSdsHeader], sd.data(), sd.size());
        }
    }
    return sds;
}

void AddIndexEntries(CNtfsIndex& sdh, CNtfsIndex& sii) {
    for (const SdsEntry& e : kEntries) {
        const std::vector<uint8_t> sd = SystemDescriptor(e.mask);
        const std::vector<uint8_t> header = SdsHeader(e, sd);
        std::vector<uint8_t> sdhKey(8);
        Put32(&sdhKey[0], Get32(&header[0]));
        Put32(&sdhKey[4], e.id);
        // The padding after $SDH's data holds two UTF-16 'I's.
        sdh.AddView(sdhKey, header, {'I', 0, 'I', 0});
        std::vector<uint8_t> siiKey(4);
        Put32(&siiKey[0], e.id);
        sii.AddView(siiKey, header);
    }
}

}  // namespace UNtfsSecurity
