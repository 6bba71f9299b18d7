#include <windows.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "common/DataParser.h"
#include "framework/FakeClock.h"
#include "utility/disk/DeviceNotifier.h"
#include "utility/disk/DriverPipeFrame.h"
#include "utility/disk/FakeDriver.h"
#include "utility/disk/VelmoraAPI.h"

namespace {

using drivertest::FakeDriver;
using drivertest::ShortReply;

UDriverPipeFrame::Reply StatusReply(uint32_t status, uint32_t error, wchar_t letter) {
    UDriverPipeFrame::Reply reply = drivertest::StatusReply(status, error, letter);
    RamDiskStatus s;
    std::memcpy(&s, reply.output.data(), sizeof(s));
    s.unsavedFactor1 = 4096;
    s.unsavedFactor2 = 3;
    std::memcpy(reply.output.data(), &s, sizeof(s));
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
    FakeDriver driver([](const drivertest::SeenRequest&) { return StatusReply(0, 0, L'R'); });
    RecordingNotifier notices;
    CVelmoraAPI api;
    ASSERT_TRUE(api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs));
    RamDiskStatus reply{};
    EXPECT_EQ(api.Create(kDiskId, true, reply), 1);
    EXPECT_EQ(reply.driveLetter, L'R');
    EXPECT_EQ(reply.UnsavedBytes(), 3u * 4096u);

    auto requests = driver.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& r = requests[0].request;
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
    FakeDriver driver([](const drivertest::SeenRequest& seen) {
        return seen.request.controlCode == IOCTL_RAMDISK_CREATE ? StatusReply(0, 5, L'R') : ShortReply(0, 5);
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
    FakeDriver driver([](const drivertest::SeenRequest& seen) {
        return seen.request.controlCode == IOCTL_RAMDISK_QUERY ? StatusReply(1, 0x3000, 0) : ShortReply(0, 0);
    });
    RecordingNotifier notices;
    CVelmoraAPI api;
    ASSERT_TRUE(api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs));
    DriverReply reply{};
    EXPECT_EQ(api.Remove(kDiskId, 0, 0, true, reply), 1);
    EXPECT_TRUE(notices.notices.empty());
    auto requests = driver.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].request.controlCode, static_cast<uint32_t>(IOCTL_RAMDISK_QUERY));
    EXPECT_EQ(requests[1].request.controlCode, static_cast<uint32_t>(IOCTL_RAMDISK_REMOVE));
    CDataParser parser(requests[1].request.input);
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
    FakeDriver driver([](const drivertest::SeenRequest& seen) {
        return seen.request.controlCode == IOCTL_RAMDISK_QUERY ? StatusReply(0, 0, L'r') : ShortReply(0, 0);
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
    FakeDriver driver([](const drivertest::SeenRequest&) { return ShortReply(0, 0); });
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
    CDataParser parser(requests[0].request.input);
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
    FakeDriver driver([](const drivertest::SeenRequest&) { return ShortReply(0, 0); });
    CVelmoraAPI api;
    ASSERT_TRUE(api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs));
    DriverReply reply{};
    EXPECT_EQ(api.Sync(kDiskId, true, reply), 1);
    EXPECT_EQ(api.Sync(kDiskId, false, reply), 1);
    auto requests = driver.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].request.controlCode, 0x226014u);
    EXPECT_EQ(requests[1].request.controlCode, 0x226018u);
}

// The waits of an open that keeps failing: every retry interval, until the time-out has passed.
void ExpectRetriesUntil(const CFakeClock& clock, uint64_t elapsed, uint32_t timeoutMs) {
    EXPECT_GE(elapsed, timeoutMs);
    EXPECT_LT(elapsed, timeoutMs + CDriverCommand::kRetryIntervalMs);
    EXPECT_EQ(clock.TotalSlept(), elapsed);
    EXPECT_EQ(clock.Sleeps(),
              std::vector<uint32_t>(timeoutMs / CDriverCommand::kRetryIntervalMs, CDriverCommand::kRetryIntervalMs));
}

TEST(DriverChannel, AbsentDriverFailsWithinTheTimeout) {
    UDriverPipeFrame::SetPipeName(L"VelmoraEXNoSuchDriver");
    CVelmoraAPI api;
    CFakeClock clock;
    uint64_t start = UClock::Milliseconds();
    EXPECT_FALSE(api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs));
    uint64_t elapsed = UClock::Milliseconds() - start;
    EXPECT_GE(elapsed, 1000u);
    EXPECT_LT(elapsed, 2500u);
    ExpectRetriesUntil(clock, elapsed, CVelmoraAPI::kCommandTimeoutMs);
    RamDiskStatus status{};
    EXPECT_EQ(api.Query(kDiskId, 0, status), 0) << "nothing is sent on a closed channel";
    UDriverPipeFrame::SetPipeName(nullptr);
}

TEST(DriverChannel, StartupCheckGivesUpAfterTenSeconds) {
    UDriverPipeFrame::SetPipeName(L"VelmoraEXNoSuchDriver");
    CFakeClock clock;
    uint64_t start = UClock::Milliseconds();
    EXPECT_FALSE(CVelmoraAPI::IsDriverUp(CVelmoraAPI::kStartupTimeoutMs));
    uint64_t elapsed = UClock::Milliseconds() - start;
    EXPECT_GE(elapsed, 10000u);
    EXPECT_LT(elapsed, 12000u);
    ExpectRetriesUntil(clock, elapsed, 10000);
    UDriverPipeFrame::SetPipeName(nullptr);
}

TEST(DriverChannel, SecondOpenWaitsForTheFirstToClose) {
    FakeDriver driver([](const drivertest::SeenRequest&) { return ShortReply(0, 0); });
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
