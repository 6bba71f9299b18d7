#include "utility/disk/NtfsBuilder.h"

#include "framework/Clock.h"
#include "utility/disk/NtfsAttrDef.h"
#include "utility/disk/NtfsAttributeValue.h"
#include "utility/disk/NtfsBootSector.h"
#include "utility/disk/NtfsBytes.h"
#include "utility/disk/NtfsClusterMap.h"
#include "utility/disk/NtfsFixup.h"
#include "utility/disk/NtfsIndex.h"
#include "utility/disk/NtfsQuota.h"
#include "utility/disk/NtfsRandom.h"
#include "utility/disk/NtfsRecord.h"
#include "utility/disk/NtfsSecurity.h"
#include "utility/disk/NtfsTypes.h"
#include "utility/disk/NtfsUpCase.h"

#include <algorithm>
#include <cstring>
#include <new>

using namespace UNtfsTypes;

namespace {

// $VOLUME_NAME holds at most 256 bytes ($AttrDef).
constexpr size_t kMaxLabelUnits = 128;
// Large streams go out in pieces of this size, small enough to stay in the processor's cache.
constexpr uint64_t kWriteChunk = 1u << 20;

constexpr uint32_t kSystemAttributes = FILE_ATTR_HIDDEN | FILE_ATTR_SYSTEM;

uint16_t SequenceNumber(uint32_t record) {
    if (record == FILE_MFT || (record >= FILE_QUOTA && record <= FILE_REPARSE)) return 1;
    return static_cast<uint16_t>(record);
}

bool InUse(uint32_t record) { return record < 16 || (record >= FILE_QUOTA && record <= FILE_REPARSE); }

uint64_t Reference(uint32_t record) { return FileReference(record, SequenceNumber(record)); }

// The label's bytes as UTF-8, in UTF-16; false when they are not valid UTF-8.
bool DecodeLabel(const std::string& in, std::u16string& out) {
    out.clear();
    size_t i = 0;
    while (i < in.size()) {
        const uint8_t b = static_cast<uint8_t>(in[i]);
        uint32_t cp;
        size_t extra;
        if (b < 0x80) {
            cp = b;
            extra = 0;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            cp = b & 0x07;
            extra = 3;
        } else {
            return false;
        }
        if (i + extra >= in.size()) return false;
        for (size_t k = 1; k <= extra; ++k) {
            const uint8_t c = static_cast<uint8_t>(in[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        static const uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += extra + 1;
    }
    return true;
}

int FormatNow(FormatParams* params, const FormatIo* io, bool targetReadsZero) {
    if (params == nullptr || io == nullptr || io->WriteAt == nullptr) return 1;
    CNtfsBuilder builder(*params, *io, UClock::Seconds(), targetReadsZero);
    return builder.Build();
}

}  // namespace

int FormatNtfs(FormatParams* params, const FormatIo* io) { return FormatNow(params, io, false); }

int FormatNtfsOverZeros(FormatParams* params, const FormatIo* io) { return FormatNow(params, io, true); }

CNtfsBuilder::CNtfsBuilder(const FormatParams& params, const FormatIo& io, int64_t buildTime, bool targetReadsZero)
    : m_params(params), m_io(io), m_buildTime(buildTime), m_targetReadsZero(targetReadsZero) {}

CNtfsBuilder::~CNtfsBuilder() = default;

int CNtfsBuilder::Build() {
    try {
        if (!Prepare() || !CreateSystemFiles() || !WriteRootIndex() || !WriteClusterBitmap() || !WriteMft()) return 1;
        return 0;
    } catch (const std::bad_alloc&) {
        return 1;
    }
}

bool CNtfsBuilder::Prepare() {
    CNtfsRandom random(static_cast<uint32_t>(m_buildTime));
    m_serial = random.NextSerial();
    m_ntTime = UNtfsValue::NtTime(m_buildTime);
    m_dirty = false;

    if (!DecodeLabel(m_params.label, m_label) || m_label.size() > kMaxLabelUnits) return false;
    m_upCase.assign(UNtfsUpCase::kUnits, 0);
    UNtfsUpCase::Build(m_upCase.data());

    if (!m_layout.Compute(m_params.size, m_params.bytesPerSector)) return false;
    const CNtfsLayout& L = m_layout;

    m_clusterMap.reset(new CNtfsClusterMap(L.clusters, L.clusterBitmapBytes, L.zoneEnd));
    m_clusterMap->MarkUsed(0, L.bootClusters);
    m_clusterMap->MarkUsed(L.mftBitmapLcn, 1);
    m_clusterMap->MarkUsed(L.mftLcn, L.mftClusters);
    m_clusterMap->MarkUsed(L.mirrorLcn, L.mirrorClusters);
    m_clusterMap->MarkUsed(L.logLcn, L.logSize / L.clusterSize);

    m_mftBitmap.assign(L.clusterSize, 0);
    for (uint32_t n = 0; n < SYSTEM_RECORDS; ++n) {
        if (InUse(n)) m_mftBitmap[n / 8] |= static_cast<uint8_t>(1u << (n % 8));
    }

    // Every record of the MFT's clusters is formatted; those past the system files stay
    // unused.
    m_mft.assign(L.mftClusters * L.clusterSize, 0);
    const uint32_t records = static_cast<uint32_t>(m_mft.size() / L.recordSize);
    for (uint32_t n = 0; n < records; ++n) Record(n).Format(n, SequenceNumber(n), InUse(n) ? RECORD_IN_USE : 0);

    m_rootIndex.reset(new CNtfsIndex(AT_FILE_NAME, COLLATION_FILE_NAME, m_upCase.data()));
    m_extendIndex.reset(new CNtfsIndex(AT_FILE_NAME, COLLATION_FILE_NAME, m_upCase.data()));
    m_rootIndexRuns = CNtfsRunList();
    m_bitmapRuns = CNtfsRunList();
    return true;
}

CNtfsRecord CNtfsBuilder::Record(uint32_t number) {
    return CNtfsRecord(m_mft.data() + static_cast<size_t>(number) * m_layout.recordSize, m_layout.recordSize);
}

bool CNtfsBuilder::CreateSystemFiles() {
    using Step = bool (CNtfsBuilder::*)(CNtfsRecord&);
    static const Step kSteps[] = {
        &CNtfsBuilder::CreateMft,    &CNtfsBuilder::CreateMirror,  &CNtfsBuilder::CreateLogFile,
        &CNtfsBuilder::CreateVolume, &CNtfsBuilder::CreateAttrDef, &CNtfsBuilder::CreateRoot,
        &CNtfsBuilder::CreateBitmap, &CNtfsBuilder::CreateBoot,    &CNtfsBuilder::CreateBadClus,
        &CNtfsBuilder::CreateSecure, &CNtfsBuilder::CreateUpCase,  &CNtfsBuilder::CreateExtend,
    };
    uint32_t n = 0;
    for (Step step : kSteps) {
        CNtfsRecord r = Record(n++);
        if (!(this->*step)(r)) return false;
    }
    for (; n < 16; ++n) {
        CNtfsRecord r = Record(n);
        if (!CreateReserved(r)) return false;
    }
    CNtfsRecord quota = Record(FILE_QUOTA);
    CNtfsRecord objId = Record(FILE_OBJID);
    CNtfsRecord reparse = Record(FILE_REPARSE);
    if (!CreateQuota(quota) || !CreateViewIndexFile(objId, FILE_OBJID, u"$ObjId", u"$O") ||
        !CreateViewIndexFile(reparse, FILE_REPARSE, u"$Reparse", u"$R"))
        return false;

    // $Extend's index is complete once its children exist.
    CNtfsRecord extend = Record(FILE_EXTEND);
    const std::vector<uint8_t> root = m_extendIndex->SmallRoot(m_layout.indexBlockSize, IndexBlockClusters());
    return extend.AddResident(AT_INDEX_ROOT, u"$I30", root.data(), static_cast<uint32_t>(root.size()));
}

bool CNtfsBuilder::AddStandardInformation(CNtfsRecord& r, uint32_t fileAttributes, uint32_t securityId) {
    const std::vector<uint8_t> v = UNtfsValue::StandardInformation(m_ntTime, fileAttributes, securityId);
    return r.AddResident(AT_STANDARD_INFORMATION, u"", v.data(), static_cast<uint32_t>(v.size()));
}

bool CNtfsBuilder::AddName(CNtfsRecord& r, uint32_t number, const std::u16string& name, bool inExtend,
                           uint32_t fileAttributes, uint64_t allocatedSize, uint64_t dataSize) {
    const uint32_t parent = inExtend ? FILE_EXTEND : FILE_ROOT;
    const std::vector<uint8_t> v =
        UNtfsValue::FileName(Reference(parent), name, m_ntTime, allocatedSize, dataSize, fileAttributes);
    if (!r.AddResident(AT_FILE_NAME, u"", v.data(), static_cast<uint32_t>(v.size()), RESIDENT_INDEXED)) return false;
    r.AddLink();
    (inExtend ? m_extendIndex : m_rootIndex)->AddFileName(Reference(number), v);
    return true;
}

bool CNtfsBuilder::AddStream(CNtfsRecord& r, const std::u16string& name, const uint8_t* data, uint64_t length,
                             CNtfsRunList& runs) {
    const uint64_t clusters = m_layout.ClustersFor(length);
    if (!m_clusterMap->Allocate(clusters, runs)) return false;
    if (!r.AddNonResident(AT_DATA, name, runs, m_layout.clusterSize, length, length)) return false;
    // The data, then zeros to the end of its last cluster.
    const uint64_t allocated = clusters * m_layout.clusterSize;
    if (allocated == length) return WriteRuns(runs, data, length);
    const uint64_t whole = length / m_layout.clusterSize * m_layout.clusterSize;
    std::vector<uint8_t> last(m_layout.clusterSize, 0);
    std::memcpy(last.data(), data + whole, length - whole);
    uint64_t done = 0;
    for (const NtfsRun& run : runs.Runs()) {
        const uint64_t offset = m_layout.ClusterOffset(static_cast<uint64_t>(run.lcn));
        const uint64_t runBytes = run.length * m_layout.clusterSize;
        const uint64_t direct = std::min(runBytes, whole - std::min(whole, done));
        if (direct > 0 && !Write(data + done, offset, direct)) return false;
        if (direct < runBytes && !Write(last.data(), offset + direct, runBytes - direct)) return false;
        done += runBytes;
    }
    return true;
}

uint8_t CNtfsBuilder::IndexBlockClusters() const {
    // Blocks smaller than a cluster are counted in 512-byte units.
    if (m_layout.indexBlockSize >= m_layout.clusterSize)
        return static_cast<uint8_t>(m_layout.indexBlockSize / m_layout.clusterSize);
    return static_cast<uint8_t>(m_layout.indexBlockSize / FIXUP_BLOCK);
}

bool CNtfsBuilder::Write(const void* data, uint64_t offset, uint64_t length) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    while (length > 0) {
        const uint64_t piece = std::min(length, kWriteChunk);
        const int64_t written = m_io.WriteAt(m_params.context, p, offset, piece);
        if (written < 0 || static_cast<uint64_t>(written) != piece) return false;
        p += piece;
        offset += piece;
        length -= piece;
    }
    return true;
}

bool CNtfsBuilder::WriteRuns(const CNtfsRunList& runs, const uint8_t* data, uint64_t length) {
    uint64_t done = 0;
    for (const NtfsRun& run : runs.Runs()) {
        if (done >= length) break;
        if (run.lcn == CNtfsRunList::kSparse) return false;
        const uint64_t piece = std::min(length - done, run.length * m_layout.clusterSize);
        if (!Write(data + done, m_layout.ClusterOffset(static_cast<uint64_t>(run.lcn)), piece)) return false;
        done += piece;
    }
    return done == length;
}

bool CNtfsBuilder::CreateMft(CNtfsRecord& r) {
    const CNtfsLayout& L = m_layout;
    const uint64_t allocated = L.mftClusters * L.clusterSize;
    const uint64_t size = static_cast<uint64_t>(SYSTEM_RECORDS) * L.recordSize;
    CNtfsRunList data;
    data.Append(L.mftLcn, L.mftClusters);
    CNtfsRunList bitmap;
    bitmap.Append(L.mftBitmapLcn, 1);
    return AddStandardInformation(r, kSystemAttributes, UNtfsSecurity::kReadOnlyId) &&
           AddName(r, FILE_MFT, u"$MFT", false, kSystemAttributes, allocated, size) &&
           r.AddNonResident(AT_DATA, u"", data, L.clusterSize, size, size) &&
           r.AddNonResident(AT_BITMAP, u"", bitmap, L.clusterSize, L.mftBitmapBytes, L.mftBitmapBytes) &&
           Write(m_mftBitmap.data(), L.ClusterOffset(L.mftBitmapLcn), m_mftBitmap.size());
}

bool CNtfsBuilder::CreateMirror(CNtfsRecord& r) {
    const CNtfsLayout& L = m_layout;
    const uint64_t size = static_cast<uint64_t>(L.mirrorRecords) * L.recordSize;
    CNtfsRunList data;
    data.Append(L.mirrorLcn, L.mirrorClusters);
    return AddStandardInformation(r, kSystemAttributes, UNtfsSecurity::kReadOnlyId) &&
           AddName(r, FILE_MFTMIRR, u"$MFTMirr", false, kSystemAttributes, L.mirrorClusters * L.clusterSize, size) &&
           r.AddNonResident(AT_DATA, u"", data, L.clusterSize, size, size);
}

bool CNtfsBuilder::CreateLogFile(CNtfsRecord& r) {
    const CNtfsLayout& L = m_layout;
    CNtfsRunList data;
    data.Append(L.logLcn, L.logSize / L.clusterSize);
    if (!AddStandardInformation(r, kSystemAttributes, UNtfsSecurity::kReadOnlyId) ||
        !AddName(r, FILE_LOGFILE, u"$LogFile", false, kSystemAttributes, L.logSize, L.logSize) ||
        !r.AddNonResident(AT_DATA, u"", data, L.clusterSize, L.logSize, L.logSize))
        return false;
    // An empty log is all 0xFF bytes; one buffer goes out over and over.
    const std::vector<uint8_t> fill(std::min(L.logSize, kWriteChunk), 0xFF);
    for (uint64_t done = 0; done < L.logSize;) {
        const uint64_t piece = std::min<uint64_t>(fill.size(), L.logSize - done);
        if (!Write(fill.data(), L.ClusterOffset(L.logLcn) + done, piece)) return false;
        done += piece;
    }
    return true;
}

bool CNtfsBuilder::CreateVolume(CNtfsRecord& r) {
    std::vector<uint8_t> name(2 * m_label.size());
    for (size_t i = 0; i < m_label.size(); ++i) UNtfsBytes::Put16(&name[2 * i], static_cast<uint16_t>(m_label[i]));
    const std::vector<uint8_t> info = UNtfsValue::VolumeInformation(0);
    return AddStandardInformation(r, kSystemAttributes, UNtfsSecurity::kReadOnlyId) &&
           AddName(r, FILE_VOLUME, u"$Volume", false, kSystemAttributes, 0, 0) &&
           r.AddResident(AT_VOLUME_NAME, u"", name.data(), static_cast<uint32_t>(name.size())) &&
           r.AddResident(AT_VOLUME_INFORMATION, u"", info.data(), static_cast<uint32_t>(info.size())) &&
           r.AddResident(AT_DATA, u"", nullptr, 0);
}

bool CNtfsBuilder::CreateAttrDef(CNtfsRecord& r) {
    std::vector<uint8_t> table(UNtfsAttrDef::kTableSize);
    UNtfsAttrDef::Build(table.data());
    const uint64_t allocated = m_layout.ClustersFor(table.size()) * m_layout.clusterSize;
    CNtfsRunList runs;
    return AddStandardInformation(r, kSystemAttributes, UNtfsSecurity::kReadOnlyId) &&
           AddName(r, FILE_ATTRDEF, u"$AttrDef", false, kSystemAttributes, allocated, table.size()) &&
           AddStream(r, u"", table.data(), table.size(), runs);
}

bool CNtfsBuilder::CreateRoot(CNtfsRecord& r) {
    const CNtfsLayout& L = m_layout;
    r.AddFlags(RECORD_IS_DIRECTORY);
    const uint64_t blockClusters = std::max<uint64_t>(1, L.indexBlockSize / L.clusterSize);
    if (!m_clusterMap->Allocate(blockClusters, m_rootIndexRuns)) return false;
    const std::vector<uint8_t> sd = UNtfsSecurity::RootDescriptor();
    const std::vector<uint8_t> root = m_rootIndex->LargeRoot(L.indexBlockSize, IndexBlockClusters());
    uint8_t bitmap[8] = {1, 0, 0, 0, 0, 0, 0, 0};  // block 0 in use
    // The root keeps its descriptor in its own record (security id 0).
    return AddStandardInformation(r, kSystemAttributes | FILE_ATTR_ARCHIVE, 0) &&
           AddName(r, FILE_ROOT, u".", false, kSystemAttributes | FILE_ATTR_DIRECTORY_INDEX, 0, 0) &&
           r.AddResident(AT_SECURITY_DESCRIPTOR, u"", sd.data(), static_cast<uint32_t>(sd.size())) &&
           r.AddResident(AT_INDEX_ROOT, u"$I30", root.data(), static_cast<uint32_t>(root.size())) &&
           r.AddNonResident(AT_INDEX_ALLOCATION, u"$I30", m_rootIndexRuns, L.clusterSize, L.indexBlockSize,
                            L.indexBlockSize) &&
           r.AddResident(AT_BITMAP, u"$I30", bitmap, sizeof(bitmap));
}

bool CNtfsBuilder::CreateBitmap(CNtfsRecord& r) {
    const CNtfsLayout& L = m_layout;
    const uint64_t clusters = L.ClustersFor(L.clusterBitmapBytes);
    if (!m_clusterMap->Allocate(clusters, m_bitmapRuns)) return false;
    return AddStandardInformation(r, kSystemAttributes, UNtfsSecurity::kReadOnlyId) &&
           AddName(r, FILE_BITMAP, u"$Bitmap", false, kSystemAttributes, clusters * L.clusterSize,
                   L.clusterBitmapBytes) &&
           r.AddNonResident(AT_DATA, u"", m_bitmapRuns, L.clusterSize, L.clusterBitmapBytes, L.clusterBitmapBytes);
}

bool CNtfsBuilder::CreateBoot(CNtfsRecord& r) {
    const CNtfsLayout& L = m_layout;
    m_boot.assign(UNtfsBootSector::kBootSize, 0);
    UNtfsBootSector::Build(m_boot.data(), L, m_serial);
    CNtfsRunList data;
    data.Append(0, L.bootClusters);
    if (!AddStandardInformation(r, kSystemAttributes, UNtfsSecurity::kReadOnlyId) ||
        !AddName(r, FILE_BOOT, u"$Boot", false, kSystemAttributes, L.bootClusters * L.clusterSize, m_boot.size()) ||
        !r.AddNonResident(AT_DATA, u"", data, L.clusterSize, m_boot.size(), m_boot.size()) ||
        !Write(m_boot.data(), 0, m_boot.size()))
        return false;
    // Losing a backup copy leaves a usable volume that a check should look at.
    if (!Write(m_boot.data(), L.backupBootOffset, L.backupBootLength)) m_dirty = true;
    if (L.endBootOffset != 0 && !Write(m_boot.data(), L.endBootOffset, L.backupBootLength)) m_dirty = true;
    return true;
}

bool CNtfsBuilder::CreateBadClus(CNtfsRecord& r) {
    const CNtfsLayout& L = m_layout;
    CNtfsRunList bad;
    bad.AppendSparse(L.clusters);
    const uint64_t size = L.clusters * L.clusterSize;
    return AddStandardInformation(r, kSystemAttributes, UNtfsSecurity::kReadOnlyId) &&
           AddName(r, FILE_BADCLUS, u"$BadClus", false, kSystemAttributes, 0, 0) &&
           r.AddResident(AT_DATA, u"", nullptr, 0) &&
           r.AddNonResident(AT_DATA, u"$Bad", bad, L.clusterSize, size, size);
}

bool CNtfsBuilder::CreateSecure(CNtfsRecord& r) {
    r.AddFlags(RECORD_IS_VIEW_INDEX);
    const uint32_t attributes = kSystemAttributes | FILE_ATTR_VIEW_INDEX;
    const std::vector<uint8_t> sds = UNtfsSecurity::SdsStream();
    CNtfsIndex sdh(0, COLLATION_SECURITY_HASH);
    CNtfsIndex sii(0, COLLATION_ULONG);
    UNtfsSecurity::AddIndexEntries(sdh, sii);
    const uint8_t blockClusters = IndexBlockClusters();
    const std::vector<uint8_t> sdhRoot = sdh.SmallRoot(m_layout.indexBlockSize, blockClusters);
    const std::vector<uint8_t> siiRoot = sii.SmallRoot(m_layout.indexBlockSize, blockClusters);
    CNtfsRunList runs;
    return AddStandardInformation(r, attributes, UNtfsSecurity::kReadWriteId) &&
           AddName(r, FILE_SECURE, u"$Secure", false, attributes, 0, 0) &&
           AddStream(r, u"$SDS", sds.data(), sds.size(), runs) &&
           r.AddResident(AT_INDEX_ROOT, u"$SDH", sdhRoot.data(), static_cast<uint32_t>(sdhRoot.size())) &&
           r.AddResident(AT_INDEX_ROOT, u"$SII", siiRoot.data(), static_cast<uint32_t>(siiRoot.size()));
}

bool CNtfsBuilder::CreateUpCase(CNtfsRecord& r) {
    // The table in memory is the stream itself on little-endian machines.
    const uint16_t probe = 1;
    std::vector<uint8_t> converted;
    const uint8_t* table = reinterpret_cast<const uint8_t*>(m_upCase.data());
    if (*reinterpret_cast<const uint8_t*>(&probe) != 1) {
        converted.resize(2 * UNtfsUpCase::kUnits);
        for (uint32_t u = 0; u < UNtfsUpCase::kUnits; ++u) UNtfsBytes::Put16(&converted[2 * u], m_upCase[u]);
        table = converted.data();
    }
    const uint64_t size = 2 * UNtfsUpCase::kUnits;
    const uint64_t allocated = m_layout.ClustersFor(size) * m_layout.clusterSize;
    CNtfsRunList runs;
    return AddStandardInformation(r, kSystemAttributes, UNtfsSecurity::kReadOnlyId) &&
           AddName(r, FILE_UPCASE, u"$UpCase", false, kSystemAttributes, allocated, size) &&
           AddStream(r, u"", table, size, runs);
}

bool CNtfsBuilder::CreateExtend(CNtfsRecord& r) {
    r.AddFlags(RECORD_IS_DIRECTORY);
    // The index root is added once the three children are in the index.
    return AddStandardInformation(r, kSystemAttributes, UNtfsSecurity::kReadWriteId) &&
           AddName(r, FILE_EXTEND, u"$Extend", false, kSystemAttributes | FILE_ATTR_DIRECTORY_INDEX, 0, 0);
}

bool CNtfsBuilder::CreateReserved(CNtfsRecord& r) {
    return AddStandardInformation(r, kSystemAttributes, UNtfsSecurity::kReadOnlyId) &&
           r.AddResident(AT_DATA, u"", nullptr, 0);
}

bool CNtfsBuilder::CreateQuota(CNtfsRecord& r) {
    r.AddFlags(RECORD_IN_EXTEND | RECORD_IS_VIEW_INDEX);
    const uint32_t attributes = kSystemAttributes | FILE_ATTR_ARCHIVE | FILE_ATTR_VIEW_INDEX;
    CNtfsIndex o(0, COLLATION_SID);
    CNtfsIndex q(0, COLLATION_ULONG);
    UNtfsQuota::AddIndexEntries(q, o, m_ntTime);
    const std::vector<uint8_t> oRoot = o.SmallRoot(m_layout.indexBlockSize, IndexBlockClusters());
    const std::vector<uint8_t> qRoot = q.SmallRoot(m_layout.indexBlockSize, IndexBlockClusters());
    return AddStandardInformation(r, attributes, UNtfsSecurity::kReadWriteId) &&
           AddName(r, FILE_QUOTA, u"$Quota", true, attributes, 0, 0) &&
           r.AddResident(AT_INDEX_ROOT, u"$O", oRoot.data(), static_cast<uint32_t>(oRoot.size())) &&
           r.AddResident(AT_INDEX_ROOT, u"$Q", qRoot.data(), static_cast<uint32_t>(qRoot.size()));
}

bool CNtfsBuilder::CreateViewIndexFile(CNtfsRecord& r, uint32_t number, const char16_t* name,
                                       const char16_t* indexName) {
    r.AddFlags(RECORD_IN_EXTEND | RECORD_IS_VIEW_INDEX);
    const uint32_t attributes = kSystemAttributes | FILE_ATTR_ARCHIVE | FILE_ATTR_VIEW_INDEX;
    const std::vector<uint8_t> root =
        CNtfsIndex(0, COLLATION_ULONGS).SmallRoot(m_layout.indexBlockSize, IndexBlockClusters());
    return AddStandardInformation(r, attributes, UNtfsSecurity::kReadWriteId) &&
           AddName(r, number, name, true, attributes, 0, 0) &&
           r.AddResident(AT_INDEX_ROOT, indexName, root.data(), static_cast<uint32_t>(root.size()));
}

bool CNtfsBuilder::WriteRootIndex() {
    std::vector<uint8_t> block = m_rootIndex->Block(0, m_layout.indexBlockSize);
    if (block.empty() || !UNtfsFixup::Protect(block.data(), static_cast<uint32_t>(block.size()))) return false;
    return WriteRuns(m_rootIndexRuns, block.data(), block.size());
}

bool CNtfsBuilder::WriteClusterBitmap() {
    // Stretches of the bitmap that no allocation touched are zero: they go out from one small
    // zero buffer (reading the untouched, never faulted-in pages of a large bitmap costs more
    // than the write itself), or not at all on a target that reads as zeros.
    const CNtfsClusterMap& map = *m_clusterMap;
    const uint64_t total = map.BitmapBytes();
    const uint64_t unit = CNtfsClusterMap::kTrackedBytes;
    std::vector<uint8_t> zeros;
    if (!m_targetReadsZero) zeros.assign(std::min(total, kWriteChunk), 0);
    uint64_t done = 0;
    for (const NtfsRun& run : m_bitmapRuns.Runs()) {
        const uint64_t runEnd = std::min(total, done + run.length * m_layout.clusterSize);
        const uint64_t runStart = done;
        while (done < runEnd) {
            const bool untouched = map.IsUntouched(done, 1);
            uint64_t end = std::min(runEnd, (done / unit + 1) * unit);
            while (end < runEnd && end - done < kWriteChunk && map.IsUntouched(end, 1) == untouched)
                end = std::min(runEnd, end + unit);
            end = std::min(end, done + kWriteChunk);
            const uint8_t* source = untouched ? zeros.data() : map.Bitmap() + done;
            const uint64_t offset = m_layout.ClusterOffset(static_cast<uint64_t>(run.lcn)) + (done - runStart);
            if (!(untouched && m_targetReadsZero) && !Write(source, offset, end - done)) return false;
            done = end;
        }
    }
    return done == total;
}

bool CNtfsBuilder::WriteMft() {
    const CNtfsLayout& L = m_layout;
    if (m_dirty) {
        uint8_t* info = Record(FILE_VOLUME).FindValue(AT_VOLUME_INFORMATION, u"");
        if (info == nullptr) return false;
        UNtfsBytes::Put16(info + 10, VOLUME_IS_DIRTY);
    }
    // Records are protected once, so the MFT and its mirror carry the same bytes.
    const uint32_t records = static_cast<uint32_t>(m_mft.size() / L.recordSize);
    for (uint32_t n = 0; n < records; ++n) {
        if (!UNtfsFixup::Protect(Record(n).Buffer(), L.recordSize)) return false;
    }
    const uint64_t mirrorBytes = static_cast<uint64_t>(L.mirrorRecords) * L.recordSize;
    return Write(m_mft.data(), L.ClusterOffset(L.mftLcn), m_mft.size()) &&
           Write(m_mft.data(), L.ClusterOffset(L.mirrorLcn), mirrorBytes);
}
