#pragma once
// Builds an empty NTFS 3.1 volume into an image through a FormatIo: lays the volume out
// in memory, writes each system file's data as it is created, then the cluster bitmap,
// the MFT, its mirror and the backup boot sector.
#include "utility/disk/FormatObject.h"
#include "utility/disk/NtfsLayout.h"
#include "utility/disk/NtfsRunList.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CNtfsClusterMap;
class CNtfsIndex;
class CNtfsRecord;

// FormatNtfs for a target that reads as zeros wherever nothing is written; the volume's bytes
// are the same, fewer of them are written.
int FormatNtfsOverZeros(FormatParams* params, const FormatIo* io);

class CNtfsBuilder {
public:
    // buildTime (seconds since 1970) stamps the files and seeds the serial number. With
    // targetReadsZero the image reads as zeros wherever nothing is written (freshly created
    // pieces): stretches of the cluster bitmap that no allocation touched are left unwritten.
    CNtfsBuilder(const FormatParams& params, const FormatIo& io, int64_t buildTime, bool targetReadsZero = false);
    ~CNtfsBuilder();
    CNtfsBuilder(const CNtfsBuilder&) = delete;
    CNtfsBuilder& operator=(const CNtfsBuilder&) = delete;

    // 0 on success, 1 on any failure.
    int Build();

    const CNtfsLayout& Layout() const { return m_layout; }
    uint64_t Serial() const { return m_serial; }
    // True when the backup boot sector could not be written.
    bool VolumeDirty() const { return m_dirty; }

private:
    bool Prepare();
    bool CreateSystemFiles();
    bool CreateMft(CNtfsRecord& r);
    bool CreateMirror(CNtfsRecord& r);
    bool CreateLogFile(CNtfsRecord& r);
    bool CreateVolume(CNtfsRecord& r);
    bool CreateAttrDef(CNtfsRecord& r);
    bool CreateRoot(CNtfsRecord& r);
    bool CreateBitmap(CNtfsRecord& r);
    bool CreateBoot(CNtfsRecord& r);
    bool CreateBadClus(CNtfsRecord& r);
    bool CreateSecure(CNtfsRecord& r);
    bool CreateUpCase(CNtfsRecord& r);
    bool CreateExtend(CNtfsRecord& r);
    bool CreateReserved(CNtfsRecord& r);
    bool CreateQuota(CNtfsRecord& r);
    // $ObjId and $Reparse: a file in $Extend holding one empty view index named indexName.
    bool CreateViewIndexFile(CNtfsRecord& r, uint32_t number, const char16_t* name, const char16_t* indexName);
    bool WriteRootIndex();
    bool WriteClusterBitmap();
    bool WriteMft();

    CNtfsRecord Record(uint32_t number);
    bool AddStandardInformation(CNtfsRecord& r, uint32_t fileAttributes, uint32_t securityId);
    bool AddName(CNtfsRecord& r, uint32_t number, const std::u16string& name, bool inExtend, uint32_t fileAttributes,
                 uint64_t allocatedSize, uint64_t dataSize);
    // Gives a stream clusters, describes it in the record and writes data (padded with
    // zeros to whole clusters).
    bool AddStream(CNtfsRecord& r, const std::u16string& name, const uint8_t* data, uint64_t length,
                   CNtfsRunList& runs);
    uint8_t IndexBlockClusters() const;
    bool Write(const void* data, uint64_t offset, uint64_t length);
    bool WriteRuns(const CNtfsRunList& runs, const uint8_t* data, uint64_t length);

    const FormatParams& m_params;
    const FormatIo& m_io;
    int64_t m_buildTime;
    bool m_targetReadsZero;
    uint64_t m_ntTime = 0;
    uint64_t m_serial = 0;
    bool m_dirty = false;

    std::u16string m_label;
    std::vector<uint16_t> m_upCase;
    CNtfsLayout m_layout;
    std::unique_ptr<CNtfsClusterMap> m_clusterMap;
    std::vector<uint8_t> m_mftBitmap;
    std::vector<uint8_t> m_mft;
    std::vector<uint8_t> m_boot;
    std::unique_ptr<CNtfsIndex> m_rootIndex;
    std::unique_ptr<CNtfsIndex> m_extendIndex;
    CNtfsRunList m_rootIndexRuns;
    CNtfsRunList m_bitmapRuns;
};
