// The stand-in as the utility meets it: the real program as a child process, driven through
// the utility's channel, with settings files, image pieces and registry values of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "framework/FindHandle.h"
#include "framework/Handle.h"
#include "framework/RegKey.h"
#include "framework/ScratchFolder.h"
#include "standin/StandinErrors.h"
#include "standin/StandinHarness.h"
#include "DriveTree.h"
#include "utility/core/LoadSettings.h"
#include "utility/core/Profile.h"
#include "utility/core/SettingsFile.h"
#include "utility/disk/BackupImage.h"
#include "utility/disk/ListFile.h"

namespace {

const uint64_t kMiB = 1 << 20;
const uint64_t kPiece = RAMDISK_IMAGE_PIECE_SIZE;

int CountRamFiles(const std::wstring& folder) {
    int count = 0;
    WIN32_FIND_DATAW data;
    CFindHandle find;
    if (!find.First((folder + L"\\*.ram").c_str(), data)) return 0;
    do ++count;
    while (find.Next(data));
    return count;
}

// Runs a shell script on the Linux side; its exit code (-1 when it could not run).
int Shell(const std::string& script) { return UStandinUnixSide::RunScript(script, 60000); }

// Settings files registered under the LoadSettings key while the object lives.
class CStartupDisks {
public:
    CStartupDisks() { m_key.Create(HKEY_LOCAL_MACHINE, ULoadSettings::kLoadSettingsKey, KEY_ALL_ACCESS); }
    ~CStartupDisks() {
        for (const auto& name : m_names) RegDeleteValueW(m_key.Get(), name.c_str());
    }
    bool Add(const std::wstring& path) {
        const std::wstring name =
            L"StandinTest" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(m_names.size());
        if (!m_key || RegSetValueExW(m_key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                                     static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
            return false;
        m_names.push_back(name);
        return true;
    }

private:
    CRegKey m_key;
    std::vector<std::wstring> m_names;
};

// Polls until done() holds or the time is up; true when it held.
bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        Sleep(50);
    }
    return done();
}

class StandinTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int instance = 0;
        std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++instance);
        pipeName = L"VelmoraEXStandinTest-" + tag;
        UDriverPipeFrame::SetPipeName(pipeName.c_str());
        ramDir = StandinRamDir(L"vmx-standin-test-" + tag, scratch / L"ram");
    }
    void TearDown() override {
        child.End();
        // What a failed test left mounted (a killed stand-in's drives) goes too.
        if (drives)
            Shell("for m in " + UStandinMountScripts::Quote(UStandinUnixSide::UnixName(ramDir)) +
                  "/*.mnt; do umount -l \"$m\" 2>/dev/null; done; exit 0");
        UDriverPipeFrame::SetPipeName(nullptr);
        ScratchFolder::RemoveTree(ramDir);
    }

    // Starts the stand-in and waits until its pipe answers.
    bool StartStandin(const std::wstring& extra = L"", bool startupDisks = false) {
        std::wstring args = L"--pipe-name " + pipeName + L" --ram-dir \"" + ramDir + L"\"";
        if (!startupDisks) args += L" --no-startup-disks";
        if (!drives) args += L" --no-drives";
        if (!extra.empty()) args += L" " + extra;
        return child.Start(args, Output()) && CVelmoraAPI::IsDriverUp(10000);
    }

    // Where the stand-in's output goes (every start appends to it), and what it holds.
    std::wstring Output() { return scratch / L"standin-output.txt"; }
    std::string OutputText() {
        const std::vector<char> text = ScratchFolder::Read(Output());
        return std::string(text.begin(), text.end());
    }
    bool CanMountDrives() { return CDriveTree::CanMount(); }
    // The lines of /proc/mounts for the RAM folder's mounts.
    std::string MountLines() {
        const std::wstring lines = scratch / L"mounts.txt";
        Shell("grep -F -- " + UStandinMountScripts::Quote(UStandinUnixSide::UnixName(ramDir)) + " /proc/mounts >" +
              UStandinMountScripts::Quote(UStandinUnixSide::UnixName(lines)) + "; exit 0");
        const std::vector<char> text = ScratchFolder::Read(lines);
        return std::string(text.begin(), text.end());
    }
    // For failure messages: what the stand-in said and what is mounted.
    std::string Diagnostics() { return "\n--- output:\n" + OutputText() + "--- mounts:\n" + MountLines(); }

    // Every channel operation fails within about a second, as with no driver at all.
    void ExpectChannelGone(const std::wstring& id) {
        RamDiskStatus status;
        DriverReply reply;
        for (int op = 0; op < 4; ++op) {
            auto start = std::chrono::steady_clock::now();
            int result = op == 0   ? Create(id, false, status)
                         : op == 1 ? Query(id, status)
                         : op == 2 ? Remove(id, true, reply)
                                   : Sync(id, true);
            auto ms =
                std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
            EXPECT_EQ(result, -1) << "op " << op << ": the channel does not open";
            EXPECT_GE(ms, 900) << "op " << op;
            EXPECT_LT(ms, 2000) << "op " << op;
        }
    }

    // A settings file in the scratch folder; the backup folder is "<name>-backup" next to it.
    std::wstring Settings(const std::wstring& name, uint64_t size, int saveType, int formatType = 0x20000,
                          unsigned char letter = kDriveLetterAutomatic) {
        CVelmoraEXSettingData data;
        data.DriveSize = size;
        data.DriveLetter = letter;
        data.SaveType = saveType;
        data.LoadType = 1;
        data.FormatType = formatType;
        data.MemType = 1;
        data.BackupBaseDir = BackupFolder(name);
        std::wstring path = scratch / (name + L".ini");
        USettingsFile::WriteRamDisk(path, data);
        return path;
    }
    std::wstring BackupFolder(const std::wstring& name) { return scratch / (name + L"-backup"); }
    std::wstring Piece(const std::wstring& name, int index) {
        return CListFile::MakePieceName(UBackupImage::ImageBasePath(BackupFolder(name)), index);
    }
    void MakeImage(const std::wstring& name, uint64_t size) {
        UBackupImage::CreateImage(BackupFolder(name), size);
        UBackupImage::FormatImage(BackupFolder(name), size, 0x20000);
    }

    int Create(const std::wstring& id, bool imageMode, RamDiskStatus& status) {
        CVelmoraAPI api;
        status = RamDiskStatus{};
        return api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs) ? api.Create(id, imageMode, status) : -1;
    }
    int Query(const std::wstring& id, RamDiskStatus& status) {
        CVelmoraAPI api;
        status = RamDiskStatus{};
        return api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs) ? api.Query(id, 0, status) : -1;
    }
    uint64_t Unsaved(const std::wstring& id) {
        RamDiskStatus status;
        return Query(id, status) == 1 ? status.UnsavedBytes() : ~0ull;
    }
    int Remove(const std::wstring& id, bool save, DriverReply& reply) {
        CVelmoraAPI api;
        reply = DriverReply{};
        return api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs) ? api.Remove(id, 0, 0, save, reply) : -1;
    }
    int Sync(const std::wstring& id, bool begin) {
        CVelmoraAPI api;
        DriverReply reply{};
        return api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs) ? api.Sync(id, begin, reply) : -1;
    }
    long Write(const std::wstring& id, uint64_t offset, const std::vector<uint8_t>& bytes) {
        return CStandinClient().WriteBytes(id, offset, bytes);
    }
    std::vector<uint8_t> Read(const std::wstring& id, uint64_t offset, uint32_t length) {
        return CStandinClient().ReadBytes(id, offset, length);
    }

    bool drives = false;    // disks opened as Windows drives
    ScratchFolder scratch;  // destroyed last: the child may hold files in it until it ends
    std::wstring pipeName;
    std::wstring ramDir;
    CRecordingNotifier notices;
    CStandinChild child;
};

}  // namespace

