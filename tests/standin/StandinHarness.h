#pragma once
// Runs the real VelmoraEXStandin.exe (built next to the test program) as a child on a pipe of
// its own, and talks to it through the utility's channel.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/DataConverter.h"
#include "framework/Handle.h"
#include "framework/ScratchFolder.h"
#include "standin/StandinRequest.h"
#include "utility/disk/DeviceNotifier.h"
#include "utility/disk/DriverPipeFrame.h"
#include "utility/disk/VelmoraAPI.h"

// Bytes that differ from block to block and from seed to seed.
inline std::vector<uint8_t> Pattern(size_t size, unsigned seed) {
    std::vector<uint8_t> bytes(size);
    uint32_t x = seed * 2654435761u + 1;
    for (auto& b : bytes) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(x >> 24);
    }
    return bytes;
}

// length bytes of a file from offset.
inline std::vector<uint8_t> FileBytes(const std::wstring& path, uint64_t offset, size_t length) {
    std::vector<char> raw = ScratchFolder::Read(path, offset, length);
    return std::vector<uint8_t>(raw.begin(), raw.end());
}

// RAM folder for a stand-in under test: on /dev/shm when Wine shows it, else the fallback.
inline std::wstring StandinRamDir(const std::wstring& name, const std::wstring& fallback) {
    DWORD shm = GetFileAttributesW(L"Z:\\dev\\shm");
    bool onShm = shm != INVALID_FILE_ATTRIBUTES && (shm & FILE_ATTRIBUTE_DIRECTORY);
    return onShm ? L"Z:\\dev\\shm\\" + name : fallback;
}

// The channel with the stand-in's own commands added.
class CStandinClient : public CVelmoraAPI {
public:
    CStandinClient() { OpenDevice(kCommandTimeoutMs); }

    // The raw exchange: whether the call went through, and the reply bytes it left.
    bool Call(uint32_t code, const std::vector<uint8_t>& input, void* reply, uint32_t replySize) {
        return Control(code, input, reply, replySize);
    }
    // The error word of a test write (0 on success); -1 when the call itself failed.
    long WriteBytes(const std::wstring& diskId, uint64_t offset, const std::vector<uint8_t>& bytes) {
        CDataConverter in;
        in.AppendString(diskId);
        in.AppendUInt64(offset);
        in.AppendBlock(bytes.data(), bytes.size());
        DriverReply reply{};
        if (!Call(UStandinRequest::IOCTL_STANDIN_WRITE, in.Bytes(), &reply, sizeof(reply))) return -1;
        return static_cast<long>(reply.error);
    }
    // Bytes of the disk; empty when the call failed (error in GetLastError).
    std::vector<uint8_t> ReadBytes(const std::wstring& diskId, uint64_t offset, uint32_t length) {
        CDataConverter in;
        in.AppendString(diskId);
        in.AppendUInt64(offset);
        in.AppendUInt32(length);
        std::vector<uint8_t> bytes(length);
        if (!Call(UStandinRequest::IOCTL_STANDIN_READ, in.Bytes(), bytes.data(), length)) return {};
        return bytes;
    }
    long SetInUse(const std::wstring& diskId, bool inUse) {
        CDataConverter in;
        in.AppendString(diskId);
        in.AppendByte(inUse ? 1 : 0);
        DriverReply reply{};
        if (!Call(UStandinRequest::IOCTL_STANDIN_SET_IN_USE, in.Bytes(), &reply, sizeof(reply))) return -1;
        return static_cast<long>(reply.error);
    }
    bool Stop() {
        DriverReply reply{};
        return Call(UStandinRequest::IOCTL_STANDIN_STOP, {}, &reply, sizeof(reply)) && reply.error == 0;
    }
};

// Notices go to a list instead of every window of the session.
class CRecordingNotifier : public IDeviceNotifier {
public:
    CRecordingNotifier() : m_previous(UDeviceNotifier::Replace(this)) {}
    ~CRecordingNotifier() override { UDeviceNotifier::Replace(m_previous); }
    void BroadcastVolume(WPARAM event, wchar_t letter) override { events.push_back({event, letter}); }
    void UpdateRoot(wchar_t) override {}
    std::vector<std::pair<WPARAM, wchar_t>> events;

private:
    IDeviceNotifier* m_previous;
};

// The stand-in as a child process. It lives in a job that kills it when the test process goes,
// and the destructor stops it (or ends it) on every path.
class CStandinChild {
public:
    CStandinChild() {
        m_job.Reset(CreateJobObjectW(nullptr, nullptr));
        if (m_job) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            SetInformationJobObject(m_job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits));
        }
    }
    CStandinChild(const CStandinChild&) = delete;
    CStandinChild& operator=(const CStandinChild&) = delete;
    ~CStandinChild() { End(); }

    static std::wstring ProgramPath() {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring path = self;
        return path.substr(0, path.find_last_of(L'\\') + 1) + L"VelmoraEXStandin.exe";
    }

    // Starts the program with these arguments, its output appended to outputPath when one is
    // given; true when the process was created.
    bool Start(const std::wstring& arguments, const std::wstring& outputPath = L"") {
        std::wstring line = L"\"" + ProgramPath() + L"\" " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        CHandle output;
        if (!outputPath.empty()) {
            SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
            output.Reset(CreateFileW(outputPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                     OPEN_ALWAYS, 0, nullptr));
            if (!output) return false;
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdOutput = startup.hStdError = output.Get();
        }
        PROCESS_INFORMATION info = {};
        if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, output ? TRUE : FALSE, CREATE_SUSPENDED, nullptr,
                            nullptr, &startup, &info))
            return false;
        if (m_job) AssignProcessToJobObject(m_job.Get(), info.hProcess);
        const CHandle thread(info.hThread);
        m_process.Reset(info.hProcess);
        ResumeThread(thread.Get());
        return true;
    }

    // Waits for the child to end; its exit code, or STILL_ACTIVE after the timeout.
    DWORD WaitForExit(DWORD timeoutMs) {
        if (!m_process) return STILL_ACTIVE;
        if (WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(m_process.Get(), &code);
        return code;
    }

    // Asks the stand-in to stop over the channel, then waits; kills it if it does not end.
    void End() {
        if (!m_process) return;
        if (WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT) {
            CStandinClient client;
            if (client.IsOpen()) client.Stop();
            client.Close();
            if (WaitForSingleObject(m_process.Get(), 5000) == WAIT_TIMEOUT) TerminateProcess(m_process.Get(), 99);
            WaitForSingleObject(m_process.Get(), 5000);
        }
        m_process.Reset();
    }

    HANDLE Process() const { return m_process.Get(); }

private:
    CHandle m_job;
    CHandle m_process;
};
