#include <windows.h>
#include <aclapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/FindHandle.h"
#include "framework/Handle.h"
#include "framework/LocalMemory.h"
#include "framework/RegKey.h"
#include "utility/disk/DataFolder.h"
#include "utility/disk/DriveLetter.h"
#include "utility/disk/FolderCreation.h"
#include "utility/disk/IEVersion.h"
#include "utility/disk/OSVersion.h"
#include "utility/disk/SystemRestart.h"

namespace {

struct AceFacts {
    WELL_KNOWN_SID_TYPE who;
    DWORD mask;
    BYTE flags;
};

bool SidIs(PSID sid, WELL_KNOWN_SID_TYPE type) {
    BYTE buffer[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(buffer);
    if (!CreateWellKnownSid(type, nullptr, buffer, &size)) return false;
    return EqualSid(sid, buffer) != FALSE;
}

// The explicit allow entries of a DACL, by well-known trustee.
std::vector<AceFacts> ExplicitAces(PACL dacl) {
    std::vector<AceFacts> facts;
    if (!dacl) return facts;
    const WELL_KNOWN_SID_TYPE known[] = {WinCreatorOwnerSid, WinLocalSystemSid, WinBuiltinAdministratorsSid,
                                         WinInteractiveSid, WinWorldSid};
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace)) continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE || (allowed->Header.AceFlags & INHERITED_ACE)) continue;
        for (auto type : known)
            if (SidIs(&allowed->SidStart, type)) facts.push_back({type, allowed->Mask, allowed->Header.AceFlags});
    }
    return facts;
}

std::vector<AceFacts> ReadExplicitAces(const std::wstring& path) {
    PACL dacl = nullptr;
    CLocalMemory<PSECURITY_DESCRIPTOR> descriptor;
    DWORD rc = GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                     nullptr, descriptor.Put());
    EXPECT_EQ(rc, 0u) << "reading the DACL of " << std::string(path.begin(), path.end());
    std::vector<AceFacts> facts = rc == 0 ? ExplicitAces(dacl) : std::vector<AceFacts>();
    return facts;
}

std::vector<AceFacts> DescriptorAces(UFolderCreation::CFolderSecurity& security) {
    SECURITY_ATTRIBUTES* sa = security.Attributes();
    EXPECT_NE(sa, nullptr);
    if (!sa) return {};
    EXPECT_EQ(sa->nLength, sizeof(SECURITY_ATTRIBUTES));
    EXPECT_FALSE(sa->bInheritHandle);
    BOOL present = FALSE, defaulted = TRUE;
    PACL dacl = nullptr;
    EXPECT_TRUE(GetSecurityDescriptorDacl(sa->lpSecurityDescriptor, &present, &dacl, &defaulted));
    EXPECT_TRUE(present);
    EXPECT_FALSE(defaulted);
    return ExplicitAces(dacl);
}

// Wine keeps no DACL on files: it derives one from the Unix mode bits, so a DACL given at
// creation cannot be read back from the folder there.
bool FileDaclsAreKept() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return !(ntdll && GetProcAddress(ntdll, "wine_get_version"));
}

const AceFacts* Find(const std::vector<AceFacts>& aces, WELL_KNOWN_SID_TYPE who) {
    for (const auto& ace : aces)
        if (ace.who == who) return &ace;
    return nullptr;
}

class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        path_ = JoinPath(
            base, L"vmx-system-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount()));
    }
    ~TempFolder() { Remove(path_); }
    const std::wstring& Path() const { return path_; }

private:
    static void Remove(const std::wstring& folder) {
        WIN32_FIND_DATAW data;
        CFindHandle find;
        if (find.First(JoinPath(folder, L"*").c_str(), data)) {
            do {
                std::wstring name = data.cFileName;
                if (name == L"." || name == L"..") continue;
                std::wstring child = JoinPath(folder, name);
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    Remove(child);
                else
                    DeleteFileW(child.c_str());
            } while (find.Next(data));
            find.Reset();
        }
        RemoveDirectoryW(folder.c_str());
    }
    std::wstring path_;
};

