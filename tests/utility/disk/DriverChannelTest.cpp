#include <windows.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "common/DataParser.h"
#include "utility/disk/DeviceNotifier.h"
#include "utility/disk/DriverPipeFrame.h"
#include "utility/disk/VelmoraAPI.h"

namespace {

// A driver double on the stand-in's pipe: answers each request with a scripted reply.
class FakeDriver {
public:
    using Script = std::function<UDriverPipeFrame::Reply(const UDriverPipeFrame::Request&)>;

    explicit FakeDriver(Script script) : m_script(std::move(script)) {
        m_name = L"VelmoraEXTestDriver-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(++s_instance);
        UDriverPipeFrame::SetPipeName(m_name.c_str());
        m_pipe = CreateNamedPipeW((L"\\\\.\\pipe\\" + m_name).c_str(), PIPE_ACCESS_DUPLEX,
                                  PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
        m_thread = std::thread([this] { Serve(); });
    }
    ~FakeDriver() {
        m_stop = true;
        // Wake a pending ConnectNamedPipe with a throwaway client.
        HANDLE wake = CreateFileW((L"\\\\.\\pipe\\" + m_name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (wake != INVALID_HANDLE_VALUE) CloseHandle(wake);
        m_thread.join();
        CloseHandle(m_pipe);
        UDriverPipeFrame::SetPipeName(nullptr);
    }
    std::vector<UDriverPipeFrame::Request> Requests() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }

private:
    void Serve() {
        while (!m_stop) {
            BOOL connected = ConnectNamedPipe(m_pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
            if (m_stop) break;
            while (connected) {
                std::vector<uint8_t> frame(70000);
                DWORD read = 0;
                if (!ReadFile(m_pipe, frame.data(), static_cast<DWORD>(frame.size()), &read, nullptr)) break;
                frame.resize(read);
                UDriverPipeFrame::Request request;
                std::string reason;
                UDriverPipeFrame::Reply reply;
                if (UDriverPipeFrame::DecodeRequest(frame, request, reason)) {
                    {
                        std::lock_guard<std::mutex> lock(m_mutex);
                        m_requests.push_back(request);
                    }
                    reply = m_script(request);
                } else {
                    reply.error = ERROR_INVALID_PARAMETER;
                }
                auto answer = UDriverPipeFrame::EncodeReply(reply);
                DWORD written;
                if (!WriteFile(m_pipe, answer.data(), static_cast<DWORD>(answer.size()), &written, nullptr)) break;
            }
            DisconnectNamedPipe(m_pipe);
        }
    }

    static inline int s_instance = 0;
    Script m_script;
    std::wstring m_name;
    HANDLE m_pipe;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<UDriverPipeFrame::Request> m_requests;
};

UDriverPipeFrame::Reply StatusReply(uint32_t status, uint32_t error, wchar_t letter) {
    RamDiskStatus s{};
    s.status = status;
    s.error = error;
    s.driveLetter = letter;
    s.unsavedFactor1 = 4096;
    s.unsavedFactor2 = 3;
    UDriverPipeFrame::Reply reply;
    reply.succeeded = true;
    reply.output.resize(sizeof(s));
    std::memcpy(reply.output.data(), &s, sizeof(s));
    return reply;
}

UDriverPipeFrame::Reply ShortReply(uint32_t status, uint32_t error) {
    DriverReply r{status, error};
    UDriverPipeFrame::Reply reply;
    reply.succeeded = true;
    reply.output.resize(sizeof(r));
    std::memcpy(reply.output.data(), &r, sizeof(r));
    return reply;
}

struct Notice {
    char kind;  // 'B' broadcast, 'U' root update
    WPARAM event;
    wchar_t letter;
};

class RecordingNotifier : public IDeviceNotifier {
public:
    RecordingNotifier() : m_previous(UDeviceNotifier::Replace(this)) {}
    ~RecordingNotifier() override { UDeviceNotifier::Replace(m_previous); }
    void BroadcastVolume(WPARAM event, wchar_t letter) override { notices.push_back({'B', event, letter}); }
    void UpdateRoot(wchar_t letter) override { notices.push_back({'U', 0, letter}); }
    std::vector<Notice> notices;

private:
    IDeviceNotifier* m_previous;
};

const std::wstring kDiskId = L"C:\\ProgramData\\Norvane\\VelmoraEX\\VelmoraEX0.ini";

}  // namespace

TEST(DriverChannel, CreateSendsTheIdAndImageFlagAndAnnouncesTheLetter) {
    FakeDriver driver([](const UDriverPipeFrame::Request&) { return StatusReply(0, 0, L'R'); });
    RecordingNotifier notices;
    CVelmoraAPI api;
    ASSERT_TRUE(api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs));
    RamDiskStatus reply{};
    EXPECT_EQ(api.Create(kDiskId, true, reply), 1);
    EXPECT_EQ(reply.driveLetter, L'R');
    EXPECT_EQ(reply.UnsavedBytes(), 3u * 4096u);

    auto requests = driver.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& r = requests[0];
    EXPECT_EQ(r.controlCode, 0x226004u);
    EXPECT_EQ(r.replySize, 63u);
    EXPECT_EQ(r.lengthWidth, sizeof(size_t));
    EXPECT_EQ(r.input.size(), 2 * kDiskId.size() + sizeof(size_t) + 1) << "2N + 9 on 64-bit, 2N + 5 on 32-bit";
    CDataParser parser(r.input);
    std::wstring id;
    uint8_t imageMode = 0;
    ASSERT_TRUE(parser.ReadString(id));
    ASSERT_TRUE(parser.ReadByte(imageMode));
    EXPECT_EQ(id, kDiskId);
    EXPECT_EQ(imageMode, 1);

    ASSERT_EQ(notices.notices.size(), 1u);
    EXPECT_EQ(notices.notices[0].event, static_cast<WPARAM>(DBT_DEVICEARRIVAL));
    EXPECT_EQ(notices.notices[0].letter, L'R');
}

TEST(DriverChannel, NonzeroErrorWordIsFailureAndKeepsTheReply) {
    FakeDriver driver([](const UDriverPipeFrame::Request& r) {
        return r.controlCode == IOCTL_RAMDISK_CREATE ? StatusReply(0, 5, L'R') : ShortReply(0, 5);
    });
    RecordingNotifier notices;
    CVelmoraAPI api;
    ASSERT_TRUE(api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs));
    RamDiskStatus status{};
    EXPECT_EQ(api.Create(kDiskId, false, status), 0);
    EXPECT_EQ(status.error, 5u) << "the caller takes the driver's code as its result";
    DriverReply reply{};
    EXPECT_EQ(api.Sync(kDiskId, true, reply), 0);
    EXPECT_EQ(reply.error, 5u);
    EXPECT_TRUE(notices.notices.empty()) << "no notices after a failed command";
}

TEST(DriverChannel, RemoveOfAnUnknownDiskSendsNoNoticesAndKeepsLetterZero) {
    FakeDriver driver([](const UDriverPipeFrame::Request& r) {
        return r.controlCode == IOCTL_RAMDISK_QUERY ? StatusReply(1, 0x3000, 0) : ShortReply(0, 0);
    });
    RecordingNotifier notices;
    CVelmoraAPI api;
    ASSERT_TRUE(api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs));
    DriverReply reply{};
    EXPECT_EQ(api.Remove(kDiskId, 0, 0, true, reply), 1);
    EXPECT_TRUE(notices.notices.empty());
    auto requests = driver.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].controlCode, static_cast<uint32_t>(IOCTL_RAMDISK_QUERY));
    EXPECT_EQ(requests[1].controlCode, static_cast<uint32_t>(IOCTL_RAMDISK_REMOVE));
    CDataParser parser(requests[1].input);
    std::wstring id;
    char16_t letter = 1;
    uint8_t reserved = 9, save = 0;
    ASSERT_TRUE(parser.ReadString(id) && parser.ReadChar(letter) && parser.ReadByte(reserved) && parser.ReadByte(save));
    EXPECT_TRUE(parser.AtEnd());
    EXPECT_EQ(letter, 0) << "the message carries the letter as the caller gave it";
    EXPECT_EQ(reserved, 0);
    EXPECT_EQ(save, 1);
}

