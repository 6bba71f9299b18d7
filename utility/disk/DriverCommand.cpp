#include "utility/disk/DriverCommand.h"

#include <setupapi.h>

#include <cstring>

#include "framework/Clock.h"
#include "framework/DeviceInfoList.h"
#include "framework/LocalMemory.h"
#include "utility/disk/DriverPipeFrame.h"

namespace {
const GUID GUID_DEVINTERFACE_VELMORA_RAMDISK = {
    0x79278ADF, 0xF535, 0x4A73, {0xBC, 0xC1, 0xA4, 0x83, 0xFD, 0x49, 0x30, 0xC1}};

const wchar_t kPipePrefix[] = L"\\\\.\\pipe\\";

std::wstring FindInterfacePath() {
    const CDeviceInfoList list(SetupDiGetClassDevsW(&GUID_DEVINTERFACE_VELMORA_RAMDISK, nullptr, nullptr,
                                                    DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!list) return {};
    std::wstring path;
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof(data);
    if (SetupDiEnumDeviceInterfaces(list.Get(), nullptr, &GUID_DEVINTERFACE_VELMORA_RAMDISK, 0, &data)) {
        DWORD required = 0;
        SetupDiGetDeviceInterfaceDetailW(list.Get(), &data, nullptr, 0, &required, nullptr);
        const CLocalMemory<SP_DEVICE_INTERFACE_DETAIL_DATA_W*> detail(
            required ? static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(LocalAlloc(LMEM_FIXED, required)) : nullptr);
        if (detail) {
            detail.Get()->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
            if (SetupDiGetDeviceInterfaceDetailW(list.Get(), &data, detail.Get(), required, nullptr, nullptr))
                path = detail.Get()->DevicePath;
        }
    }
    return path;
}
}  // namespace

CDriverCommand::CDriverCommand() : m_devicePath(FindDevicePath()) {}

CDriverCommand::~CDriverCommand() { CDriverCommand::Close(); }

void CDriverCommand::Close() { m_device.Reset(); }

std::wstring CDriverCommand::FindDevicePath() {
    std::wstring path = FindInterfacePath();
    if (!path.empty()) return path;
    return std::wstring(kPipePrefix) + UDriverPipeFrame::PipeName();
}

bool CDriverCommand::IsStandinPipe() const { return m_devicePath.compare(0, wcslen(kPipePrefix), kPipePrefix) == 0; }

bool CDriverCommand::OpenDevice(DWORD timeoutMs) {
    Close();
    if (m_devicePath.empty()) return false;
    const uint64_t start = UClock::Milliseconds();
    for (;;) {
        m_device.Reset(CreateFileW(m_devicePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (m_device) break;
        if (UClock::Milliseconds() - start >= timeoutMs) return false;
        UClock::Sleep(kRetryIntervalMs);
    }
    if (IsStandinPipe()) {
        DWORD mode = PIPE_READMODE_MESSAGE;
        if (!SetNamedPipeHandleState(m_device.Get(), &mode, nullptr, nullptr)) {
            Close();
            return false;
        }
    }
    return true;
}

bool CDriverCommand::Control(uint32_t code, const std::vector<uint8_t>& input, void* reply, uint32_t replySize) {
    if (!IsOpen()) return false;
    if (IsStandinPipe()) return ControlThroughPipe(code, input, reply, replySize);
    DWORD returned = 0;
    return DeviceIoControl(m_device.Get(), code, const_cast<uint8_t*>(input.data()), static_cast<DWORD>(input.size()),
                           reply, replySize, &returned, nullptr) != FALSE;
}

bool CDriverCommand::ControlThroughPipe(uint32_t code, const std::vector<uint8_t>& input, void* reply,
                                        uint32_t replySize) {
    UDriverPipeFrame::Request request;
    request.controlCode = code;
    request.replySize = replySize;
    request.lengthWidth = static_cast<uint8_t>(sizeof(size_t));
    request.input = input;
    std::vector<uint8_t> frame = UDriverPipeFrame::EncodeRequest(request);
    DWORD written = 0;
    if (!WriteFile(m_device.Get(), frame.data(), static_cast<DWORD>(frame.size()), &written, nullptr) ||
        written != frame.size())
        return false;

    // One message, read in pieces while the pipe reports more data.
    std::vector<uint8_t> answer;
    for (;;) {
        uint8_t chunk[4096];
        DWORD read = 0;
        BOOL ok = ReadFile(m_device.Get(), chunk, sizeof(chunk), &read, nullptr);
        answer.insert(answer.end(), chunk, chunk + read);
        if (ok) break;
        if (GetLastError() != ERROR_MORE_DATA || answer.size() > UDriverPipeFrame::kMaxReply + 64) return false;
    }
    uint32_t error = 0;
    if (UDriverPipeFrame::UnpackReply(answer, reply, replySize, error)) return true;
    SetLastError(error);
    return false;
}
