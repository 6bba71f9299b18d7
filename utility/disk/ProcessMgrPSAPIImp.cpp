#include "utility/disk/ProcessMgrPSAPIImp.h"

#include "framework/Handle.h"
#include "utility/disk/ProcessMatch.h"
#include "utility/disk/ProcessPath.h"

#include <vector>

namespace {

const DWORD kNativeName = 1;  // PROCESS_NAME_NATIVE
const DWORD kNameChars = 512;
const DWORD kLongestPath = 32768;
const DWORD kDeviceListStep = 512;

std::wstring DriveName(wchar_t letter) { return std::wstring{letter, L':'}; }

// First target of a DOS device name; empty when it has none.
std::wstring DeviceTarget(const wchar_t* name) {
    std::vector<wchar_t> target(kNameChars);
    DWORD got = QueryDosDeviceW(name, target.data(), kNameChars);
    if (got == 0) return std::wstring();
    std::vector<std::wstring> strings = UProcessPath::SplitMultiString(target.data(), got);
    return strings.empty() ? std::wstring() : strings.front();
}

std::vector<UProcessPath::DriveDevice> DriveDevices() {
    std::vector<UProcessPath::DriveDevice> drives;
    DWORD present = GetLogicalDrives();
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        if (!(present & (1u << (letter - L'A')))) continue;
        std::wstring device = DeviceTarget(DriveName(letter).c_str());
        if (!device.empty()) drives.emplace_back(letter, device);
    }
    return drives;
}

std::vector<std::wstring> AllDeviceTargets() {
    std::vector<wchar_t> names(kDeviceListStep);
    DWORD got = 0;
    for (;;) {
        got = QueryDosDeviceW(nullptr, names.data(), static_cast<DWORD>(names.size()));
        if (got != 0) break;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || names.size() >= (1u << 24)) return {};
        names.resize(names.size() + kDeviceListStep);
    }
    std::vector<std::wstring> targets;
    for (const std::wstring& name : UProcessPath::SplitMultiString(names.data(), got))
        targets.push_back(DeviceTarget(name.c_str()));
    return targets;
}

// Native "\Device\..." path to a drive (or redirector) path.
std::wstring ToDosPath(std::wstring path) {
    if (UProcessPath::ReplaceDrivePrefix(path, DriveDevices())) return path;
    UProcessPath::ReplaceDeviceTarget(path, AllDeviceTargets());
    return path;
}

}  // namespace

CProcessMgrPSAPIImp::CProcessMgrPSAPIImp() : CProcessMgrPSAPIImp(CPSAPIDllInterface::Instance()) {}

CProcessMgrPSAPIImp::CProcessMgrPSAPIImp(CPSAPIDllInterface& dll) : m_dll(dll), m_usable(dll.IsUsable()) {}

bool CProcessMgrPSAPIImp::EnumProcessIds(std::list<uint32_t>& ids) {
    auto enumProcesses = m_usable ? m_dll.Psapi().EnumProcesses : nullptr;
    if (!enumProcesses) {
        ids.clear();
        return false;
    }
    return UProcessMatch::CollectIds(
        [enumProcesses](uint32_t* buffer, uint32_t capacity, uint32_t* count) {
            DWORD bytes = 0;
            static_assert(sizeof(DWORD) == sizeof(uint32_t), "ids are 32-bit");
            if (!enumProcesses(reinterpret_cast<DWORD*>(buffer), capacity * sizeof(DWORD), &bytes)) return false;
            *count = bytes / sizeof(DWORD);
            return true;
        },
        ids);
}

std::wstring CProcessMgrPSAPIImp::GetProcessImagePath(uint32_t id) {
    if (id == 0 || !m_usable) return std::wstring();
    bool queryName = m_dll.Kernel32().QueryFullProcessImageNameW != nullptr;
    const CHandle process(OpenProcess(
        queryName ? PROCESS_QUERY_LIMITED_INFORMATION : PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
    if (!process) return std::wstring();
    std::wstring path = queryName ? QueryImageName(process.Get()) : FirstModuleName(process.Get());
    return UProcessPath::StripNtPrefix(path);
}

std::wstring CProcessMgrPSAPIImp::QueryImageName(HANDLE process) {
    auto query = m_dll.Kernel32().QueryFullProcessImageNameW;
    for (DWORD chars = kNameChars; chars <= kLongestPath; chars *= 2) {
        std::vector<wchar_t> name(chars);
        DWORD size = chars;
        if (query(process, kNativeName, name.data(), &size)) return ToDosPath(std::wstring(name.data(), size));
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    }
    return std::wstring();
}

std::wstring CProcessMgrPSAPIImp::FirstModuleName(HANDLE process) {
    HMODULE module = nullptr;
    DWORD needed = 0;
    if (!m_dll.Psapi().EnumProcessModules(process, &module, sizeof(module), &needed) || !module) return std::wstring();
    std::vector<wchar_t> name(kNameChars);
    DWORD got = m_dll.Psapi().GetModuleFileNameExW(process, module, name.data(), kNameChars);
    if (got == 0 || got >= kNameChars) return std::wstring();  // failed or cut short
    return std::wstring(name.data(), got);
}
