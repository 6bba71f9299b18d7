#include "common/PipeCommandClient.h"

CPipeCommandClient::CPipeCommandClient(std::wstring pipeName) : CPipeCommand(std::move(pipeName)) {}

bool CPipeCommandClient::WaitIo(HANDLE ioEvent, DWORD timeoutMs) {
    return WaitForSingleObject(ioEvent, timeoutMs) == WAIT_OBJECT_0;
}

bool CPipeCommandClient::Open() {
    Close();
    HANDLE pipe = CreateFileW(PipePath().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
    ResetPipe(pipe);
    if (!IsOpen()) return false;
    // The server's messages end exactly where it wrote them.
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (!SetNamedPipeHandleState(PipeHandle(), &mode, nullptr, nullptr)) Close();
    return IsOpen();
}

bool CPipeCommandClient::OpenWithRetry(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!Open() && GetTickCount() - start < timeoutMs) Sleep(10);
    return IsOpen();
}