TEST_F(StandinTest, BackupDiskKeepsItsBytesAcrossRemoveWithSaveAndCreate) {
    const uint64_t size = 16 * kMiB;
    std::wstring id = Settings(L"disk", size, 1);
    MakeImage(L"disk", size);
    ASSERT_TRUE(StartStandin());

    RamDiskStatus status;
    ASSERT_EQ(Create(id, false, status), 1);
    EXPECT_GE(status.driveLetter, L'C');
    EXPECT_LE(status.driveLetter, L'Z');
    EXPECT_EQ(status.imageMode, 0);
    EXPECT_EQ(status.UnsavedBytes(), 0u) << "a freshly loaded disk equals its image";
    EXPECT_EQ(status.sizeFigure1, size);
    EXPECT_LT(status.sizeFigure2, size) << "only the image's data is held in RAM";
    ASSERT_EQ(notices.events.size(), 1u);
    EXPECT_EQ(notices.events[0].second, static_cast<wchar_t>(status.driveLetter));
    EXPECT_EQ(CountRamFiles(ramDir), 1);

    // The volume the utility formatted was loaded.
    EXPECT_EQ(Read(id, 0, 512), FileBytes(Piece(L"disk", 0), 0, 512));

    auto first = Pattern(8192, 1), second = Pattern(100, 2);
    ASSERT_EQ(Write(id, 1 * kMiB, first), 0);
    ASSERT_EQ(Write(id, size - 100, second), 0);
    EXPECT_EQ(Unsaved(id), 2u * 0x10000u) << "8 KiB in one 64 KiB block, 100 bytes in the last";
    Sleep(1200);
    EXPECT_EQ(Unsaved(id), 2u * 0x10000u) << "save type 1 writes only when asked";
    EXPECT_NE(FileBytes(Piece(L"disk", 0), 1 * kMiB, first.size()), first);

    DriverReply reply;
    ASSERT_EQ(Remove(id, true, reply), 1) << std::hex << reply.error;
    EXPECT_EQ(FileBytes(Piece(L"disk", 0), 1 * kMiB, first.size()), first);
    EXPECT_EQ(FileBytes(Piece(L"disk", 0), size - 100, 100), second);
    EXPECT_EQ(Query(id, status), 0);
    EXPECT_EQ(status.error, kStandinErrorUnknownDisk);
    EXPECT_EQ(CountRamFiles(ramDir), 0) << "the RAM file goes with the disk";

    ASSERT_EQ(Create(id, false, status), 1) << std::hex << status.error;
    EXPECT_EQ(Read(id, 1 * kMiB, 4096), std::vector<uint8_t>(first.begin(), first.begin() + 4096));
    EXPECT_EQ(Read(id, 1 * kMiB + 4096, 4096), std::vector<uint8_t>(first.begin() + 4096, first.end()));
    EXPECT_EQ(Read(id, size - 100, 100), second);

    // Dropping the contents leaves the image as it was.
    ASSERT_EQ(Write(id, 0, Pattern(512, 3)), 0);
    ASSERT_EQ(Remove(id, false, reply), 1);
    EXPECT_NE(FileBytes(Piece(L"disk", 0), 0, 512), Pattern(512, 3));
}

TEST_F(StandinTest, MultiPieceImageSavesAndLoadsAcrossThePieceBorder) {
    const uint64_t size = kPiece + kMiB;
    std::wstring id = Settings(L"big", size, 1);
    MakeImage(L"big", size);
    ASSERT_EQ(ScratchFolder::Size(Piece(L"big", 1)), static_cast<int64_t>(kMiB));
    ASSERT_TRUE(StartStandin());

    RamDiskStatus status;
    ASSERT_EQ(Create(id, false, status), 1);
    EXPECT_LT(status.sizeFigure2, 64 * kMiB) << "the sparse image stays sparse in RAM";
    auto bytes = Pattern(8192, 4);
    ASSERT_EQ(Write(id, kPiece - 4096, bytes), 0);
    EXPECT_EQ(Read(id, kPiece - 2048, 4096), std::vector<uint8_t>(bytes.begin() + 2048, bytes.begin() + 6144));

    DriverReply reply;
    ASSERT_EQ(Remove(id, true, reply), 1) << std::hex << reply.error;
    EXPECT_EQ(FileBytes(Piece(L"big", 0), kPiece - 4096, 4096),
              std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4096));
    EXPECT_EQ(FileBytes(Piece(L"big", 1), 0, 4096), std::vector<uint8_t>(bytes.begin() + 4096, bytes.end()));
    EXPECT_EQ(ScratchFolder::Size(Piece(L"big", 0)), static_cast<int64_t>(kPiece));
    EXPECT_EQ(ScratchFolder::Size(Piece(L"big", 1)), static_cast<int64_t>(kMiB));

    ASSERT_EQ(Create(id, false, status), 1);
    EXPECT_EQ(Read(id, kPiece - 4096, 4096), std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4096));
    EXPECT_EQ(Read(id, kPiece, 4096), std::vector<uint8_t>(bytes.begin() + 4096, bytes.end()));
}

