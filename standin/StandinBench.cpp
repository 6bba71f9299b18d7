// VelmoraEXStandinBench: times the stand-in loading a disk from its image and saving it back,
// next to plain copies of the same bytes between the same places, all in one run.
//   VelmoraEXStandinBench --dir FOLDER --ram-dir FOLDER [--size BYTES]
// FOLDER holds the image and the copies (an ordinary disk); the RAM folder is the stand-in's.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/DataConverter.h"
#include "framework/Handle.h"
#include "standin/StandinOptions.h"
#include "standin/StandinRequest.h"
#include "utility/core/SettingsFile.h"
#include "utility/disk/DriverPipeFrame.h"
#include "utility/disk/ListFile.h"
#include "utility/disk/VelmoraAPI.h"

namespace {

const wchar_t kPipeName[] = L"VelmoraEXStandinBench";

class CBenchClient : public CVelmoraAPI {
public:
    bool Touch(const std::wstring& diskId, uint64_t offset, uint8_t value) {
        CDataConverter in;
        in.AppendString(diskId);
        in.AppendUInt64(offset);
        in.AppendBlock(&value, 1);
        DriverReply reply{};
        return Control(UStandinRequest::IOCTL_STANDIN_WRITE, in.Bytes(), &reply, sizeof(reply)) && reply.error == 0;
    }
    bool Stop() {
        DriverReply reply{};
        return Control(UStandinRequest::IOCTL_STANDIN_STOP, {}, &reply, sizeof(reply));
    }
};

class CStopwatch {
public:
    CStopwatch() {
        QueryPerformanceFrequency(&m_frequency);
        QueryPerformanceCounter(&m_start);
    }
    double Seconds() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - m_start.QuadPart) / static_cast<double>(m_frequency.QuadPart);
    }

private:
    LARGE_INTEGER m_frequency, m_start;
};

// Fills a file with size bytes of non-repeating data (nothing a sparse copy could skip).
bool WriteData(const std::wstring& path, uint64_t size) {
    const CHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::vector<uint64_t> block(0x400000 / 8);
    uint64_t x = 0x9E3779B97F4A7C15ULL;
    bool ok = true;
    for (uint64_t done = 0; ok && done < size;) {
        for (auto& word : block) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            word = x;
        }
        DWORD length = static_cast<DWORD>(size - done < 0x400000 ? size - done : 0x400000);
        DWORD written = 0;
        ok = WriteFile(file.Get(), block.data(), length, &written, nullptr) && written == length;
        done += length;
    }
    return ok;
}

void Report(const wchar_t* what, uint64_t bytes, double seconds) {
    wprintf(L"%-58ls %7.3f s  %8.1f MiB/s\n", what, seconds, static_cast<double>(bytes) / 1048576.0 / seconds);
}

