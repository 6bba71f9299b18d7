#pragma once
// A driver double for tests under Wine: serves the stand-in's pipe protocol on a pipe named for
// this process and instance, installed as the channel's device while it lives, and answers each
// request with a scripted reply.
#include <windows.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/DataParser.h"
#include "framework/Clock.h"
#include "framework/Handle.h"
#include "utility/disk/DeviceNotifier.h"
#include "utility/disk/DriverPipeFrame.h"
#include "utility/disk/RamDiskStatus.h"

namespace drivertest {

// One request as the driver double saw it, with the time it arrived.
struct SeenRequest {
    UDriverPipeFrame::Request request;
    uint64_t tick = 0;  // UClock::Milliseconds() when it arrived
    std::wstring DiskId() const {
        CDataParser parser(request.input, request.lengthWidth);
        std::wstring id;
        parser.ReadString(id);
        return id;
    }
};

inline UDriverPipeFrame::Reply StatusReply(uint32_t status, uint32_t error, wchar_t letter, uint8_t imageMode = 0,
                                           uint64_t figure1 = 0, uint64_t figure2 = 0) {
    RamDiskStatus s{};
    s.status = status;
    s.error = error;
    s.driveLetter = letter;
    s.imageMode = imageMode;
    s.sizeFigure1 = figure1;
    s.sizeFigure2 = figure2;
    UDriverPipeFrame::Reply reply;
    reply.succeeded = true;
    reply.output.resize(sizeof(s));
    std::memcpy(reply.output.data(), &s, sizeof(s));
    return reply;
}

inline UDriverPipeFrame::Reply ShortReply(uint32_t status, uint32_t error) {
    DriverReply r{status, error};
    UDriverPipeFrame::Reply reply;
    reply.succeeded = true;
    reply.output.resize(sizeof(r));
    std::memcpy(reply.output.data(), &r, sizeof(r));
    return reply;
}

// Keeps the volume notices of the driver commands from reaching every window of the session.
class QuietNotices : public IDeviceNotifier {
public:
    QuietNotices() : m_previous(UDeviceNotifier::Replace(this)) {}
    ~QuietNotices() override { UDeviceNotifier::Replace(m_previous); }
    void BroadcastVolume(WPARAM, wchar_t) override {}
    void UpdateRoot(wchar_t) override {}

private:
    IDeviceNotifier* m_previous;
};

// A driver double on a pipe named for this process and instance, installed as the channel's
// device for its lifetime; answers each request with the script's reply.
class FakeDriver {
public:
    using Script = std::function<UDriverPipeFrame::Reply(const SeenRequest&)>;

    explicit FakeDriver(Script script) : m_script(std::move(script)) {
        m_name =
            L"VelmoraEXTestDriver-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++s_instance);
        UDriverPipeFrame::SetPipeName(m_name.c_str());
        m_pipe.Reset(CreateNamedPipeW((L"\\\\.\\pipe\\" + m_name).c_str(), PIPE_ACCESS_DUPLEX,
                                      PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 4096, 4096, 0,
                                      nullptr));
        m_thread = std::thread([this] { Serve(); });
    }
    ~FakeDriver() {
        m_stop = true;
        CHandle(CreateFileW((L"\\\\.\\pipe\\" + m_name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr));  // wakes the server thread, closed at once
        m_thread.join();
        m_pipe.Reset();
        UDriverPipeFrame::SetPipeName(nullptr);
    }
    FakeDriver(const FakeDriver&) = delete;
    FakeDriver& operator=(const FakeDriver&) = delete;

    std::vector<SeenRequest> Requests() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }
    std::vector<uint32_t> Codes() {
        std::vector<uint32_t> codes;
        for (const SeenRequest& r : Requests()) codes.push_back(r.request.controlCode);
        return codes;
    }
    const std::wstring& PipePath() const { return m_name; }

private:
    void Serve() {
        while (!m_stop) {
            BOOL connected = ConnectNamedPipe(m_pipe.Get(), nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
            if (m_stop) break;
            while (connected) {
                std::vector<uint8_t> frame(70000);
                DWORD read = 0;
                if (!ReadFile(m_pipe.Get(), frame.data(), static_cast<DWORD>(frame.size()), &read, nullptr)) break;
                frame.resize(read);
                SeenRequest seen;
                seen.tick = UClock::Milliseconds();
                std::string reason;
                UDriverPipeFrame::Reply reply;
                if (UDriverPipeFrame::DecodeRequest(frame, seen.request, reason)) {
                    {
                        std::lock_guard<std::mutex> lock(m_mutex);
                        m_requests.push_back(seen);
                    }
                    reply = m_script(seen);
                } else {
                    reply.error = ERROR_INVALID_PARAMETER;
                }
                auto answer = UDriverPipeFrame::EncodeReply(reply);
                DWORD written;
                if (!WriteFile(m_pipe.Get(), answer.data(), static_cast<DWORD>(answer.size()), &written, nullptr))
                    break;
            }
            DisconnectNamedPipe(m_pipe.Get());
        }
    }

    static inline int s_instance = 0;
    QuietNotices m_quiet;
    Script m_script;
    std::wstring m_name;
    CHandle m_pipe;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<SeenRequest> m_requests;
};

}  // namespace drivertest