TEST_F(StandinTest, WriteBackEmptiesItselfAndWriteThroughNeverHoldsData) {
    std::wstring back = Settings(L"back", 8 * kMiB, 2);
    CProfile(back).WriteString(L"Setting", L"SleepNoBlock", L"400");
    std::wstring through = Settings(L"through", 8 * kMiB, 3);
    MakeImage(L"back", 8 * kMiB);
    MakeImage(L"through", 8 * kMiB);
    ASSERT_TRUE(StartStandin());
    RamDiskStatus status;
    ASSERT_EQ(Create(back, false, status), 1);
    ASSERT_EQ(Create(through, false, status), 1);

    auto bytes = Pattern(0x8000, 5);
    for (uint64_t block = 0; block < 3; ++block) ASSERT_EQ(Write(back, 2 * kMiB + block * 0x10000, bytes), 0);
    EXPECT_EQ(Unsaved(back), 3u * 0x10000u) << "write back waits before writing";
    EXPECT_TRUE(WaitFor([&] { return Unsaved(back) == 0; }, 8000)) << "the figure falls without a remove";
    EXPECT_EQ(FileBytes(Piece(L"back", 0), 2 * kMiB + 2 * 0x10000, bytes.size()), bytes);

    ASSERT_EQ(Write(through, 3 * kMiB, bytes), 0);
    EXPECT_EQ(Unsaved(through), 0u);
    EXPECT_EQ(FileBytes(Piece(L"through", 0), 3 * kMiB, bytes.size()), bytes) << "in the image at once";
}

TEST_F(StandinTest, SyncBeginWritesEverythingNowAndSyncEndStopsIt) {
    std::wstring id = Settings(L"sync", 8 * kMiB, 1);
    MakeImage(L"sync", 8 * kMiB);
    ASSERT_TRUE(StartStandin());
    RamDiskStatus status;
    ASSERT_EQ(Create(id, false, status), 1);
    for (int i = 0; i < 40; ++i) ASSERT_EQ(Write(id, i * 0x20000ull, Pattern(4096, 10 + i)), 0);
    EXPECT_EQ(Unsaved(id), 40u * 0x10000u);

    ASSERT_EQ(Sync(id, true), 1);
    EXPECT_TRUE(WaitFor([&] { return Unsaved(id) == 0; }, 5000));
    EXPECT_EQ(FileBytes(Piece(L"sync", 0), 39 * 0x20000ull, 4096), Pattern(4096, 49));
    ASSERT_EQ(Write(id, 0, Pattern(512, 60)), 0);
    EXPECT_TRUE(WaitFor([&] { return Unsaved(id) == 0; }, 5000)) << "while syncing, new data follows at once";
    ASSERT_EQ(Sync(id, false), 1);
    ASSERT_EQ(Write(id, 0, Pattern(512, 61)), 0);
    Sleep(1200);
    EXPECT_EQ(Unsaved(id), 0x10000u) << "after sync end, save type 1 holds its data again";
    EXPECT_EQ(Sync(L"C:\\no\\such.ini", true), 0);
}

TEST_F(StandinTest, ShortOfMemoryThenImageMode) {
    std::wstring id = Settings(L"budget", 16 * kMiB, 1);
    std::wstring noBackup = Settings(L"plain", 16 * kMiB, 0);
    MakeImage(L"budget", 16 * kMiB);
    ASSERT_TRUE(StartStandin(L"--memory-budget 8M"));

    RamDiskStatus status;
    EXPECT_EQ(Create(id, false, status), 0);
    EXPECT_EQ(status.error, kStandinErrorNoMemory);
    EXPECT_EQ(Create(noBackup, true, status), 0) << "without an image there is nothing to run from";
    EXPECT_EQ(status.error, kStandinErrorNoMemory);

    ASSERT_EQ(Create(id, true, status), 1);
    EXPECT_EQ(status.imageMode, 1);
    EXPECT_EQ(status.sizeFigure2, 0u) << "nothing held in RAM";
    EXPECT_EQ(CountRamFiles(ramDir), 0);
    auto bytes = Pattern(4096, 7);
    ASSERT_EQ(Write(id, 5 * kMiB, bytes), 0);
    EXPECT_EQ(Unsaved(id), 0u);
    EXPECT_EQ(FileBytes(Piece(L"budget", 0), 5 * kMiB, 4096), bytes) << "image mode writes to the pieces";
    EXPECT_EQ(Read(id, 5 * kMiB, 4096), bytes);
    DriverReply reply;
    EXPECT_EQ(Remove(id, true, reply), 1);

    std::wstring small = Settings(L"small", 4 * kMiB, 0);
    ASSERT_EQ(Create(small, false, status), 1) << "a disk within the budget is made in RAM";
    EXPECT_EQ(status.imageMode, 0);
}

TEST_F(StandinTest, MissingOrWrongSizedImagesAnswer0x2000) {
    std::wstring id = Settings(L"img", 8 * kMiB, 1);
    ASSERT_TRUE(StartStandin());
    RamDiskStatus status;
    EXPECT_EQ(Create(id, false, status), 0);
    EXPECT_EQ(status.error, kStandinErrorImage) << "no image at all";

    MakeImage(L"img", 8 * kMiB);
    ASSERT_TRUE(ScratchFolder::Resize(Piece(L"img", 0), 8 * kMiB - 512));
    EXPECT_EQ(Create(id, false, status), 0);
    EXPECT_EQ(status.error, kStandinErrorImage) << "a piece one sector short";
    EXPECT_EQ(Create(id, true, status), 0);
    EXPECT_EQ(status.error, kStandinErrorImage);
    EXPECT_EQ(CountRamFiles(ramDir), 0);

    // Deleted while the disk is mounted: saving fails, and the disk and its data stay.
    ASSERT_TRUE(ScratchFolder::Resize(Piece(L"img", 0), 8 * kMiB));
    ASSERT_EQ(Create(id, false, status), 1);
    auto bytes = Pattern(4096, 8);
    ASSERT_EQ(Write(id, 0, bytes), 0);
    ASSERT_TRUE(ScratchFolder::Remove(Piece(L"img", 0)));
    DriverReply reply;
    EXPECT_EQ(Remove(id, true, reply), 0);
    EXPECT_EQ(reply.error, kStandinErrorImage);
    EXPECT_EQ(Read(id, 0, 4096), bytes);
    EXPECT_EQ(Unsaved(id), 0x10000u);
    EXPECT_EQ(Remove(id, false, reply), 1) << "dropping the contents is still possible";
}

TEST_F(StandinTest, DiskInUseCannotBeRemoved) {
    std::wstring id = Settings(L"use", 8 * kMiB, 0);
    ASSERT_TRUE(StartStandin());
    RamDiskStatus status;
    ASSERT_EQ(Create(id, false, status), 1);
    ASSERT_EQ(CStandinClient().SetInUse(id, true), 0);
    DriverReply reply;
    EXPECT_EQ(Remove(id, false, reply), 0);
    EXPECT_EQ(reply.error, kStandinErrorInUse);
    CVelmoraAPI api;
    ASSERT_TRUE(api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs));
    EXPECT_EQ(api.SaveAndRemove(id, 0, 0, CVelmoraAPI::ImagePathOf(scratch / L"new"), kPiece, reply), 0);
    EXPECT_EQ(reply.error, kStandinErrorInUse);
    api.Close();
    EXPECT_EQ(Query(id, status), 1);
    ASSERT_EQ(CStandinClient().SetInUse(id, false), 0);
    EXPECT_EQ(Remove(id, false, reply), 1);
    EXPECT_EQ(CStandinClient().SetInUse(id, true), static_cast<long>(kStandinErrorUnknownDisk));
}