void Fail(const wchar_t* what) { fwprintf(stderr, L"VelmoraEXStandinBench: %ls (error %lu)\n", what, GetLastError()); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring dir, ramDir;
    uint64_t size = 1ULL << 30;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::wstring name = argv[i];
        if (name == L"--dir")
            dir = argv[i + 1];
        else if (name == L"--ram-dir")
            ramDir = argv[i + 1];
        else if (name == L"--size" && CStandinOptions::ParseBytes(argv[i + 1], size) && size % 0x10000 == 0)
            continue;
        else
            dir.clear();
    }
    if (dir.empty() || ramDir.empty() || argc % 2 == 0 || size == 0 || size > RAMDISK_IMAGE_PIECE_SIZE) {
        fwprintf(stderr,
                 L"usage: VelmoraEXStandinBench --dir FOLDER --ram-dir FOLDER [--size BYTES (64 KiB steps, "
                 L"one piece at most)]\n");
        return 2;
    }
    CreateDirectoryW(dir.c_str(), nullptr);
    CreateDirectoryW(ramDir.c_str(), nullptr);
    const std::wstring backup = dir + L"\\backup";
    const std::wstring saved = dir + L"\\saved";
    const std::wstring image = CListFile::MakePieceName(CVelmoraAPI::ImagePathOf(backup), 0);
    const std::wstring settings = dir + L"\\VelmoraEX0.ini";
    const std::wstring ramCopy = ramDir + L"\\copy.bin";
    const std::wstring diskCopy = dir + L"\\copy.bin";
    CreateDirectoryW(backup.c_str(), nullptr);
    if (!WriteData(image, size)) {
        Fail(L"cannot write the image");
        return 1;
    }
    CVelmoraEXSettingData data;
    data.DriveSize = size;
    data.DriveLetter = kDriveLetterAutomatic;
    data.SaveType = 1;
    data.LoadType = 1;
    data.FormatType = 0x20000;
    data.MemType = 1;
    data.BackupBaseDir = backup;
    USettingsFile::WriteRamDisk(settings, data);

    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring program = self;
    program = program.substr(0, program.find_last_of(L'\\') + 1) + L"VelmoraEXStandin.exe";
    std::wstring line =
        L"\"" + program + L"\" --no-startup-disks --pipe-name " + kPipeName + L" --ram-dir \"" + ramDir + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child)) {
        Fail(L"cannot start VelmoraEXStandin.exe");
        return 1;
    }
    const CHandle process(child.hProcess), thread(child.hThread);
    UDriverPipeFrame::SetPipeName(kPipeName);
    int result = 1;
    if (CVelmoraAPI::IsDriverUp(10000)) {
        result = 0;
        CBenchClient api;
        api.OpenDevice(CVelmoraAPI::kCommandTimeoutMs);
        wprintf(L"%llu MiB of data, image in %ls, RAM folder %ls\n", static_cast<unsigned long long>(size >> 20),
                dir.c_str(), ramDir.c_str());

        CStopwatch copyIn;
        BOOL copied = CopyFileW(image.c_str(), ramCopy.c_str(), FALSE);
        double copyInSeconds = copyIn.Seconds();
        RamDiskStatus status{};
        CStopwatch load;
        int created = api.Create(settings, false, status);
        double loadSeconds = load.Seconds();
        if (!copied || !created) {
            Fail(L"copy or load failed");
            result = 1;
        } else {
            Report(L"plain copy image -> RAM folder (CopyFileW)", size, copyInSeconds);
            Report(L"stand-in load: create from the image", size, loadSeconds);

            CStopwatch copyOut;
            copied = CopyFileW(ramCopy.c_str(), diskCopy.c_str(), FALSE);
            double copyOutSeconds = copyOut.Seconds();
            Report(L"plain copy RAM folder -> disk (CopyFileW)", size, copyOutSeconds);

            // Every block changed (one byte each), then written back by remove with the save flag.
            bool touched = true;
            for (uint64_t offset = 0; touched && offset < size; offset += 0x10000)
                touched = api.Touch(settings, offset, static_cast<uint8_t>(offset >> 16));
            api.Query(settings, 0, status);
            DriverReply reply{};
            CStopwatch save;
            int removed = touched && status.UnsavedBytes() == size ? api.Remove(settings, 0, 0, true, reply) : 0;
            double saveSeconds = save.Seconds();
            if (removed)
                Report(L"stand-in save: remove with save, every block unsaved", size, saveSeconds);
            else
                result = 1;

            if (api.Create(settings, false, status)) {
                CStopwatch saveNew;
                int savedNew =
                    api.SaveAndRemove(settings, 0, 0, CVelmoraAPI::ImagePathOf(saved), RAMDISK_IMAGE_PIECE_SIZE, reply);
                double saveNewSeconds = saveNew.Seconds();
                if (savedNew)
                    Report(L"stand-in save and remove into a new image", size, saveNewSeconds);
                else
                    result = 1;
            } else {
                result = 1;
            }
            if (result) Fail(L"a save failed");
        }
        api.Stop();
        api.Close();
    } else {
        Fail(L"the stand-in did not answer");
    }
    if (WaitForSingleObject(process.Get(), 10000) == WAIT_TIMEOUT) TerminateProcess(process.Get(), 1);
    DeleteFileW(ramCopy.c_str());
    DeleteFileW(diskCopy.c_str());
    DeleteFileW(image.c_str());
    DeleteFileW(CListFile::MakePieceName(CVelmoraAPI::ImagePathOf(saved), 0).c_str());
    DeleteFileW(settings.c_str());
    RemoveDirectoryW(backup.c_str());
    RemoveDirectoryW(saved.c_str());
    return result;
}
