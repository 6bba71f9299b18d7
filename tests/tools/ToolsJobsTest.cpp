// The tools program's browsing-data jobs, run as the real program against Wine's URL cache and
// registry, and its start-up modes.
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <iostream>

#include "common/PipeCommandServer.h"
#include "common/ProcessPipeCmdServer.h"
#include "common/ToolChannel.h"
#include "framework/RegKey.h"
#include "tests/tools/ToolsRunner.h"
#include "tools/TypedUrlsCleaner.h"
#include "tools/ToolSwitches.h"
#include "tools/UrlHistoryCleaner.h"

namespace {

constexpr DWORD kToolsExit = 0xFFFFFFFF;  // -1

// One URL-cache entry made through WinINet's own calls.
struct CacheEntry {
    std::wstring url;
    DWORD type;
    bool withFile;
    EToolJob deletedBy;  // TOOL_JOB_NONE: neither job
};

bool AddEntry(const CacheEntry& entry) {
    wchar_t file[MAX_PATH] = L"";
    if (entry.withFile) {
        if (!CreateUrlCacheEntryW(entry.url.c_str(), 0, L"htm", file, 0)) return false;
        CHandle h(CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!h || !WriteFile(h.Get(), "<html></html>", 13, &written, nullptr)) return false;
    }
    FILETIME zero{};
    return CommitUrlCacheEntryW(entry.url.c_str(), entry.withFile ? file : nullptr, zero, zero, entry.type, nullptr, 0,
                                nullptr, nullptr) != FALSE;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

bool InCache(const std::wstring& url) {
    DWORD size = 0;
    if (GetUrlCacheEntryInfoW(url.c_str(), nullptr, &size)) return true;
    return GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

const CacheEntry kEntries[] = {
    {L"http://page.example.test/index.html", NORMAL_CACHE_ENTRY, true, TOOL_JOB_DELETE_CACHE},
    {L"http://page.example.test/style.css", NORMAL_CACHE_ENTRY, true, TOOL_JOB_DELETE_CACHE},
    {L"http://sticky.example.test/logo.png", NORMAL_CACHE_ENTRY | STICKY_CACHE_ENTRY, true, TOOL_JOB_DELETE_CACHE},
    {L"Cookie:user@cookie.example.test/", COOKIE_CACHE_ENTRY | NORMAL_CACHE_ENTRY, true, TOOL_JOB_DELETE_COOKIES},
    {L"Cookie:user@other.example.test/", COOKIE_CACHE_ENTRY, true, TOOL_JOB_DELETE_COOKIES},
    {L"Visited: user@http://history.example.test/", URLHISTORY_CACHE_ENTRY | NORMAL_CACHE_ENTRY, false, TOOL_JOB_NONE},
    // Longer than the walk's first buffer: it has to grow.
    {L"http://long.example.test/" + std::wstring(3000, L'a'), NORMAL_CACHE_ENTRY, true, TOOL_JOB_DELETE_CACHE},
    {L"Cookie:user@long.example.test/" + std::wstring(2500, L'c'), COOKIE_CACHE_ENTRY, true, TOOL_JOB_DELETE_COOKIES},
};

class CRegValues {
public:
    static std::vector<std::wstring> Names() {
        CRegKey key;
        std::vector<std::wstring> names;
        if (key.Open(HKEY_CURRENT_USER, UTypedUrlsCleaner::kKeyPath, KEY_READ) != ERROR_SUCCESS) return names;
        for (DWORD i = 0;; ++i) {
            wchar_t name[512];
            DWORD length = 512;
            if (RegEnumValueW(key.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            names.emplace_back(name, length);
        }
        return names;
    }
    static bool KeyExists() {
        CRegKey key;
        return key.Open(HKEY_CURRENT_USER, UTypedUrlsCleaner::kKeyPath, KEY_READ) == ERROR_SUCCESS;
    }
};

}  // namespace

TEST(ToolsJobs, CacheAndCookieJobsDeleteOnlyTheirKind) {
    for (const CacheEntry& entry : kEntries) ASSERT_TRUE(AddEntry(entry)) << Narrow(entry.url);
    for (const CacheEntry& entry : kEntries) ASSERT_TRUE(InCache(entry.url));

    // The cache job, the cookie job, then both again on what is left (nothing of their kind).
    const struct {
        const wchar_t* commandLine;
        bool cacheDone, cookiesDone;
    } runs[] = {{L"/Del_Cache", true, false},
                {L"-Del_Cookie", true, true},
                {L"/Del_Cache", true, true},
                {L"/Del_Cookie", true, true}};
    for (const auto& run : runs) {
        ASSERT_EQ(toolsrun::Run(toolsrun::ToolsPath(), run.commandLine), kToolsExit);
        for (const CacheEntry& entry : kEntries) {
            const bool gone = (run.cacheDone && entry.deletedBy == TOOL_JOB_DELETE_CACHE) ||
                              (run.cookiesDone && entry.deletedBy == TOOL_JOB_DELETE_COOKIES);
            EXPECT_EQ(InCache(entry.url), !gone) << Narrow(run.commandLine) << " " << Narrow(entry.url.substr(0, 40));
        }
    }
}

TEST(ToolsJobs, TypedUrlsJobDeletesEveryValueAndLeavesAMissingKeyAlone) {
    {
        CRegKey key;
        ASSERT_EQ(key.Create(HKEY_CURRENT_USER, UTypedUrlsCleaner::kKeyPath, KEY_ALL_ACCESS), ERROR_SUCCESS);
        for (int i = 1; i <= 30; ++i) {
            const std::wstring name = L"url" + std::to_wstring(i);
            const std::wstring data = L"http://typed" + std::to_wstring(i) + L".example.test/";
            ASSERT_EQ(RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                     static_cast<DWORD>((data.size() + 1) * 2)),
                      ERROR_SUCCESS);
        }
    }
    ASSERT_EQ(CRegValues::Names().size(), 30u);
    EXPECT_EQ(toolsrun::Run(toolsrun::ToolsPath(), L"/Del_TypedURLs"), kToolsExit);
    EXPECT_TRUE(CRegValues::KeyExists()) << "the key stays";
    EXPECT_TRUE(CRegValues::Names().empty()) << "every value went, none skipped by the enumeration";

    ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, UTypedUrlsCleaner::kKeyPath), ERROR_SUCCESS);
    EXPECT_EQ(UTypedUrlsCleaner::Run(), 0) << "a missing key cannot be opened";
    EXPECT_EQ(toolsrun::Run(toolsrun::ToolsPath(), L"/Del_TypedURLs"), kToolsExit);
    EXPECT_FALSE(CRegValues::KeyExists()) << "nothing is created";
}

// What Wine's URL-history object does: the job ends cleanly either way; the outcome is reported.
TEST(ToolsJobs, HistoryJobEndsCleanlyAndSaysWhichCallFailed) {
    const UUrlHistoryCleaner::COutcome outcome = UUrlHistoryCleaner::Run();
    std::cout << "URL history clear: result " << outcome.result << ", failed call "
              << (outcome.failedCall ? outcome.failedCall : "none") << ", HRESULT 0x" << std::hex
              << static_cast<unsigned long>(outcome.hr) << std::dec << std::endl;
    RecordProperty("history_failed_call", outcome.failedCall ? outcome.failedCall : "none");
    EXPECT_EQ(outcome.result == 1, outcome.failedCall == nullptr);
    EXPECT_EQ(outcome.result == 1, SUCCEEDED(outcome.hr));
    EXPECT_EQ(toolsrun::Run(toolsrun::ToolsPath(), L"/Del_History", 30000), kToolsExit);
}

// Without a job the program opens the utility's pipe once: absent, it ends at once.
TEST(ToolsProgram, WithoutAPipeItEndsAtOnceWithMinusOne) {
    const DWORD start = GetTickCount();
    EXPECT_EQ(toolsrun::Run(toolsrun::ToolsPath(), L""), kToolsExit);
    EXPECT_EQ(toolsrun::Run(toolsrun::ToolsPath(), L"/Unknown x -y"), kToolsExit);
    EXPECT_LT(GetTickCount() - start, 20000u);
}

// "/del_cache" selects no job: the program goes to the pipe and asks for its command.
TEST(ToolsProgram, LowerCaseSwitchMeansPipeMode) {
    class CServer : public CProcessPipeCmdServer {
    public:
        CServer() : CProcessPipeCmdServer(UToolChannel::kPipeName, toolsrun::ToolsPath()) {}
        bool StartProcess() override {
            std::wstring line = L"/del_cache";
            STARTUPINFOW startup{};
            startup.cb = sizeof(startup);
            PROCESS_INFORMATION info{};
            if (!CreateProcessW(PeerPath().c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                &info))
                return false;
            CHandle thread(info.hThread);
            SetPeerProcess(info.hProcess);
            return true;
        }
        void OnMessage(const std::vector<uint8_t>& message) override {
            received.push_back(message);
            const std::vector<uint8_t> answer = UToolChannel::NoCommand();
            Write(answer.data(), answer.size(), 10000);
        }
        std::vector<std::vector<uint8_t>> received;
    } server;
    EXPECT_EQ(server.Run(), 0);
    ASSERT_EQ(server.received.size(), 1u);
    EXPECT_EQ(server.received[0], UToolChannel::Request()) << "one request, then nothing after no command";
}