TEST_F(StandinTest, SaveAndRemoveWritesANewImageInNamedPieces) {
    const uint64_t size = 10 * kMiB;
    std::wstring id = Settings(L"fresh", size, 0);
    ASSERT_TRUE(StartStandin());
    RamDiskStatus status;
    ASSERT_EQ(Create(id, false, status), 1);
    // No backup: the stand-in wrote an empty volume itself.
    std::vector<uint8_t> boot = Read(id, 0, 512);
    ASSERT_EQ(boot.size(), 512u);
    EXPECT_EQ(boot[510], 0x55);
    EXPECT_EQ(boot[511], 0xAA);
    EXPECT_EQ(std::string(boot.begin() + 54, boot.begin() + 57), "FAT");
    auto bytes = Pattern(8192, 9);
    ASSERT_EQ(Write(id, 4 * kMiB - 4096, bytes), 0);

    // 4 MiB pieces: the rule names them VelmoraEX0.dat, VelmoraEX1.dat, VelmoraEX2.dat.
    std::wstring folder = scratch / L"new.v2";
    std::wstring image = CVelmoraAPI::ImagePathOf(folder);
    CVelmoraAPI api;
    ASSERT_TRUE(api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs));
    DriverReply reply;
    ASSERT_EQ(api.SaveAndRemove(id, 0, 0, image, 4 * kMiB, reply), 1) << std::hex << reply.error;
    api.Close();
    EXPECT_EQ(ScratchFolder::Size(folder + L"\\VelmoraEX0.dat"), static_cast<int64_t>(4 * kMiB));
    EXPECT_EQ(ScratchFolder::Size(folder + L"\\VelmoraEX1.dat"), static_cast<int64_t>(4 * kMiB));
    EXPECT_EQ(ScratchFolder::Size(folder + L"\\VelmoraEX2.dat"), static_cast<int64_t>(2 * kMiB));
    EXPECT_FALSE(ScratchFolder::Exists(folder + L"\\VelmoraEX3.dat"));
    EXPECT_EQ(FileBytes(folder + L"\\VelmoraEX0.dat", 0, 512), boot);
    EXPECT_EQ(FileBytes(folder + L"\\VelmoraEX0.dat", 4 * kMiB - 4096, 4096),
              std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4096));
    EXPECT_EQ(FileBytes(folder + L"\\VelmoraEX1.dat", 0, 4096),
              std::vector<uint8_t>(bytes.begin() + 4096, bytes.end()));
    EXPECT_EQ(Query(id, status), 0) << "the disk is removed";

    // The utility's piece size gives one piece, which a disk with a backup then loads.
    ASSERT_EQ(Create(id, false, status), 1);
    ASSERT_EQ(Write(id, 7 * kMiB, bytes), 0);
    ASSERT_TRUE(api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs));
    ASSERT_EQ(api.SaveAndRemove(id, 0, 0, CVelmoraAPI::ImagePathOf(BackupFolder(L"fresh")), kPiece, reply), 1);
    api.Close();
    EXPECT_EQ(ScratchFolder::Size(Piece(L"fresh", 0)), static_cast<int64_t>(size));
    std::wstring withBackup = Settings(L"fresh", size, 1);
    ASSERT_EQ(Create(withBackup, false, status), 1);
    EXPECT_EQ(Read(withBackup, 7 * kMiB, 4096), std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4096));

    // A piece size that is not whole sectors is refused and the disk stays.
    ASSERT_TRUE(api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs));
    EXPECT_EQ(api.SaveAndRemove(withBackup, 0, 0, CVelmoraAPI::ImagePathOf(scratch / L"odd"), 1000, reply), 0);
    EXPECT_EQ(reply.error, kStandinErrorRange);
    api.Close();
    EXPECT_EQ(Query(withBackup, status), 1);
}

TEST_F(StandinTest, LettersAndIdentitiesFollowTheDisks) {
    std::wstring a = Settings(L"a", 4 * kMiB, 0, 0x20000, 'r');
    std::wstring b = Settings(L"b", 4 * kMiB, 0, 0x20000, 'R');
    std::wstring c = Settings(L"c", 4 * kMiB, 0, 4);
    std::wstring used = Settings(L"used", 4 * kMiB, 0, 0x20000, 'C');
    ASSERT_TRUE(StartStandin());
    RamDiskStatus status;
    ASSERT_EQ(Create(a, false, status), 1);
    EXPECT_EQ(status.driveLetter, L'R');
    EXPECT_EQ(Create(b, false, status), 0);
    EXPECT_EQ(status.error, kStandinErrorLetter) << "R: belongs to the first disk";
    EXPECT_EQ(Create(used, false, status), 0);
    EXPECT_EQ(status.error, kStandinErrorLetter) << "C: is a drive already";
    ASSERT_EQ(Create(c, false, status), 1);
    EXPECT_NE(status.driveLetter, L'R');
    EXPECT_NE(status.driveLetter, L'C');
    std::vector<uint8_t> boot = Read(c, 0, 512);
    ASSERT_EQ(boot.size(), 512u);
    EXPECT_EQ(std::string(boot.begin() + 3, boot.begin() + 11), "NTFS    ") << "FormatType 4 gives NTFS";

    EXPECT_EQ(Create(a, false, status), 0);
    EXPECT_EQ(status.error, kStandinErrorDiskExists);
    std::wstring upper = a;
    for (auto& ch : upper) ch = static_cast<wchar_t>(towupper(ch));
    EXPECT_EQ(Query(upper, status), 1) << "paths compare without regard to case";
    EXPECT_EQ(status.driveLetter, L'R');

    std::wstring japanese = Settings(L"\u30c7\u30a3\u30b9\u30af", 4 * kMiB, 0);
    ASSERT_EQ(Create(japanese, false, status), 1);
    ASSERT_EQ(Write(japanese, 512, Pattern(16, 3)), 0);
    EXPECT_EQ(Read(japanese, 512, 16), Pattern(16, 3));
    EXPECT_EQ(Read(a, 512, 16).size(), 16u);
    EXPECT_NE(Read(a, 512, 16), Pattern(16, 3)) << "each disk has bytes of its own";
}

