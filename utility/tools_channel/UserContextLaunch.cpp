#include "utility/tools_channel/UserContextLaunch.h"

#include <sddl.h>

#include <memory>
#include <vector>

#include "framework/Handle.h"
#include "framework/Library.h"
#include "framework/LocalMemory.h"
#include "framework/UniqueResource.h"

namespace {

CLaunchOutcome Failed(const char* call) { return CLaunchOutcome{false, call, GetLastError()}; }

// Waits for the started process to end and closes both handles.
CLaunchOutcome Started(PROCESS_INFORMATION& info) {
    CHandle process(info.hProcess), thread(info.hThread);
    WaitForSingleObject(process.Get(), INFINITE);
    return CLaunchOutcome{true, nullptr, 0};
}

// A SID made by AllocateAndInitializeSid, freed with FreeSid.
struct AllocatedSidTraits {
    using Type = PSID;
    static PSID Empty() { return nullptr; }
    static bool IsValid(PSID sid) { return sid != nullptr; }
    static void Release(PSID sid) { FreeSid(sid); }
};
using CAllocatedSid = CUniqueResource<AllocatedSidTraits>;

// The attribute list of an extended start-up record, deleted with the function looked up.
using DeleteListFn = VOID(WINAPI*)(LPPROC_THREAD_ATTRIBUTE_LIST);
using InitializeListFn = BOOL(WINAPI*)(LPPROC_THREAD_ATTRIBUTE_LIST, DWORD, DWORD, PSIZE_T);
using UpdateListFn = BOOL(WINAPI*)(LPPROC_THREAD_ATTRIBUTE_LIST, DWORD, DWORD_PTR, PVOID, SIZE_T, PVOID, PSIZE_T);

class CAttributeList {
public:
    explicit CAttributeList(DeleteListFn remove) : m_delete(remove) {}
    ~CAttributeList() {
        if (m_initialised) m_delete(List());
    }
    void Allocate(SIZE_T size) { m_memory.reset(new BYTE[size]); }
    LPPROC_THREAD_ATTRIBUTE_LIST List() { return reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(m_memory.get()); }
    void SetInitialised() { m_initialised = true; }

private:
    DeleteListFn m_delete;
    std::unique_ptr<BYTE[]> m_memory;
    bool m_initialised = false;
};

const wchar_t* const kCapabilityStrings[] = {
    L"S-1-15-3-3215430884-1339816292-89257616-1145831019",
    L"S-1-15-3-787448254-1207972858-3558633622-1059886964",
    L"S-1-15-3-3845273463-1331427702-1186551195-1148109977",
};
const wchar_t kPackageSid[] = L"S-1-15-2-1430448594-2639229838-973813799-439329657-1197984847-4069167804-1277922394";
const DWORD kAppPackageCapabilities[][2] = {{3, 4096}, {3, 1}, {3, 9}};
// PROC_THREAD_ATTRIBUTE_SECURITY_CAPABILITIES (Windows 8; the headers hide it for Windows 7).
constexpr DWORD_PTR kSecurityCapabilitiesAttribute = 0x20009;

}  // namespace

namespace UUserContextLaunch {

std::wstring CommandLine(const std::wstring& switchName) { return L"/" + switchName; }

CLaunchOutcome Plain(const std::wstring& program, const std::wstring& commandLine) {
    std::wstring line = commandLine;  // CreateProcessW may write into it
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return Failed("CreateProcessW");
    return Started(info);
}

CLaunchOutcome LowIntegrity(const std::wstring& program, const std::wstring& commandLine, bool vistaOrLater) {
    if (!vistaOrLater) return CLaunchOutcome{};
    CHandle token, lowToken;
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), MAXIMUM_ALLOWED, &raw)) return Failed("OpenProcessToken");
    token.Reset(raw);
    raw = nullptr;
    if (!DuplicateTokenEx(token.Get(), MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary, &raw))
        return Failed("DuplicateTokenEx");
    lowToken.Reset(raw);
    PSID sid = nullptr;
    if (!ConvertStringSidToSidW(L"S-1-16-4096", &sid)) return Failed("ConvertStringSidToSidW");
    CLocalMemory<PSID> lowSid(sid);
    TOKEN_MANDATORY_LABEL label{};
    label.Label.Attributes = SE_GROUP_INTEGRITY;
    label.Label.Sid = lowSid.Get();
    if (!SetTokenInformation(lowToken.Get(), TokenIntegrityLevel, &label,
                             sizeof(TOKEN_MANDATORY_LABEL) + GetLengthSid(lowSid.Get())))
        return Failed("SetTokenInformation");
    std::wstring line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessAsUserW(lowToken.Get(), program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &info))
        return Failed("CreateProcessAsUserW");
    return Started(info);
}

CLaunchOutcome AppContainer(const std::wstring& program, const std::wstring& commandLine, bool windows8OrLater) {
    if (!windows8OrLater) return CLaunchOutcome{};
    CLibrary kernel(L"Kernel32.dll");
    const auto initialize = kernel.Proc<InitializeListFn>("InitializeProcThreadAttributeList");
    const auto update = kernel.Proc<UpdateListFn>("UpdateProcThreadAttribute");
    const auto remove = kernel.Proc<DeleteListFn>("DeleteProcThreadAttributeList");
    if (!initialize || !update || !remove) return Failed("GetProcAddress");

    CAttributeList list(remove);
    SIZE_T size = 0;
    initialize(nullptr, 1, 0, &size);
    if (size == 0) return Failed("InitializeProcThreadAttributeList");
    list.Allocate(size);
    if (!initialize(list.List(), 1, 0, &size)) return Failed("InitializeProcThreadAttributeList");
    list.SetInitialised();

    SID_IDENTIFIER_AUTHORITY appPackage = SECURITY_APP_PACKAGE_AUTHORITY;
    CAllocatedSid allocated[3];
    CLocalMemory<PSID> converted[3];
    SID_AND_ATTRIBUTES capabilities[6]{};
    for (int i = 0; i < 3; ++i) {
        if (!AllocateAndInitializeSid(&appPackage, 2, kAppPackageCapabilities[i][0], kAppPackageCapabilities[i][1], 0,
                                      0, 0, 0, 0, 0, allocated[i].Put()))
            return Failed("AllocateAndInitializeSid");
        capabilities[i] = SID_AND_ATTRIBUTES{allocated[i].Get(), SE_GROUP_ENABLED};
    }
    for (int i = 0; i < 3; ++i) {
        if (!ConvertStringSidToSidW(kCapabilityStrings[i], converted[i].Put())) return Failed("ConvertStringSidToSidW");
        capabilities[3 + i] = SID_AND_ATTRIBUTES{converted[i].Get(), SE_GROUP_ENABLED};
    }
    CLocalMemory<PSID> package;
    if (!ConvertStringSidToSidW(kPackageSid, package.Put())) return Failed("ConvertStringSidToSidW");

    SECURITY_CAPABILITIES security{};
    security.AppContainerSid = package.Get();
    security.Capabilities = capabilities;
    security.CapabilityCount = 6;
    if (!update(list.List(), 0, kSecurityCapabilitiesAttribute, &security, sizeof(security), nullptr, nullptr))
        return Failed("UpdateProcThreadAttribute");

    std::wstring line = commandLine;
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof(startup);
    startup.lpAttributeList = list.List();
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, FALSE,
                        EXTENDED_STARTUPINFO_PRESENT | CREATE_NEW_CONSOLE, nullptr, nullptr, &startup.StartupInfo,
                        &info))
        return Failed("CreateProcessW");
    return Started(info);
}

}  // namespace UUserContextLaunch
