#include "utility/disk/NtfsIndex.h"

#include "utility/disk/NtfsBytes.h"
#include "utility/disk/NtfsTypes.h"

#include <algorithm>
#include <cstring>

using namespace UNtfsBytes;
using namespace UNtfsTypes;

namespace {

constexpr uint32_t kEntryHeader = 16;
constexpr uint32_t kRootHeader = 16;
constexpr uint32_t kIndexHeader = 16;
constexpr uint32_t kBlockHeader = 24;
constexpr uint32_t kBlockUsaOffset = 40;

int Compare32(uint32_t a, uint32_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

int CompareUlongs(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    for (size_t i = 0; i + 4 <= a.size() && i + 4 <= b.size(); i += 4) {
        const int c = Compare32(Get32(&a[i]), Get32(&b[i]));
        if (c != 0) return c;
    }
    return Compare32(static_cast<uint32_t>(a.size()), static_cast<uint32_t>(b.size()));
}

// The end entry; with a sub-node it carries the VCN of the block below.
void PutEndEntry(uint8_t* p, bool node, uint64_t vcn) {
    Put16(p + 8, static_cast<uint16_t>(node ? kEntryHeader + 8 : kEntryHeader));
    Put16(p + 12, static_cast<uint16_t>(INDEX_ENTRY_END | (node ? INDEX_ENTRY_NODE : 0)));
    if (node) Put64(p + kEntryHeader, vcn);
}

}  // namespace

CNtfsIndex::CNtfsIndex(uint32_t indexedType, uint32_t collation, const uint16_t* upCase)
    : m_indexedType(indexedType), m_collation(collation), m_upCase(upCase) {}

void CNtfsIndex::AddFileName(uint64_t fileReference, const std::vector<uint8_t>& fileName) {
    Entry e;
    e.key = fileName;
    const uint32_t length = Align8(kEntryHeader + static_cast<uint32_t>(fileName.size()));
    e.bytes.assign(length, 0);
    Put64(&e.bytes[0], fileReference);
    Put16(&e.bytes[8], static_cast<uint16_t>(length));
    Put16(&e.bytes[10], static_cast<uint16_t>(fileName.size()));
    std::memcpy(&e.bytes[kEntryHeader], fileName.data(), fileName.size());
    m_entries.push_back(std::move(e));
}

void CNtfsIndex::AddView(const std::vector<uint8_t>& key, const std::vector<uint8_t>& data,
                         const std::vector<uint8_t>& tail) {
    Entry e;
    e.key = key;
    const uint32_t dataOffset = kEntryHeader + static_cast<uint32_t>(key.size());
    const uint32_t dataEnd = dataOffset + static_cast<uint32_t>(data.size());
    const uint32_t length = Align8(dataEnd + static_cast<uint32_t>(tail.size()));
    e.bytes.assign(length, 0);
    Put16(&e.bytes[0], static_cast<uint16_t>(dataOffset));
    Put16(&e.bytes[2], static_cast<uint16_t>(data.size()));
    Put16(&e.bytes[8], static_cast<uint16_t>(length));
    Put16(&e.bytes[10], static_cast<uint16_t>(key.size()));
    std::memcpy(&e.bytes[kEntryHeader], key.data(), key.size());
    if (!data.empty()) std::memcpy(&e.bytes[dataOffset], data.data(), data.size());
    if (!tail.empty()) std::memcpy(&e.bytes[dataEnd], tail.data(), tail.size());
    m_entries.push_back(std::move(e));
}

int CNtfsIndex::CompareKeys(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) const {
    switch (m_collation) {
        case COLLATION_FILE_NAME: {
            const uint32_t na = a.size() > 64 ? a[64] : 0;
            const uint32_t nb = b.size() > 64 ? b[64] : 0;
            // Case-blind first, then by the exact units.
            for (int pass = 0; pass < 2; ++pass) {
                for (uint32_t i = 0; i < na && i < nb; ++i) {
                    uint16_t x = Get16(&a[66 + 2 * i]);
                    uint16_t y = Get16(&b[66 + 2 * i]);
                    if (pass == 0 && m_upCase) {
                        x = m_upCase[x];
                        y = m_upCase[y];
                    }
                    if (x != y) return x < y ? -1 : 1;
                }
                if (na != nb) return na < nb ? -1 : 1;
            }
            return 0;
        }
        case COLLATION_ULONG:
        case COLLATION_ULONGS:
        case COLLATION_SECURITY_HASH:
            return CompareUlongs(a, b);
        default: {
            const size_t n = std::min(a.size(), b.size());
            const int c = n ? std::memcmp(a.data(), b.data(), n) : 0;
            if (c != 0) return c < 0 ? -1 : 1;
            return Compare32(static_cast<uint32_t>(a.size()), static_cast<uint32_t>(b.size()));
        }
    }
}

std::vector<const CNtfsIndex::Entry*> CNtfsIndex::Sorted() const {
    std::vector<const Entry*> sorted;
    for (const Entry& e : m_entries) sorted.push_back(&e);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [this](const Entry* a, const Entry* b) { return CompareKeys(a->key, b->key) < 0; });
    return sorted;
}