TEST_F(StandinTest, BadSettingsFilesAreRefusedClearly) {
    ASSERT_TRUE(StartStandin());
    RamDiskStatus status;
    EXPECT_EQ(Create(scratch / L"missing.ini", false, status), 0);
    EXPECT_EQ(status.error, kStandinErrorSettingsFile);
    EXPECT_EQ(Create(scratch.Path(), false, status), 0);
    EXPECT_EQ(status.error, kStandinErrorSettingsFile) << "a folder";
    ASSERT_TRUE(ScratchFolder::Write(scratch / L"garbled.ini", [] {
        auto bytes = Pattern(3000, 11);
        return std::vector<char>(bytes.begin(), bytes.end());
    }()));
    EXPECT_EQ(Create(scratch / L"garbled.ini", false, status), 0);
    EXPECT_EQ(status.error, kStandinErrorSettingsFile);
    EXPECT_EQ(Create(L"\\\\.\\pipe\\" + pipeName, false, status), 0) << "its own pipe, which is busy";
    EXPECT_EQ(status.error, kStandinErrorSettingsFile);

    std::wstring noSize = Settings(L"nosize", 4 * kMiB, 0);
    CProfile(noSize).WriteString(L"RamDisk", L"DriveSize", L"abc");
    EXPECT_EQ(Create(noSize, false, status), 0);
    EXPECT_EQ(status.error, kStandinErrorSettingsValue);
    std::wstring oddSize = Settings(L"oddsize", 4 * kMiB + 100, 0);
    EXPECT_EQ(Create(oddSize, false, status), 0);
    EXPECT_EQ(status.error, kStandinErrorSettingsValue);
    std::wstring noLetter = Settings(L"noletter", 4 * kMiB, 0, 0x20000, 0);
    EXPECT_EQ(Create(noLetter, false, status), 0);
    EXPECT_EQ(status.error, kStandinErrorSettingsValue);
    EXPECT_EQ(CountRamFiles(ramDir), 0);
}

TEST_F(StandinTest, TestInterfaceRefusesWhatLiesOutsideTheDisk) {
    std::wstring id = Settings(L"edge", 4 * kMiB, 0);
    ASSERT_TRUE(StartStandin());
    RamDiskStatus status;
    ASSERT_EQ(Create(id, false, status), 1);
    EXPECT_EQ(Write(id, 4 * kMiB - 10, Pattern(11, 1)), static_cast<long>(kStandinErrorRange));
    EXPECT_EQ(Write(id, ~0ull - 5, Pattern(11, 1)), static_cast<long>(kStandinErrorRange));
    EXPECT_EQ(Write(id, 4 * kMiB - 11, Pattern(11, 1)), 0);
    EXPECT_EQ(Write(scratch / L"other.ini", 0, Pattern(11, 1)), static_cast<long>(kStandinErrorUnknownDisk));
    EXPECT_TRUE(Read(id, 4 * kMiB - 10, 11).empty());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(Read(scratch / L"other.ini", 0, 11).empty());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Read(id, 4 * kMiB - 11, 11), Pattern(11, 1));
}

