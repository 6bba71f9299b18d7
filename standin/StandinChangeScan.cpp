#include "standin/StandinChangeScan.h"

#include <algorithm>
#include <cstring>

#include "standin/StandinBlockTracker.h"

namespace {

// Odd, so that multiplying by them is a bijection.
const uint64_t kLaneMultiplier = 0xE880988B29D29CF9ULL;
const uint64_t kRoundMultiplier = 0xAAC48C87BB4B635FULL;

inline uint64_t Load(const unsigned char* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof(word));
    return word;
}

inline uint64_t RotateLeft(uint64_t x, unsigned bits) { return (x << bits) | (x >> (64 - bits)); }

// One word into a lane: a bijection of the lane for any word, and of the word for any lane.
inline uint64_t Round(uint64_t lane, uint64_t word) {
    return RotateLeft(lane + word * kLaneMultiplier, 31) * kRoundMultiplier;
}

// Xor-shift-multiply finalizer: a bijection in which every input bit reaches every output bit.
inline uint64_t Mix(uint64_t x) {
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBULL;
    x ^= x >> 31;
    return x;
}

// Whether length bytes are all zero, stopping at the first 64 bytes that are not.
bool IsZero(const unsigned char* p, size_t length) {
    size_t i = 0;
    for (; i + 64 <= length; i += 64) {
        uint64_t any = 0;
        for (size_t j = 0; j < 64; j += 8) any |= Load(p + i + j);
        if (any) return false;
    }
    for (; i < length; ++i)
        if (p[i]) return false;
    return true;
}

}  // namespace

uint64_t CStandinChangeScan::Digest(const void* bytes, size_t length) {
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    uint64_t lane[4] = {kRoundMultiplier, kRoundMultiplier * 3, kRoundMultiplier * 5, kRoundMultiplier * 7};
    size_t left = length;
    // Four independent lanes, so the multiplies of neighbouring words overlap.
    for (; left >= 32; p += 32, left -= 32) {
        lane[0] = Round(lane[0], Load(p));
        lane[1] = Round(lane[1], Load(p + 8));
        lane[2] = Round(lane[2], Load(p + 16));
        lane[3] = Round(lane[3], Load(p + 24));
    }
    unsigned next = 0;
    for (; left >= 8; p += 8, left -= 8, ++next) lane[next] = Round(lane[next], Load(p));
    if (left) {
        uint64_t tail = 0;
        std::memcpy(&tail, p, left);
        lane[next] = Round(lane[next], tail);
    }
    uint64_t h = Mix(static_cast<uint64_t>(length) ^ kLaneMultiplier);
    for (uint64_t value : lane) h = Mix(h ^ value);
    return h;
}

CStandinChangeScan::CStandinChangeScan(uint64_t totalSize, uint32_t blockSize)
    : m_totalSize(totalSize), m_blockSize(blockSize ? blockSize : CStandinBlockTracker::kLargestBlock) {
    const uint64_t blocks = m_totalSize / m_blockSize + (m_totalSize % m_blockSize ? 1 : 0);
    const std::vector<unsigned char> zeros(m_blockSize, 0);
    m_zeroDigest = Digest(zeros.data(), zeros.size());
    m_digests.assign(static_cast<size_t>(blocks), m_zeroDigest);
    if (blocks) m_digests.back() = m_zeroTailDigest = Digest(zeros.data(), BlockLength(blocks - 1));
}

uint64_t CStandinChangeScan::BlockDigest(uint64_t block, const unsigned char* bytes) const {
    const uint32_t length = BlockLength(block);
    // Holes of the sparse file read as zeros: their digest is known.
    if (IsZero(bytes, length)) return length == m_blockSize ? m_zeroDigest : m_zeroTailDigest;
    return Digest(bytes, length);
}

uint32_t CStandinChangeScan::BlockLength(uint64_t block) const {
    const uint64_t offset = block * m_blockSize;
    return static_cast<uint32_t>(std::min<uint64_t>(m_blockSize, m_totalSize - offset));
}

uint32_t CStandinChangeScan::ForEachDigest(const Reader& reader, uint64_t first, uint64_t count,
                                           const std::function<void(uint64_t, uint64_t)>& visit) {
    if (first >= m_digests.size()) return 0;
    count = std::min<uint64_t>(count, m_digests.size() - first);
    const uint64_t chunkBlocks = std::max<uint64_t>(1, kChunkBytes / m_blockSize);
    std::vector<unsigned char> buffer(static_cast<size_t>(std::min(chunkBlocks, count) * m_blockSize));
    for (uint64_t block = first; block < first + count;) {
        const uint64_t blocks = std::min(chunkBlocks, first + count - block);
        const uint64_t offset = block * m_blockSize;
        const uint32_t length = static_cast<uint32_t>(std::min(blocks * m_blockSize, m_totalSize - offset));
        if (uint32_t error = reader(buffer.data(), offset, length)) return error;
        for (uint64_t i = 0; i < blocks; ++i, ++block)
            visit(block, BlockDigest(block, buffer.data() + i * m_blockSize));
    }
    return 0;
}

uint32_t CStandinChangeScan::Baseline(const Reader& reader) {
    return ForEachDigest(reader, 0, m_digests.size(),
                         [this](uint64_t block, uint64_t digest) { m_digests[block] = digest; });
}

uint32_t CStandinChangeScan::Baseline(const Reader& reader, uint64_t modified, uint64_t now) {
    uint32_t error = Baseline(reader);
    if (error == 0) NoteScanned(modified, now);
    return error;
}

void CStandinChangeScan::ScanBlocks(const Reader& reader, CStandinBlockTracker& tracker, uint64_t first, uint64_t count,
                                    Result& result) {
    if (tracker.TotalSize() != m_totalSize || tracker.BlockSize() != m_blockSize) {
        result.error = kErrorGeometry;
        return;
    }
    result.error = ForEachDigest(reader, first, count, [&](uint64_t block, uint64_t digest) {
        if (digest == m_digests[block]) return;
        ++result.changed;
        if (!tracker.IsDirty(block)) {
            ++result.newlyDirty;
            tracker.MarkBlocks(block, 1);
        }
    });
}

CStandinChangeScan::Result CStandinChangeScan::Scan(const Reader& reader, CStandinBlockTracker& tracker) {
    Result result;
    ScanBlocks(reader, tracker, 0, m_digests.size(), result);
    return result;
}

CStandinChangeScan::Result CStandinChangeScan::Scan(const Reader& reader, CStandinBlockTracker& tracker,
                                                    uint64_t modified, uint64_t now) {
    if (!NeedsScan(modified)) {
        Result skipped;
        skipped.skipped = true;
        return skipped;
    }
    Result result = Scan(reader, tracker);
    if (result.error == 0) NoteScanned(modified, now);
    return result;
}

bool CStandinChangeScan::NeedsScan(uint64_t modified) const {
    if (!m_scanned || modified != m_scannedModified) return true;
    // Started after the stamp by more than the settle time (and without overflow).
    return !(m_scanStarted > modified && m_scanStarted - modified > kSettleTicks);
}

void CStandinChangeScan::NoteScanned(uint64_t modified, uint64_t started) {
    m_scanned = true;
    m_scannedModified = modified;
    m_scanStarted = started;
}

void CStandinChangeScan::NoteSaved(uint64_t firstBlock, const void* bytes, size_t length) {
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    for (uint64_t block = firstBlock; length > 0 && block < m_digests.size(); ++block) {
        const size_t take = std::min<size_t>(length, BlockLength(block));
        m_digests[block] = Digest(p, take);
        p += take;
        length -= take;
    }
}