TEST(DriverChannel, RemoveAnnouncesTheLetterTheDriverReports) {
    FakeDriver driver([](const UDriverPipeFrame::Request& r) {
        return r.controlCode == IOCTL_RAMDISK_QUERY ? StatusReply(0, 0, L'r') : ShortReply(0, 0);
    });
    RecordingNotifier notices;
    CVelmoraAPI api;
    ASSERT_TRUE(api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs));
    DriverReply reply{};
    EXPECT_EQ(api.Remove(kDiskId, 0, 0, false, reply), 1);
    ASSERT_EQ(notices.notices.size(), 3u);
    EXPECT_EQ(notices.notices[0].event, static_cast<WPARAM>(DBT_DEVICEREMOVEPENDING));
    EXPECT_EQ(notices.notices[1].kind, 'U');
    EXPECT_EQ(notices.notices[2].event, static_cast<WPARAM>(DBT_DEVICEREMOVECOMPLETE));
    EXPECT_EQ(notices.notices[2].letter, L'r');
    EXPECT_EQ(UDeviceNotifier::UnitMask(L'r'), UDeviceNotifier::UnitMask(L'R'));
    EXPECT_EQ(UDeviceNotifier::UnitMask(L'R'), 1u << 17);
    EXPECT_EQ(UDeviceNotifier::UnitMask(L'1'), 0u);
}