std::vector<uint8_t> CNtfsIndex::Root(uint32_t blockSize, uint8_t blockClusters, bool large) const {
    uint32_t entries = 0;
    if (!large) {
        for (const Entry& e : m_entries) entries += static_cast<uint32_t>(e.bytes.size());
    }
    const uint32_t endLength = large ? kEntryHeader + 8 : kEntryHeader;
    const uint32_t indexLength = kIndexHeader + entries + endLength;
    std::vector<uint8_t> v(kRootHeader + indexLength, 0);
    Put32(&v[0], m_indexedType);
    Put32(&v[4], m_collation);
    Put32(&v[8], blockSize);
    v[12] = blockClusters;
    uint8_t* header = &v[kRootHeader];
    Put32(header + 0, kIndexHeader);
    Put32(header + 4, indexLength);
    Put32(header + 8, indexLength);
    header[12] = large ? INDEX_LARGE : 0;
    uint32_t pos = kRootHeader + kIndexHeader;
    if (!large) {
        for (const Entry* e : Sorted()) {
            std::memcpy(&v[pos], e->bytes.data(), e->bytes.size());
            pos += static_cast<uint32_t>(e->bytes.size());
        }
    }
    PutEndEntry(&v[pos], large, 0);
    return v;
}

std::vector<uint8_t> CNtfsIndex::SmallRoot(uint32_t blockSize, uint8_t blockClusters) const {
    return Root(blockSize, blockClusters, false);
}

std::vector<uint8_t> CNtfsIndex::LargeRoot(uint32_t blockSize, uint8_t blockClusters) const {
    return Root(blockSize, blockClusters, true);
}

std::vector<uint8_t> CNtfsIndex::Block(uint64_t vcn, uint32_t blockSize) const {
    if (blockSize < FIXUP_BLOCK || blockSize % FIXUP_BLOCK != 0) return {};
    const uint32_t usaCount = blockSize / FIXUP_BLOCK + 1;
    const uint32_t firstEntry = Align8(kBlockUsaOffset + 2 * usaCount);
    uint32_t entries = 0;
    for (const Entry& e : m_entries) entries += static_cast<uint32_t>(e.bytes.size());
    if (firstEntry + entries + kEntryHeader > blockSize) return {};

    std::vector<uint8_t> v(blockSize, 0);
    std::memcpy(&v[0], "INDX", 4);
    Put16(&v[4], kBlockUsaOffset);
    Put16(&v[6], static_cast<uint16_t>(usaCount));
    Put64(&v[8], 0);
    Put64(&v[16], vcn);
    uint8_t* header = &v[kBlockHeader];
    Put32(header + 0, firstEntry - kBlockHeader);
    Put32(header + 4, firstEntry - kBlockHeader + entries + kEntryHeader);
    Put32(header + 8, blockSize - kBlockHeader);
    header[12] = 0;
    Put16(&v[kBlockUsaOffset], 1);
    uint32_t pos = firstEntry;
    for (const Entry* e : Sorted()) {
        std::memcpy(&v[pos], e->bytes.data(), e->bytes.size());
        pos += static_cast<uint32_t>(e->bytes.size());
    }
    PutEndEntry(&v[pos], false, 0);
    return v;
}