bool IsFolder(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

TEST(FolderCreation, InteractiveVariantDescriptor) {
    UFolderCreation::CFolderSecurity security(UFolderCreation::AccessVariant::Interactive);
    auto aces = DescriptorAces(security);
    ASSERT_EQ(aces.size(), 4u);
    const AceFacts* owner = Find(aces, WinCreatorOwnerSid);
    const AceFacts* system = Find(aces, WinLocalSystemSid);
    const AceFacts* admins = Find(aces, WinBuiltinAdministratorsSid);
    const AceFacts* interactive = Find(aces, WinInteractiveSid);
    ASSERT_TRUE(owner && system && admins && interactive) << aces.size() << " entries found";
    EXPECT_EQ(owner->mask, 0x1F01FFu);
    EXPECT_EQ(owner->flags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | INHERIT_ONLY_ACE | NO_PROPAGATE_INHERIT_ACE);
    EXPECT_EQ(system->mask, 0x1F01FFu);
    EXPECT_EQ(admins->mask, 0x1F01FFu);
    EXPECT_EQ(interactive->mask, 0x1301FFu);
    EXPECT_EQ(interactive->flags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
    EXPECT_EQ(Find(aces, WinWorldSid), nullptr);
}

TEST(FolderCreation, EveryoneVariantDescriptor) {
    UFolderCreation::CFolderSecurity security(UFolderCreation::AccessVariant::Everyone);
    auto aces = DescriptorAces(security);
    ASSERT_EQ(aces.size(), 4u);
    const AceFacts* everyone = Find(aces, WinWorldSid);
    ASSERT_NE(everyone, nullptr);
    EXPECT_EQ(everyone->mask, 0x1F01FFu);
    EXPECT_EQ(everyone->flags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
    EXPECT_EQ(Find(aces, WinInteractiveSid), nullptr);
}

TEST(FolderCreation, RightsGoOnTheLastFolderOnlyAndExistingFoldersAreLeftAlone) {
    TempFolder temp;
    std::wstring parent = JoinPath(temp.Path(), L"a");
    std::wstring leaf = JoinPath(parent, L"b");
    ASSERT_TRUE(UFolderCreation::CreateFolderWithRights(leaf + L"\\\\", UFolderCreation::AccessVariant::Interactive));
    ASSERT_TRUE(IsFolder(leaf));
    ASSERT_TRUE(IsFolder(parent));
    EXPECT_TRUE(UFolderCreation::CreateFolderWithRights(leaf, UFolderCreation::AccessVariant::Everyone))
        << "an existing last folder needs nothing";
    if (!FileDaclsAreKept()) GTEST_SKIP() << "this system keeps no DACL on files (Wine)";
    EXPECT_NE(Find(ReadExplicitAces(leaf), WinInteractiveSid), nullptr);
    EXPECT_EQ(Find(ReadExplicitAces(leaf), WinWorldSid), nullptr) << "the existing folder kept its DACL";
    EXPECT_EQ(Find(ReadExplicitAces(parent), WinInteractiveSid), nullptr) << "parents keep default security";
}

TEST(FolderCreation, PathWalkSkipsDrivesAndReportsTheLastAttempt) {
    TempFolder temp;
    std::wstring deep = JoinPath(temp.Path(), L"x\\y\\z");
    EXPECT_TRUE(UFolderCreation::CreateFolderPath(deep, nullptr));
    EXPECT_TRUE(IsFolder(deep));
    EXPECT_TRUE(UFolderCreation::CreateFolderPath(deep, nullptr)) << "nothing to create is success";
    EXPECT_TRUE(UFolderCreation::CreateFolderPath(L"C:\\", nullptr)) << "a bare drive needs nothing";
    EXPECT_FALSE(UFolderCreation::CreateFolderPath(L"", nullptr));

    // A file in the way makes the last attempt fail.
    std::wstring file = JoinPath(temp.Path(), L"file");
    ASSERT_TRUE(CHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)).IsValid());
    EXPECT_FALSE(UFolderCreation::CreateFolderPath(JoinPath(file, L"sub"), nullptr));
}

TEST(DataFolder, LivesUnderCommonAppDataAndIsCreatedWithInteractiveRights) {
    std::wstring folder = GetDataFolder();
    ASSERT_FALSE(folder.empty());
    const std::wstring tail = L"\\Norvane\\VelmoraEX";
    ASSERT_GT(folder.size(), tail.size());
    EXPECT_EQ(folder.substr(folder.size() - tail.size()), tail);

    ASSERT_TRUE(EnsureDataFolder());
    EXPECT_TRUE(IsFolder(folder));
    EXPECT_TRUE(EnsureDataFolder()) << "a second call finds it in place";
    if (FileDaclsAreKept()) {
        EXPECT_NE(Find(ReadExplicitAces(folder), WinInteractiveSid), nullptr);
    }
}

TEST(DataFolder, InsideTestIsCaseInsensitiveAndNeedsMoreThanTheFolder) {
    std::wstring folder = GetDataFolder();
    ASSERT_FALSE(folder.empty());
    std::wstring upper = folder;
    for (auto& c : upper) c = static_cast<wchar_t>(towupper(c));
    EXPECT_TRUE(IsInDataFolder(folder + L"\\Backup0"));
    EXPECT_TRUE(IsInDataFolder(upper + L"\\BACKUP0"));
    EXPECT_FALSE(IsInDataFolder(folder));
    EXPECT_FALSE(IsInDataFolder(folder + L"\\"));
    EXPECT_FALSE(IsInDataFolder(folder + L"2\\Backup0")) << "a sibling with a longer name is outside";
    EXPECT_FALSE(IsInDataFolder(L"D:\\Backup0"));
}

TEST(JoinPath, OneBackslashBetween) {
    EXPECT_EQ(JoinPath(L"C:\\a", L"b"), L"C:\\a\\b");
    EXPECT_EQ(JoinPath(L"C:\\", L"b"), L"C:\\b");
    EXPECT_EQ(JoinPath(L"", L"b"), L"b");
}

TEST(SystemVersion, WineReportsAWindowsVersionAndAnArchitecture) {
    COSVersion os;
    os.Read();
    EXPECT_GE(os.m_version.dwMajorVersion, 5u);
    EXPECT_EQ(os.m_version.dwOSVersionInfoSize, 284u) << "the extended structure is accepted";
    EXPECT_NE(os.m_nativeSystemInfo.dwNumberOfProcessors, 0u);
#ifdef _WIN64
    EXPECT_EQ(os.m_wow64, 0u);
#else
    EXPECT_EQ(os.m_wow64, 1u) << "a 32-bit build runs under WOW64 on a 64-bit prefix";
#endif
    EXPECT_EQ(os.IsVistaOrLater(), os.m_version.dwMajorVersion >= 6);
}

TEST(SystemVersion, InternetExplorerVersionIsReadWhenPresent) {
    CIEVersion ie;
    ie.Read();
    CRegKey key;
    bool present = key.Open(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Internet Explorer", KEY_READ) == ERROR_SUCCESS;
    if (present) {
        char text[64] = {};
        DWORD size = sizeof(text) - 1;
        present = RegQueryValueExA(key.Get(), "Version", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) ==
                      ERROR_SUCCESS &&
                  text[0] != 0;
        if (present) {
            EXPECT_EQ(ie.m_version, std::string(text));
        }
    }
    EXPECT_EQ(ie.m_valid, present);
}

namespace {
UINT g_restartFlags = 0;
int g_restartCalls = 0;
BOOL WINAPI RecordRestart(UINT flags, DWORD) {
    g_restartFlags = flags;
    ++g_restartCalls;
    return TRUE;
}
}  // namespace

TEST(SystemRestart, RestartAsksForARebootThroughTheSeam) {
    auto previous = USystemRestart::SetExitWindowsFunction(RecordRestart);
    EXPECT_TRUE(USystemRestart::RestartWindows());
    USystemRestart::SetExitWindowsFunction(previous);
    EXPECT_EQ(g_restartCalls, 1);
    EXPECT_EQ(g_restartFlags, static_cast<UINT>(EWX_REBOOT));
}

TEST(SystemRestart, ShutdownPrivilegeCanBeSwitchedOnAndOff) {
    EXPECT_TRUE(USystemRestart::SetShutdownPrivilege(true));
    EXPECT_TRUE(USystemRestart::SetShutdownPrivilege(false));
}