TEST_F(StandinTest, MalformedFramesGetErrorRepliesAndServingGoesOn) {
    ASSERT_TRUE(StartStandin());
    CHandle pipe;
    ASSERT_TRUE(WaitFor(
        [&] {
            pipe.Reset(CreateFileW((L"\\\\.\\pipe\\" + pipeName).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
            return pipe.IsValid();
        },
        1000));
    DWORD mode = PIPE_READMODE_MESSAGE;
    ASSERT_TRUE(SetNamedPipeHandleState(pipe.Get(), &mode, nullptr, nullptr));

    // Each frame is answered with a failed call, never with silence.
    auto exchange = [&](const std::vector<uint8_t>& frame) {
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(pipe.Get(), frame.data(), static_cast<DWORD>(frame.size()), &written, nullptr));
        std::vector<uint8_t> answer(8192);
        DWORD read = 0;
        EXPECT_TRUE(ReadFile(pipe.Get(), answer.data(), static_cast<DWORD>(answer.size()), &read, nullptr));
        answer.resize(read);
        UDriverPipeFrame::Reply reply;
        std::string reason;
        EXPECT_TRUE(UDriverPipeFrame::DecodeReply(answer, 4096, reply, reason)) << reason;
        return reply;
    };
    auto request = [](uint32_t code, std::vector<uint8_t> input, uint32_t replySize = 63, uint8_t width = 8) {
        UDriverPipeFrame::Request r;
        r.controlCode = code;
        r.replySize = replySize;
        r.lengthWidth = width;
        r.input = std::move(input);
        return UDriverPipeFrame::EncodeRequest(r);
    };
    CDataConverter query;
    query.AppendString(std::wstring(L"C:\\x.ini"));
    query.AppendChar(0);
    std::vector<uint8_t> good = query.Bytes();
    std::vector<uint8_t> odd = good;
    odd[0] = 15;
    std::vector<uint8_t> cut = request(IOCTL_RAMDISK_QUERY, good);
    cut.resize(10);

    std::vector<std::vector<uint8_t>> frames = {
        {1, 2, 3},
        cut,
        request(0x226FFC, good),
        request(IOCTL_RAMDISK_QUERY, odd),
        request(IOCTL_RAMDISK_QUERY, std::vector<uint8_t>(good.begin(), good.end() - 1)),
        request(IOCTL_RAMDISK_QUERY, good, 62),
        request(IOCTL_RAMDISK_QUERY, good, 63, 5),
        std::vector<uint8_t>(200000, 0x56),  // larger than any frame
    };
    for (size_t i = 0; i < frames.size(); ++i) {
        UDriverPipeFrame::Reply reply = exchange(frames[i]);
        EXPECT_FALSE(reply.succeeded) << "frame " << i;
        EXPECT_NE(reply.error, 0u) << "frame " << i;
        EXPECT_TRUE(reply.output.empty()) << "frame " << i;
    }
    // A well-formed query of an unknown disk is an answer with the error word, not a failed call.
    UDriverPipeFrame::Reply known = exchange(request(IOCTL_RAMDISK_QUERY, good));
    EXPECT_TRUE(known.succeeded);
    ASSERT_EQ(known.output.size(), 63u);
    pipe.Reset();

    std::wstring id = Settings(L"after", 4 * kMiB, 0);
    RamDiskStatus status;
    EXPECT_EQ(Create(id, false, status), 1) << "still serving";
}

TEST_F(StandinTest, StoppedStandinLetsEveryOperationFailWithinASecond) {
    std::wstring id = Settings(L"stop", 4 * kMiB, 0);
    ASSERT_TRUE(StartStandin());
    RamDiskStatus status;
    ASSERT_EQ(Create(id, false, status), 1);
    EXPECT_EQ(CountRamFiles(ramDir), 1);
    {
        CStandinClient client;
        ASSERT_TRUE(client.Stop());
    }
    EXPECT_EQ(child.WaitForExit(5000), 0u);
    EXPECT_EQ(CountRamFiles(ramDir), 0);
    ExpectChannelGone(id);
}

TEST_F(StandinTest, StopEventAndCommandLineOfTheProgram) {
    ASSERT_TRUE(StartStandin());
    {
        CStandinChild second;
        ASSERT_TRUE(second.Start(L"--pipe-name " + pipeName + L" --ram-dir \"" + ramDir + L"\" --no-startup-disks"));
        EXPECT_EQ(second.WaitForExit(10000), 1u) << "the pipe is taken";
    }
    {
        CStandinChild stopper;
        ASSERT_TRUE(stopper.Start(L"--stop --pipe-name " + pipeName));
        EXPECT_EQ(stopper.WaitForExit(10000), 0u);
    }
    EXPECT_EQ(child.WaitForExit(5000), 0u) << "the stop event ends the stand-in";
    for (const wchar_t* args : {L"--memory-budget lots", L"--pipe-name", L"extra"}) {
        CStandinChild bad;
        ASSERT_TRUE(bad.Start(args));
        EXPECT_EQ(bad.WaitForExit(10000), 2u) << args;
    }
}

TEST_F(StandinTest, DisksRegisteredAtStartupAreCreatedWhenTheStandinStarts) {
    std::wstring id = Settings(L"startup", 4 * kMiB, 0);
    std::wstring missing = scratch / L"gone.ini";
    bool started;
    {
        CStartupDisks registered;
        ASSERT_TRUE(registered.Add(id));
        ASSERT_TRUE(registered.Add(missing));
        started = StartStandin(L"", true);
    }
    ASSERT_TRUE(started) << "a registered file that is missing does not stop the start";

    RamDiskStatus status;
    ASSERT_EQ(Query(id, status), 1);
    EXPECT_NE(status.driveLetter, 0);
    EXPECT_EQ(status.sizeFigure1, 4 * kMiB);
    EXPECT_EQ(Query(missing, status), 0);
}

// Disks as drives: files written through the letter are in the image after a remove with save
// (read by the file systems' own tools), and are back, byte for byte, after the next create.
TEST_F(StandinTest, FilesWrittenThroughTheLetterSurviveRemoveAndCreate) {
    drives = true;
    ASSERT_TRUE(StartStandin());
    if (!CanMountDrives()) GTEST_SKIP() << "FUSE, ntfs-3g or fusefat missing here";

    for (const bool ntfs : {true, false}) {
        const std::wstring name = ntfs ? L"ntfs" : L"fat";
        SCOPED_TRACE(CDriveTree::Utf8(name));
        const CDriveTree tree = CDriveTree::For(ntfs);
        const uint64_t size = 32 * kMiB;
        const int formatType = ntfs ? 4 : 2;
        const std::wstring id = Settings(name, size, 1, formatType);
        UBackupImage::CreateImage(BackupFolder(name), size);
        UBackupImage::FormatImage(BackupFolder(name), size, formatType);

        RamDiskStatus status;
        ASSERT_EQ(Create(id, false, status), 1);
        const std::wstring root = std::wstring(1, static_cast<wchar_t>(status.driveLetter)) + L":";
        EXPECT_EQ(GetDriveTypeW((root + L"\\").c_str()), static_cast<UINT>(DRIVE_RAMDISK));
        ASSERT_TRUE(tree.Write(root));
        EXPECT_TRUE(WaitFor([&] { return Unsaved(id) > tree.TotalBytes(); }, 5000))
            << "writes through the letter are unsaved data: " << Unsaved(id);

        DriverReply reply;
        ASSERT_EQ(Remove(id, true, reply), 1) << std::hex << reply.error;
        EXPECT_EQ(GetDriveTypeW((root + L"\\").c_str()), static_cast<UINT>(DRIVE_NO_ROOT_DIR)) << "the letter went";
        EXPECT_EQ(tree.ImageMismatches(Piece(name, 0), scratch.Path()), "");

        ASSERT_EQ(Create(id, false, status), 1);
        EXPECT_EQ(tree.Mismatches(root), "");

        // A file open on the drive keeps the disk; the save into a new image closes the drive first.
        {
            CHandle open(
                CreateFileW((root + L"\\held.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
            ASSERT_TRUE(open.IsValid());
            EXPECT_EQ(Remove(id, true, reply), 0);
            EXPECT_EQ(reply.error, kStandinErrorInUse);
            EXPECT_EQ(GetDriveTypeW((root + L"\\").c_str()), static_cast<UINT>(DRIVE_RAMDISK)) << "the drive stays";
        }
        const std::wstring moved = scratch / (name + L"-moved");
        CVelmoraAPI api;
        ASSERT_TRUE(api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs));
        ASSERT_EQ(api.SaveAndRemove(id, 0, 0, CVelmoraAPI::ImagePathOf(moved), kPiece, reply), 1)
            << std::hex << reply.error;
        EXPECT_EQ(tree.ImageMismatches(CListFile::MakePieceName(CVelmoraAPI::ImagePathOf(moved), 0), scratch.Path()),
                  "");
    }
}

// Writes through the drive follow the save type: with write back the unsaved figure grows with
// what is written and falls to 0 once it has waited SleepNoBlock and one save has run; with write
// through it falls to 0 well before SleepNoBlock.
TEST_F(StandinTest, WritesThroughTheLetterAreSavedAsTheSaveTypeSays) {
    struct Case {
        const wchar_t* name;
        int saveType;
        const wchar_t* sleepNoBlock;  // [Setting] SleepNoBlock, ms
        int withinMs;                 // the figure is 0 again this long after the write
    };
    // Write back waits SleepNoBlock, then one save; write through saves what it finds at once.
    // Write back waits 3 s here, so that nothing is saved while a busy machine is still writing.
    const Case cases[] = {{L"back", 2, L"3000", 6000}, {L"through", 3, L"5000", 2500}};
    drives = true;
    ASSERT_TRUE(StartStandin());
    if (!CanMountDrives()) GTEST_SKIP() << "FUSE, ntfs-3g or fusefat missing here";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.saveType);
        const uint64_t size = 64 * kMiB;
        const std::wstring id = Settings(c.name, size, c.saveType, 4);
        ASSERT_TRUE(WritePrivateProfileStringW(L"Setting", L"SleepNoBlock", c.sleepNoBlock, id.c_str()));
        MakeImage(c.name, size);
        RamDiskStatus status;
        ASSERT_EQ(Create(id, false, status), 1);
        const std::wstring file = std::wstring(1, static_cast<wchar_t>(status.driveLetter)) + L":\\data.bin";
        // Let what the mount itself wrote be saved first.
        ASSERT_TRUE(WaitFor([&] { return Unsaved(id) == 0; }, 8000)) << Unsaved(id);

        const std::vector<uint8_t> bytes = Pattern(4 << 20, 11);
        ASSERT_TRUE(ScratchFolder::Write(file, std::vector<char>(bytes.begin(), bytes.end())));
        if (c.saveType == 2) {
            EXPECT_TRUE(WaitFor([&] { return Unsaved(id) >= bytes.size(); }, 2000)) << Unsaved(id);
        }
        ASSERT_TRUE(WaitFor([&] { return Unsaved(id) == 0; }, c.withinMs)) << Unsaved(id);
        EXPECT_EQ(FileBytes(file, 0, bytes.size() + 1), bytes);
        DriverReply reply;
        EXPECT_EQ(Remove(id, true, reply), 1) << std::hex << reply.error;
    }
}

namespace {

// Letters no drive has, from Y down.
std::vector<wchar_t> FreeLetters(size_t count) {
    std::vector<wchar_t> letters;
    const DWORD used = GetLogicalDrives();
    for (wchar_t c = L'Y'; c > L'C' && letters.size() < count; --c) {
        if (!(used & (1u << (c - L'A')))) letters.push_back(c);
    }
    return letters;
}

// A small tmpfs on a folder while the object lives (where this machine lets the test mount one).
class CSmallFileSystem {
public:
    explicit CSmallFileSystem(const std::wstring& folder) : m_unix(UStandinUnixSide::UnixName(folder)) {
        CreateDirectoryW(folder.c_str(), nullptr);
        m_mounted = Shell("mount -t tmpfs -o size=16m vmx-small " + UStandinMountScripts::Quote(m_unix)) == 0;
    }
    ~CSmallFileSystem() {
        if (m_mounted) Shell("umount -l " + UStandinMountScripts::Quote(m_unix));
    }
    bool Mounted() const { return m_mounted; }
    // Takes every free byte into the file "filler"; true when nothing is left.
    bool Fill() {
        const std::string filler = UStandinMountScripts::Quote(m_unix + "/filler");
        return Shell("dd if=/dev/zero of=" + filler + " bs=64k 2>/dev/null; [ \"$(df --output=avail -k " +
                     UStandinMountScripts::Quote(m_unix) + " | tail -n 1)\" -eq 0 ]") == 0;
    }
    bool Free() { return Shell("rm " + UStandinMountScripts::Quote(m_unix + "/filler")) == 0; }

private:
    std::string m_unix;
    bool m_mounted = false;
};

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace

// A stand-in killed while its disks are drives: the channel says at once that the driver is
// gone, and the next stand-in closes the drives the dead one left and loads each disk with
// everything that was saved before the kill.
TEST_F(StandinTest, KilledStandinLeavesNothingHangingAndTheNextLoadsWhatWasSaved) {
    struct Case {
        const wchar_t* name;
        int formatType;
        const wchar_t* file;
    };
    const Case cases[] = {{L"ntfs", 4, L"\\保存済み.bin"}, {L"fat", 2, L"\\SAVED.BIN"}};
    const size_t fileSize = 1 << 20;
    if (!CanMountDrives()) GTEST_SKIP() << "FUSE, ntfs-3g or fusefat missing here";
    const std::vector<wchar_t> letters = FreeLetters(2);
    ASSERT_EQ(letters.size(), 2u);
    std::vector<std::wstring> ids;
    CStartupDisks registered;
    for (size_t i = 0; i < 2; ++i) {
        const uint64_t size = 32 * kMiB;
        ids.push_back(Settings(cases[i].name, size, 2, cases[i].formatType, static_cast<unsigned char>(letters[i])));
        UBackupImage::CreateImage(BackupFolder(cases[i].name), size);
        UBackupImage::FormatImage(BackupFolder(cases[i].name), size, cases[i].formatType);
        ASSERT_TRUE(registered.Add(ids[i]));
    }
    drives = true;
    ASSERT_TRUE(StartStandin(L"", true));
    const std::string deadStem = "disk-" + std::to_string(GetProcessId(child.Process())) + "-";

    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(cases[i].name);
        RamDiskStatus status;
        ASSERT_EQ(Query(ids[i], status), 1) << Diagnostics();
        ASSERT_EQ(status.driveLetter, letters[i]);
        const std::vector<uint8_t> bytes = Pattern(fileSize, static_cast<unsigned>(i) + 20);
        ASSERT_TRUE(ScratchFolder::Write(std::wstring(1, letters[i]) + L":" + cases[i].file,
                                         std::vector<char>(bytes.begin(), bytes.end())));
        ASSERT_TRUE(WaitFor([&] { return Unsaved(ids[i]) >= fileSize; }, 5000)) << Unsaved(ids[i]);
        // Written back after SleepNoBlock; it stays 0 once the file system has settled.
        ASSERT_TRUE(WaitFor([&] { return Unsaved(ids[i]) == 0; }, 5000)) << Unsaved(ids[i]);
        Sleep(600);
        ASSERT_TRUE(WaitFor([&] { return Unsaved(ids[i]) == 0; }, 5000)) << Unsaved(ids[i]);
    }

    ASSERT_TRUE(TerminateProcess(child.Process(), 1));
    ASSERT_EQ(child.WaitForExit(5000), 1u);
    ExpectChannelGone(ids[0]);
    const std::string left = MountLines();
    EXPECT_NE(left.find(deadStem), std::string::npos) << "the killed stand-in's drives stay mounted:\n" << left;

    ASSERT_TRUE(StartStandin(L"", true)) << Diagnostics();
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(cases[i].name);
        RamDiskStatus status;
        ASSERT_EQ(Query(ids[i], status), 1) << Diagnostics();
        EXPECT_EQ(status.driveLetter, letters[i]) << "the dead stand-in's letter was freed";
        EXPECT_EQ(FileBytes(std::wstring(1, letters[i]) + L":" + cases[i].file, 0, fileSize + 1),
                  Pattern(fileSize, static_cast<unsigned>(i) + 20))
            << Diagnostics();
    }
    const std::string mounts = MountLines();
    EXPECT_EQ(mounts.find(deadStem), std::string::npos) << Diagnostics();
    EXPECT_EQ(std::count(mounts.begin(), mounts.end(), '\n'), 2) << Diagnostics();
    EXPECT_NE(OutputText().find("closed 2 drive(s) left by a stand-in that ended"), std::string::npos) << Diagnostics();
    for (const auto& id : ids) {
        DriverReply reply;
        EXPECT_EQ(Remove(id, false, reply), 1) << std::hex << reply.error;
    }
}

