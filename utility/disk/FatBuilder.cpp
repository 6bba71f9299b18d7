#include "utility/disk/FatBuilder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "utility/disk/VolumeSerial.h"

namespace UFatBuilder {
namespace {

const size_t kBootSectorBytes = 512;
// Longest single write of the FAT and root-directory span (1 MiB of 512-byte sectors).
const uint64_t kMaxRunSectors = 2048;

using Buffer = std::unique_ptr<uint8_t[]>;

Buffer ZeroedBuffer(size_t bytes) { return Buffer(new (std::nothrow) uint8_t[bytes]()); }

void Put16(uint8_t* p, uint32_t value) {
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
}

void Put32(uint8_t* p, uint32_t value) {
    Put16(p, value);
    Put16(p + 2, value >> 16);
}

bool WriteAll(const FormatParams& params, const FormatIo& io, const void* buffer, uint64_t offset, uint64_t length) {
    return io.WriteAt(params.context, buffer, offset, length) == int64_t(length);
}

// Fields shared by the FAT12/16 and FAT32 boot sectors, up to the hidden-sector count.
void PutCommonFields(const FatGeometry& g, uint8_t* s) {
    // A short jump past the boot parameter block: to offset 62 on FAT12/16, 90 on FAT32.
    s[0] = 0xEB;
    s[1] = g.type == FAT_TYPE_32 ? 0x58 : 0x3C;
    s[2] = 0x90;
    std::memset(s + 3, ' ', 8);
    Put16(s + 11, g.bytesPerSector);
    s[13] = g.sectorsPerCluster;
    Put16(s + 14, g.reservedSectors);
    s[16] = uint8_t(g.fatCount);
    Put16(s + 17, g.rootEntries);
    s[21] = g.media;
    Put16(s + 24, 1);  // sectors per track
    Put16(s + 26, 1);  // heads
    Put32(s + 28, 0);  // hidden sectors
    s[510] = 0x55;
    s[511] = 0xAA;
}

// Drive number, extended signature, serial, label and type name, starting at the drive number.
void PutExtendedFields(const FormatParams& params, const char* typeName, uint8_t* p) {
    p[0] = 0x80;
    p[1] = 0;
    p[2] = 0x29;
    Put32(p + 3, UVolumeSerial::Current());
    std::memset(p + 7, ' ', 11);
    std::memcpy(p + 7, params.label.data(), std::min<size_t>(params.label.size(), 11));
    std::memcpy(p + 18, typeName, 8);
}

void MakeFat1216BootSector(const FormatParams& params, const FatGeometry& g, uint8_t* s) {
    PutCommonFields(g, s);
    // The 16-bit total holds volumes below 0x2000000 bytes; larger ones use the 32-bit field.
    const bool small = g.totalSectors <= 0xFFFF;
    Put16(s + 19, small ? g.totalSectors : 0);
    Put16(s + 22, g.fatSectors);
    Put32(s + 32, small ? 0 : g.totalSectors);
    PutExtendedFields(params, g.type == FAT_TYPE_12 ? "FAT12   " : "FAT16   ", s + 36);
}

void MakeFat32BootRegion(const FormatParams& params, const FatGeometry& g, uint8_t* region) {
    uint8_t* boot = region;
    PutCommonFields(g, boot);
    Put16(boot + 19, 0);
    Put16(boot + 22, 0);
    Put32(boot + 32, g.totalSectors);
    Put32(boot + 36, g.fatSectors);
    Put16(boot + 40, 1);  // extended flags
    Put16(boot + 42, 0);  // version
    Put32(boot + 44, 2);  // root directory cluster
    Put16(boot + 48, 1);  // FSInfo sector
    Put16(boot + 50, 6);  // backup boot sector
    PutExtendedFields(params, "FAT32   ", boot + 64);

    uint8_t* fsInfo = region + kBootSectorBytes;
    Put32(fsInfo, 0x41615252);
    Put32(fsInfo + 484, 0x61417272);
    Put32(fsInfo + 488, 0xFFFFFFFF);  // free clusters: unknown
    Put32(fsInfo + 492, 0xFFFFFFFF);  // next free: unknown
    Put32(fsInfo + 508, 0xAA550000);

    Put32(region + 2 * kBootSectorBytes + 508, 0xAA550000);
}

int WriteFat1216BootRegion(const FormatParams& params, const FormatIo& io, const FatGeometry& g,
                           const uint8_t* region) {
    Buffer sector = ZeroedBuffer(g.bytesPerSector);
    if (!sector) return FORMAT_ERR_NOMEM;
    std::memcpy(sector.get(), region, kBootSectorBytes);
    return WriteAll(params, io, sector.get(), 0, g.bytesPerSector) ? FORMAT_ERR_NONE : FORMAT_ERR_WRITE;
}

// All 32 reserved sectors in one write: boot sector, FSInfo and sector 2 at 0-2 with the backup
// copy at 6-8, and sector 2 (zero but for its trail signature) in every other place.
int WriteFat32BootRegion(const FormatParams& params, const FormatIo& io, const FatGeometry& g, const uint8_t* region) {
    const size_t b = g.bytesPerSector;
    Buffer sectors = ZeroedBuffer(32 * b);
    if (!sectors) return FORMAT_ERR_NOMEM;
    for (size_t i = 0; i < 32; ++i) {
        size_t source = (i == 0 || i == 6) ? 0 : (i == 1 || i == 7) ? 1 : 2;
        std::memcpy(sectors.get() + i * b, region + source * kBootSectorBytes, kBootSectorBytes);
    }
    return WriteAll(params, io, sectors.get(), 0, 32 * b) ? FORMAT_ERR_NONE : FORMAT_ERR_WRITE;
}

size_t Fat12Head(const FatGeometry& g, uint8_t* head) {
    const uint8_t bytes[] = {g.media, 0xFF, 0xFF};
    std::memcpy(head, bytes, sizeof bytes);
    return sizeof bytes;
}

size_t Fat16Head(const FatGeometry& g, uint8_t* head) {
    const uint8_t bytes[] = {g.media, 0xFF, 0xFF, 0xFF};
    std::memcpy(head, bytes, sizeof bytes);
    return sizeof bytes;
}

// Entries 0 and 1, then the root directory's cluster 2 as a one-cluster chain.
size_t Fat32Head(const FatGeometry& g, uint8_t* head) {
    const uint8_t bytes[] = {g.media, 0xFF, 0xFF, 0x0F, 0xFF, 0xFF, 0xFF, 0x0F, 0xFF, 0xFF, 0xFF, 0x0F};
    std::memcpy(head, bytes, sizeof bytes);
    return sizeof bytes;
}

uint32_t OneReservedSector() { return 1; }
uint32_t Fat32ReservedSectors() { return 32; }

bool Fat12Geometry(const FormatParams& p, FatGeometry* g) {
    return UFatGeometry::Choose(p.size, p.bytesPerSector, FAT_TYPE_12, g);
}
bool Fat16Geometry(const FormatParams& p, FatGeometry* g) {
    return UFatGeometry::Choose(p.size, p.bytesPerSector, FAT_TYPE_16, g);
}
bool Fat32Geometry(const FormatParams& p, FatGeometry* g) {
    return UFatGeometry::Choose(p.size, p.bytesPerSector, FAT_TYPE_32, g);
}

// Both FATs (each opened by its head bytes, zero otherwise) and the zeroed root directory follow
// the reserved sectors without a gap; they go out as one span in runs of up to kMaxRunSectors.
int WriteFatsAndRoot(const FormatParams& params, const FormatIo& io, const FatGeometry& g, uint32_t reservedSectors,
                     const uint8_t* head, size_t headBytes) {
    const uint64_t b = g.bytesPerSector;
    const uint64_t span = uint64_t(g.fatCount) * g.fatSectors + g.rootBytes / b;
    const uint64_t run = std::min(span, kMaxRunSectors);
    Buffer buffer = ZeroedBuffer(size_t(run * b));
    if (!buffer) return FORMAT_ERR_NOMEM;
    for (uint64_t done = 0; done < span;) {
        const uint64_t count = std::min(run, span - done);
        // Where a FAT starts within this run, in the reused buffer (nullptr when none does).
        auto headAt = [&](uint32_t fat) -> uint8_t* {
            const uint64_t start = uint64_t(fat) * g.fatSectors;
            return start >= done && start < done + count ? buffer.get() + (start - done) * b : nullptr;
        };
        for (uint32_t fat = 0; fat < g.fatCount; ++fat) {
            if (uint8_t* at = headAt(fat)) std::memcpy(at, head, headBytes);
        }
        if (!WriteAll(params, io, buffer.get(), (reservedSectors + done) * b, count * b)) return FORMAT_ERR_WRITE;
        for (uint32_t fat = 0; fat < g.fatCount; ++fat) {
            if (uint8_t* at = headAt(fat)) std::memset(at, 0, headBytes);
        }
        done += count;
    }
    return FORMAT_ERR_NONE;
}

const Callbacks kFat12 = {Fat12Geometry, MakeFat1216BootSector, WriteFat1216BootRegion,
                          Fat12Head,     OneReservedSector,     kBootSectorBytes};
const Callbacks kFat16 = {Fat16Geometry, MakeFat1216BootSector, WriteFat1216BootRegion,
                          Fat16Head,     OneReservedSector,     kBootSectorBytes};
const Callbacks kFat32 = {Fat32Geometry, MakeFat32BootRegion,  WriteFat32BootRegion,
                          Fat32Head,     Fat32ReservedSectors, 3 * kBootSectorBytes};

}  // namespace

int Build(FormatParams* params, const FormatIo* io, const Callbacks& callbacks) {
    if (!params || !io || !params->context || !io->WriteAt) return FORMAT_ERR_PARAM;
    FatGeometry geometry;
    if (!callbacks.geometry(*params, &geometry)) return FORMAT_ERR_PARAM;
    {
        Buffer region = ZeroedBuffer(callbacks.bootRegionBytes);
        if (!region) return FORMAT_ERR_NOMEM;
        callbacks.makeBootRegion(*params, geometry, region.get());
        int result = callbacks.writeBootRegion(*params, *io, geometry, region.get());
        if (result != FORMAT_ERR_NONE) return result;
    }
    uint8_t head[16];
    size_t headBytes = callbacks.fatHead(geometry, head);
    return WriteFatsAndRoot(*params, *io, geometry, callbacks.reservedSectors(), head, headBytes);
}

}  // namespace UFatBuilder

int FormatFat12(FormatParams* params, const FormatIo* io) {
    return UFatBuilder::Build(params, io, UFatBuilder::kFat12);
}

int FormatFat16(FormatParams* params, const FormatIo* io) {
    return UFatBuilder::Build(params, io, UFatBuilder::kFat16);
}

int FormatFat32(FormatParams* params, const FormatIo* io) {
    return UFatBuilder::Build(params, io, UFatBuilder::kFat32);
}