TEST(DriverChannel, SaveAndRemoveCarriesTheImagePathAndPieceSize) {
    FakeDriver driver([](const UDriverPipeFrame::Request&) { return ShortReply(0, 0); });
    RecordingNotifier notices;
    CVelmoraAPI api;
    ASSERT_TRUE(api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs));
    DriverReply reply{};
    std::wstring image = CVelmoraAPI::ImagePathOf(L"D:\\backup.v2");
    EXPECT_EQ(image, L"D:\\backup.v2\\VelmoraEX.dat");
    EXPECT_EQ(CVelmoraAPI::ImagePathOf(L"D:\\"), L"D:\\VelmoraEX.dat");
    EXPECT_EQ(api.SaveAndRemove(kDiskId, L'S', 0, image, RAMDISK_IMAGE_PIECE_SIZE, reply), 1);
    auto requests = driver.Requests();
    ASSERT_EQ(requests.size(), 1u) << "a known letter needs no lookup";
    CDataParser parser(requests[0].input);
    std::wstring id, path;
    char16_t letter;
    uint8_t reserved;
    uint64_t piece;
    ASSERT_TRUE(parser.ReadString(id) && parser.ReadChar(letter) && parser.ReadByte(reserved) &&
                parser.ReadString(path) && parser.ReadUInt64(piece));
    EXPECT_EQ(path, image);
    EXPECT_EQ(piece, 0x7D000000u);
    ASSERT_EQ(notices.notices.size(), 2u);
    EXPECT_EQ(notices.notices[1].event, static_cast<WPARAM>(DBT_DEVICEREMOVEPENDING));
}

TEST(DriverChannel, SyncSelectsBeginOrEnd) {
    FakeDriver driver([](const UDriverPipeFrame::Request&) { return ShortReply(0, 0); });
    CVelmoraAPI api;
    ASSERT_TRUE(api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs));
    DriverReply reply{};
    EXPECT_EQ(api.Sync(kDiskId, true, reply), 1);
    EXPECT_EQ(api.Sync(kDiskId, false, reply), 1);
    auto requests = driver.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].controlCode, 0x226014u);
    EXPECT_EQ(requests[1].controlCode, 0x226018u);
}

TEST(DriverChannel, AbsentDriverFailsWithinTheTimeout) {
    UDriverPipeFrame::SetPipeName(L"VelmoraEXNoSuchDriver");
    CVelmoraAPI api;
    DWORD start = GetTickCount();
    EXPECT_FALSE(api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs));
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 1000u);
    EXPECT_LT(elapsed, 2500u);
    RamDiskStatus status{};
    EXPECT_EQ(api.Query(kDiskId, 0, status), 0) << "nothing is sent on a closed channel";
    UDriverPipeFrame::SetPipeName(nullptr);
}

TEST(DriverChannel, SecondOpenWaitsForTheFirstToClose) {
    FakeDriver driver([](const UDriverPipeFrame::Request&) { return ShortReply(0, 0); });
    auto first = std::make_unique<CVelmoraAPI>();
    ASSERT_TRUE(first->OpenDevice(CVelmoraAPI::kCommandTimeoutMs));
    CVelmoraAPI second;
    EXPECT_FALSE(second.OpenDevice(100)) << "the channel is exclusive";
    std::thread release([&] {
        Sleep(200);
        first.reset();
    });
    EXPECT_TRUE(second.OpenDevice(CVelmoraAPI::kCommandTimeoutMs)) << "retried until the first closed";
    release.join();
    DriverReply reply{};
    EXPECT_EQ(second.Sync(kDiskId, true, reply), 1);
}