// The backup's file system full during a save: the remove answers 0x2000 and the disk stays a
// drive with all its files and its unsaved figure; once there is room again the save succeeds
// (write back: by itself) and the image holds the files.
TEST_F(StandinTest, FullBackupFileSystemKeepsTheDiskAndItsFilesUntilThereIsRoom) {
    struct Case {
        const wchar_t* name;
        int saveType;
    };
    const Case cases[] = {{L"manual", 1}, {L"writeback", 2}};
    const size_t fileSize = 3 << 20;
    if (!CanMountDrives()) GTEST_SKIP() << "FUSE, ntfs-3g or fusefat missing here";
    drives = true;
    ASSERT_TRUE(StartStandin());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const uint64_t size = 32 * kMiB;
        CSmallFileSystem backup(BackupFolder(c.name));
        if (!backup.Mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
        const std::wstring id = Settings(c.name, size, c.saveType, 4);
        MakeImage(c.name, size);
        // The image's pieces are sparse: its empty blocks need room that is not there.
        ASSERT_TRUE(backup.Fill());

        RamDiskStatus status;
        ASSERT_EQ(Create(id, false, status), 1);
        const wchar_t letter = static_cast<wchar_t>(status.driveLetter);
        const std::wstring file = std::wstring(1, letter) + L":\\big.bin";
        const std::vector<uint8_t> bytes = Pattern(fileSize, 31);
        ASSERT_TRUE(ScratchFolder::Write(file, std::vector<char>(bytes.begin(), bytes.end())));
        ASSERT_TRUE(WaitFor([&] { return Unsaved(id) >= fileSize; }, 5000)) << Unsaved(id);
        if (c.saveType == 2) {
            Sleep(2500);  // past SleepNoBlock and a retry
            EXPECT_GE(Unsaved(id), fileSize) << "failed passes keep the blocks";
        }

        DriverReply reply;
        EXPECT_EQ(Remove(id, true, reply), 0);
        EXPECT_EQ(reply.error, kStandinErrorImage);
        ASSERT_EQ(Query(id, status), 1) << "the disk stays";
        EXPECT_EQ(status.driveLetter, letter);
        EXPECT_EQ(GetDriveTypeW((std::wstring(1, letter) + L":\\").c_str()), static_cast<UINT>(DRIVE_RAMDISK))
            << Diagnostics();
        EXPECT_EQ(FileBytes(file, 0, fileSize + 1), bytes);
        EXPECT_GE(status.UnsavedBytes(), fileSize);

        ASSERT_TRUE(backup.Free());
        if (c.saveType == 2) {
            EXPECT_TRUE(WaitFor([&] { return Unsaved(id) == 0; }, 5000)) << "the writer catches up: " << Unsaved(id);
        }
        ASSERT_EQ(Remove(id, true, reply), 1) << std::hex << reply.error;
        ASSERT_EQ(Create(id, false, status), 1);
        EXPECT_EQ(FileBytes(std::wstring(1, static_cast<wchar_t>(status.driveLetter)) + L":\\big.bin", 0, fileSize + 1),
                  bytes)
            << "the image holds the file";
        EXPECT_EQ(Remove(id, false, reply), 1);
    }
}

