#include "utility/disk/Formatter.h"

#include "framework/Exception.h"
#include "utility/disk/FatGeometry.h"
#include "utility/disk/NtfsBuilder.h"

namespace {
// The FAT type for the volume, or 0 when no layout of the requested types fits it.
int ResolveFat(const FormatParams& params, int formatType) {
    FatGeometry geometry;
    return UFatGeometry::Choose(params.size, params.bytesPerSector, formatType, &geometry) ? geometry.type : 0;
}
}  // namespace

int ResolveFormatType(uint64_t size, int formatType) {
    if (formatType == 4) return 4;
    FormatParams params;
    params.size = size;
    params.bytesPerSector = UFatGeometry::kBytesPerSector;
    return ResolveFat(params, formatType);
}

void CFormatter::Format(int formatType) {
    if (!m_target) throw FORMAT_ERR_PARAM;
    // An exception kept by an earlier, unrelated operation must not pass for this format's failure.
    if (CException* stale = m_target->TakeCaughtException()) stale->Delete();

    FormatParams* params = &m_target->Params();
    const FormatIo* io = m_target->Io();
    int type = formatType;
    if (type == FORMAT_TYPE_AUTO_FAT16 || type == FORMAT_TYPE_AUTO_FAT32) type = ResolveFat(*params, type);

    int result;
    switch (type) {
        case FAT_TYPE_12:
            result = FormatFat12(params, io);
            break;
        case FAT_TYPE_16:
            result = FormatFat16(params, io);
            break;
        case FAT_TYPE_32:
            result = FormatFat32(params, io);
            break;
        case 4:
            result = (m_targetReadsZero ? FormatNtfsOverZeros(params, io) : FormatNtfs(params, io)) == 0
                         ? FORMAT_ERR_NONE
                         : FORMAT_ERR_PARAM;
            break;
        default:
            result = FORMAT_ERR_PARAM;
            break;
    }
    if (result == FORMAT_ERR_NONE) return;
    if (CException* caught = m_target->TakeCaughtException()) throw caught;
    throw static_cast<FormatError>(result);
}
