#include "common/PipeCommandServer.h"

#include "common/PipeSecurity.h"

namespace {
constexpr DWORD kDefaultTimeoutMs = 60000;
}

CPipeCommandServer::CPipeCommandServer(std::wstring pipeName)
    : CPipeCommand(std::move(pipeName)), m_stopEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

CPipeCommandServer::~CPipeCommandServer() { CPipeCommandServer::Close(); }

void CPipeCommandServer::Close() {
    if (!IsOpen()) return;
    CancelPendingIo();
    DisconnectNamedPipe(PipeHandle());
    CPipeCommand::Close();
}

bool CPipeCommandServer::Create() {
    CPipeSecurity security;
    HANDLE pipe = CreateNamedPipeW(PipePath().c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                   PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, kChunkSize, kChunkSize,
                                   kDefaultTimeoutMs, security.Attributes());
    ResetPipe(pipe);
    return IsOpen();
}

int CPipeCommandServer::Wait(HANDLE ioEvent, DWORD timeoutMs) {
    std::vector<HANDLE> waits{ioEvent, m_stopEvent.Get()};
    for (HANDLE extra : ExtraWaits()) waits.push_back(extra);
    const DWORD which = WaitForMultipleObjects(static_cast<DWORD>(waits.size()), waits.data(), FALSE, timeoutMs);
    if (which == WAIT_OBJECT_0) return 1;
    if (which > WAIT_OBJECT_0 && which < WAIT_OBJECT_0 + waits.size()) {
        SetStopped();  // stop request, or the peer process ended
        Close();
        return 2;
    }
    return -1;
}

bool CPipeCommandServer::WaitIo(HANDLE ioEvent, DWORD timeoutMs) { return Wait(ioEvent, timeoutMs) == 1; }

bool CPipeCommandServer::Connect() {
    CHandle event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!event || !IsOpen()) return false;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.Get();
    const BOOL started = ConnectNamedPipe(PipeHandle(), &overlapped);
    if (started) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_PIPE_CONNECTED) return true;
    if (error != ERROR_IO_PENDING) return false;
    DWORD bytes = 0, ioError = 0;
    SetLastError(ERROR_IO_PENDING);
    return FinishIo(FALSE, overlapped, INFINITE, bytes, ioError);
}

int CPipeCommandServer::Run() {
    int result = -1;
    if (Create()) {
        result = -2;
        if (Connect()) {
            result = 0;
            std::vector<uint8_t> message;
            while (Read(message, INFINITE)) OnMessage(message);
        }
    }
    Close();
    return result;
}