// The FUSE program of a drive dies: the stand-in says so once, mounts the RAM file again under
// the same letter, and the files written before are there; the disk's status is unchanged.
TEST_F(StandinTest, DriveWhoseFileSystemProgramDiesIsOpenedAgainWithItsFiles) {
    struct Case {
        const wchar_t* name;
        int formatType;
        int saveType;
    };
    const Case cases[] = {{L"ntfs", 4, 1}, {L"fat", 2, 0}};
    const size_t fileSize = 1 << 20;
    drives = true;
    ASSERT_TRUE(StartStandin());
    if (!CanMountDrives()) GTEST_SKIP() << "FUSE, ntfs-3g or fusefat missing here";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const uint64_t size = 32 * kMiB;
        const std::wstring id = Settings(c.name, size, c.saveType, c.formatType);
        if (c.saveType) {
            UBackupImage::CreateImage(BackupFolder(c.name), size);
            UBackupImage::FormatImage(BackupFolder(c.name), size, c.formatType);
        }
        RamDiskStatus status;
        ASSERT_EQ(Create(id, false, status), 1);
        const wchar_t letter = static_cast<wchar_t>(status.driveLetter);
        const std::wstring root = std::wstring(1, letter) + L":\\";
        const std::vector<uint8_t> bytes = Pattern(fileSize, 41);
        ASSERT_TRUE(ScratchFolder::Write(root + L"BEFORE.BIN", std::vector<char>(bytes.begin(), bytes.end())));
        if (c.saveType) {
            ASSERT_TRUE(WaitFor([&] { return Unsaved(id) >= fileSize; }, 5000)) << Unsaved(id);
        }

        const size_t outputBefore = OutputText().size();
        ASSERT_EQ(Shell("kill -KILL \"$(cat " + UStandinMountScripts::Quote(UStandinUnixSide::UnixName(ramDir)) +
                        "/*.pid)\""),
                  0);
        EXPECT_TRUE(WaitFor([&] { return FileBytes(root + L"BEFORE.BIN", 0, fileSize + 1) == bytes; }, 5000))
            << Diagnostics();
        EXPECT_EQ(GetDriveTypeW(root.c_str()), static_cast<UINT>(DRIVE_RAMDISK));
        const std::string said = OutputText().substr(outputBefore);
        const std::string event = "drive " + std::string(1, static_cast<char>(letter)) + ": ended";
        EXPECT_NE(said.find(Narrow(id) + ": the file system program of " + event + "; the drive is open again"),
                  std::string::npos)
            << Diagnostics();
        EXPECT_EQ(said.find(event), said.rfind(event)) << "said once";
        const std::string mounts = MountLines();
        EXPECT_EQ(std::count(mounts.begin(), mounts.end(), '\n'), 1) << "the dead volume is gone" << Diagnostics();

        ASSERT_EQ(Query(id, status), 1);
        EXPECT_EQ(status.driveLetter, letter);
        if (c.saveType) {
            EXPECT_GE(status.UnsavedBytes(), fileSize);
        }
        ASSERT_TRUE(ScratchFolder::Write(root + L"AFTER.BIN", std::vector<char>(bytes.begin(), bytes.end())));
        DriverReply reply;
        ASSERT_EQ(Remove(id, c.saveType != 0, reply), 1) << std::hex << reply.error;
        if (c.saveType) {
            ASSERT_EQ(Create(id, false, status), 1);
            for (const wchar_t* name : {L"BEFORE.BIN", L"AFTER.BIN"})
                EXPECT_EQ(FileBytes(std::wstring(1, static_cast<wchar_t>(status.driveLetter)) + L":\\" + name, 0,
                                    fileSize + 1),
                          bytes)
                    << "saved after the drive came back";
            EXPECT_EQ(Remove(id, false, reply), 1);
        }
    }
}
