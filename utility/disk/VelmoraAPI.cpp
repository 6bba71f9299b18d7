#include "utility/disk/VelmoraAPI.h"

#include <dbt.h>

#include <cstring>

#include "common/DataConverter.h"
#include "utility/disk/DeviceNotifier.h"

namespace {
template <typename Reply>
bool Succeeded(bool called, const Reply& reply) {
    return called && reply.status == 0 && reply.error == 0;
}
}  // namespace

int CVelmoraAPI::Create(const std::wstring& diskId, bool imageMode, RamDiskStatus& reply) {
    CDataConverter input;
    input.AppendString(diskId);
    input.AppendByte(imageMode ? 1 : 0);
    bool called = Control(IOCTL_RAMDISK_CREATE, input.Bytes(), &reply, sizeof(reply));
    if (!Succeeded(called, reply)) return 0;
    if (reply.driveLetter != 0)
        UDeviceNotifier::Current().BroadcastVolume(DBT_DEVICEARRIVAL, static_cast<wchar_t>(reply.driveLetter));
    return 1;
}

wchar_t CVelmoraAPI::LookupLetter(const std::wstring& diskId, wchar_t letter) {
    if (letter != 0) return letter;
    RamDiskStatus status{};
    if (Query(diskId, 0, status) && status.driveLetter != 0) return static_cast<wchar_t>(status.driveLetter);
    return 0;
}

int CVelmoraAPI::Remove(const std::wstring& diskId, wchar_t letter, uint8_t reserved, bool saveOnRemove,
                        DriverReply& reply) {
    wchar_t known = LookupLetter(diskId, letter);
    if (known) UDeviceNotifier::Current().BroadcastVolume(DBT_DEVICEREMOVEPENDING, known);
    CDataConverter input;
    input.AppendString(diskId);
    input.AppendChar(static_cast<char16_t>(letter));
    input.AppendByte(reserved);
    input.AppendByte(saveOnRemove ? 1 : 0);
    bool called = Control(IOCTL_RAMDISK_REMOVE, input.Bytes(), &reply, sizeof(reply));
    if (!Succeeded(called, reply)) return 0;
    if (known) {
        UDeviceNotifier::Current().UpdateRoot(known);
        UDeviceNotifier::Current().BroadcastVolume(DBT_DEVICEREMOVECOMPLETE, known);
    }
    return 1;
}

int CVelmoraAPI::Query(const std::wstring& diskId, wchar_t letter, RamDiskStatus& reply) {
    CDataConverter input;
    input.AppendString(diskId);
    input.AppendChar(static_cast<char16_t>(letter));
    return Succeeded(Control(IOCTL_RAMDISK_QUERY, input.Bytes(), &reply, sizeof(reply)), reply) ? 1 : 0;
}

int CVelmoraAPI::SaveAndRemove(const std::wstring& diskId, wchar_t letter, uint8_t reserved,
                               const std::wstring& imagePath, uint64_t pieceSize, DriverReply& reply) {
    wchar_t known = LookupLetter(diskId, letter);
    if (known) UDeviceNotifier::Current().BroadcastVolume(DBT_DEVICEREMOVEPENDING, known);
    CDataConverter input;
    input.AppendString(diskId);
    input.AppendChar(static_cast<char16_t>(letter));
    input.AppendByte(reserved);
    input.AppendString(imagePath);
    input.AppendUInt64(pieceSize);
    bool called = Control(IOCTL_RAMDISK_SAVE_AND_REMOVE, input.Bytes(), &reply, sizeof(reply));
    if (!Succeeded(called, reply)) return 0;
    if (known) UDeviceNotifier::Current().BroadcastVolume(DBT_DEVICEREMOVEPENDING, known);
    return 1;
}

int CVelmoraAPI::Sync(const std::wstring& diskId, bool begin, DriverReply& reply) {
    CDataConverter input;
    input.AppendString(diskId);
    input.AppendChar(0);
    uint32_t code = begin ? IOCTL_RAMDISK_SYNC_BEGIN : IOCTL_RAMDISK_SYNC_END;
    return Succeeded(Control(code, input.Bytes(), &reply, sizeof(reply)), reply) ? 1 : 0;
}

bool CVelmoraAPI::IsDriverUp(DWORD timeoutMs) {
    CVelmoraAPI api;
    bool up = api.OpenDevice(timeoutMs);
    api.Close();
    return up;
}

std::wstring CVelmoraAPI::ImagePathOf(const std::wstring& backupFolder) {
    std::wstring path = backupFolder;
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return path + L"VelmoraEX.dat";
}
