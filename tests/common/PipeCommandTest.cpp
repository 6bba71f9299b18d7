// The pipe framework between two threads of this process, and with real peer processes.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <thread>

#include "common/PipeCommandClient.h"
#include "common/PipeCommandServer.h"
#include "common/PipeSecurity.h"
#include "framework/LocalMemory.h"

namespace {

std::wstring UniquePipeName(const wchar_t* what) {
    static int counter = 0;
    return std::wstring(L"vmx-test-") + what + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter);
}

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 8));
    return bytes;
}

// Keeps what the client sent and answers each message with the next reply.
class CEchoServer : public CPipeCommandServer {
public:
    using CPipeCommandServer::CPipeCommandServer;
    void OnMessage(const std::vector<uint8_t>& message) override {
        received.push_back(message);
        if (next < replies.size()) {
            const auto& reply = replies[next++];
            written.push_back(Write(reply.data(), reply.size(), 10000));
        }
    }
    std::vector<std::vector<uint8_t>> received, replies;
    std::vector<bool> written;
    size_t next = 0;
};

}  // namespace

// Message-mode reads end exactly at the sender's end, also for multiples of the chunk size.
TEST(PipeCommand, WholeMessagesOfEverySizeInBothDirections) {
    const size_t sizes[] = {4, 1023, 1024, 1025, 1500, 2048, 5000, CPipeCommand::kMaxMessageBytes};
    CEchoServer server(UniquePipeName(L"sizes"));
    for (size_t i = 0; i < std::size(sizes); ++i)
        server.replies.push_back(Pattern(sizes[i], static_cast<uint8_t>(100 + i)));
    int run = 99;
    std::thread serving([&] { run = server.Run(); });

    CPipeCommandClient client(server.PipeName());
    ASSERT_TRUE(client.OpenWithRetry(10000));
    for (size_t i = 0; i < std::size(sizes); ++i) {
        const std::vector<uint8_t> sent = Pattern(sizes[i], static_cast<uint8_t>(i));
        ASSERT_TRUE(client.Write(sent.data(), sent.size(), 10000)) << sizes[i];
        std::vector<uint8_t> reply;
        ASSERT_TRUE(client.Read(reply, 10000)) << "a reply of " << sizes[i] << " bytes must end";
        EXPECT_EQ(reply, server.replies[i]) << sizes[i];
    }
    // One byte more than the longest message: refused, nothing kept.
    server.replies.push_back(Pattern(CPipeCommand::kMaxMessageBytes + 1, 1));
    const uint8_t ask = 0;
    ASSERT_TRUE(client.Write(&ask, 1, 10000));
    std::vector<uint8_t> tooLong;
    EXPECT_FALSE(client.Read(tooLong, 10000));
    EXPECT_TRUE(tooLong.empty());
    client.Close();
    serving.join();
    EXPECT_EQ(run, 0);
    server.received.pop_back();
    ASSERT_EQ(server.received.size(), std::size(sizes));
    for (size_t i = 0; i < std::size(sizes); ++i)
        EXPECT_EQ(server.received[i], Pattern(sizes[i], static_cast<uint8_t>(i))) << sizes[i];
    EXPECT_FALSE(server.IsOpen());
}

TEST(PipeCommand, StopEventEndsAnExchangeWithZeroAndAWaitingConnectWithMinusTwo) {
    {
        CEchoServer server(UniquePipeName(L"stop"));
        int run = 99;
        std::thread serving([&] { run = server.Run(); });
        CPipeCommandClient client(server.PipeName());
        ASSERT_TRUE(client.OpenWithRetry(10000));
        Sleep(100);  // the server waits in its read now
        server.Stop();
        serving.join();
        EXPECT_EQ(run, 0) << "the exchange ran and was stopped";
        EXPECT_TRUE(server.Stopped());
        EXPECT_FALSE(server.IsOpen());
        std::vector<uint8_t> nothing;
        EXPECT_FALSE(client.Read(nothing, 2000)) << "the server disconnected";
        EXPECT_TRUE(nothing.empty());
    }
    {
        CEchoServer server(UniquePipeName(L"stop-connect"));
        int run = 99;
        std::thread serving([&] { run = server.Run(); });
        Sleep(100);
        server.Stop();
        serving.join();
        EXPECT_EQ(run, -2) << "no client ever connected";
    }
}

TEST(PipeCommand, ClientTimesOutOnASilentServerAndCannotOpenAMissingPipe) {
    CEchoServer server(UniquePipeName(L"silent"));
    std::thread serving([&] { server.Run(); });
    CPipeCommandClient client(server.PipeName());
    ASSERT_TRUE(client.OpenWithRetry(10000));
    std::vector<uint8_t> reply{1, 2, 3};
    const DWORD start = GetTickCount();
    EXPECT_FALSE(client.Read(reply, 200));
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_TRUE(reply.empty());
    client.Close();
    serving.join();

    CPipeCommandClient nobody(UniquePipeName(L"nobody"));
    const DWORD before = GetTickCount();
    EXPECT_FALSE(nobody.OpenWithRetry(150));
    EXPECT_GE(GetTickCount() - before, 140u);
    EXPECT_FALSE(nobody.IsOpen());
}

TEST(PipeSecurity, FourEntriesWithTheirMasksAndInheritance) {
    CPipeSecurity security;
    ASSERT_NE(security.Attributes(), nullptr) << security.Error();
    EXPECT_EQ(security.Attributes()->nLength, sizeof(SECURITY_ATTRIBUTES));
    EXPECT_FALSE(security.Attributes()->bInheritHandle);
    BOOL present = FALSE, defaulted = TRUE;
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(security.Attributes()->lpSecurityDescriptor, &present, &dacl, &defaulted));
    EXPECT_TRUE(present);
    EXPECT_FALSE(defaulted);
    ASSERT_EQ(dacl, security.Dacl());
    struct Expected {
        const wchar_t* sid;
        DWORD mask;
        BYTE flags;
    } expected[] = {{L"S-1-3-0", 0x1F01FF, 0xF},
                    {L"S-1-5-18", 0x1F01FF, 3},
                    {L"S-1-5-32-544", 0x1F01FF, 3},
                    {L"S-1-5-4", 0x1301FF, 3}};
    ASSERT_EQ(dacl->AceCount, 4);
    for (const Expected& e : expected) {
        PSID sid = nullptr;
        ASSERT_TRUE(ConvertStringSidToSidW(e.sid, &sid));
        CLocalMemory<PSID> owned(sid);
        bool found = false;
        for (DWORD i = 0; i < dacl->AceCount; ++i) {
            ACCESS_ALLOWED_ACE* ace = nullptr;
            ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
            if (!EqualSid(&ace->SidStart, sid)) continue;
            found = true;
            EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE) << e.sid;
            EXPECT_EQ(ace->Mask, e.mask) << e.sid;
            EXPECT_EQ(ace->Header.AceFlags, e.flags) << e.sid;
        }
        EXPECT_TRUE(found) << e.sid;
    }
}
