#include "standin/StandinPipeServer.h"

#include "standin/StandinDriver.h"
#include "utility/disk/DriverPipeFrame.h"

namespace {
// A request frame: magic, code, reply size, width byte, input length word, input.
const DWORD kInBuffer = UDriverPipeFrame::kMaxInput + 64;
const DWORD kOutBuffer = UDriverPipeFrame::kMaxReply + 64;
}  // namespace

CStandinPipeServer::CStandinPipeServer(const std::wstring& pipeName, CStandinDriver& driver)
    : m_path(L"\\\\.\\pipe\\" + pipeName), m_driver(driver) {}

CStandinPipeServer::~CStandinPipeServer() {
    if (m_pipe) {
        CancelIo(m_pipe.Get());
        DisconnectNamedPipe(m_pipe.Get());
    }
}

DWORD CStandinPipeServer::Create() {
    m_ioEvent.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!m_ioEvent) return GetLastError();
    m_pipe.Reset(CreateNamedPipeW(m_path.c_str(),
                                  PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                  PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
                                  kOutBuffer, kInBuffer, 0, nullptr));
    if (!m_pipe) return GetLastError();
    return ERROR_SUCCESS;
}

CStandinPipeServer::Outcome CStandinPipeServer::Finish(BOOL started, HANDLE stopEvent, DWORD timeoutMs, DWORD& bytes,
                                                       DWORD& error) {
    bytes = 0;
    error = ERROR_SUCCESS;
    if (!started) {
        error = GetLastError();
        if (error != ERROR_IO_PENDING && error != ERROR_MORE_DATA) return Outcome::Failed;
    }
    if (!started && error == ERROR_IO_PENDING) {
        HANDLE waits[2] = {m_ioEvent.Get(), stopEvent};
        DWORD which = WaitForMultipleObjects(2, waits, FALSE, timeoutMs);
        if (which != WAIT_OBJECT_0) {
            CancelIo(m_pipe.Get());
            GetOverlappedResult(m_pipe.Get(), &m_overlapped, &bytes, TRUE);  // the cancelled operation's end
            return which == WAIT_OBJECT_0 + 1 ? Outcome::Stopped
                   : which == WAIT_TIMEOUT    ? Outcome::TimedOut
                                              : Outcome::Failed;
        }
    }
    if (GetOverlappedResult(m_pipe.Get(), &m_overlapped, &bytes, FALSE)) {
        error = ERROR_SUCCESS;
        return Outcome::Done;
    }
    error = GetLastError();
    return error == ERROR_MORE_DATA ? Outcome::Done : Outcome::Failed;
}

bool CStandinPipeServer::ReadMessage(HANDLE stopEvent, DWORD timeoutMs, std::vector<uint8_t>& message, bool& oversized,
                                     bool& stopped) {
    message.assign(kInBuffer, 0);
    oversized = false;
    stopped = false;
    size_t kept = 0;
    for (;;) {
        uint8_t* into = message.data() + kept;
        DWORD room = static_cast<DWORD>(message.size() - kept);
        std::vector<uint8_t> discard;
        if (room == 0) {  // past the largest frame: read on only to find the message's end
            discard.resize(kInBuffer);
            into = discard.data();
            room = kInBuffer;
            oversized = true;
        }
        ResetEvent(m_ioEvent.Get());
        m_overlapped = OVERLAPPED{};
        m_overlapped.hEvent = m_ioEvent.Get();
        BOOL started = ReadFile(m_pipe.Get(), into, room, nullptr, &m_overlapped);
        DWORD bytes = 0, error = 0;
        Outcome outcome = Finish(started, stopEvent, timeoutMs, bytes, error);
        if (outcome == Outcome::Stopped) stopped = true;
        if (outcome != Outcome::Done) return false;
        if (discard.empty()) kept += bytes;
        if (error != ERROR_MORE_DATA) break;
    }
    message.resize(kept);
    return true;
}

bool CStandinPipeServer::WriteMessage(HANDLE stopEvent, const std::vector<uint8_t>& message) {
    ResetEvent(m_ioEvent.Get());
    m_overlapped = OVERLAPPED{};
    m_overlapped.hEvent = m_ioEvent.Get();
    BOOL started = WriteFile(m_pipe.Get(), message.data(), static_cast<DWORD>(message.size()), nullptr, &m_overlapped);
    DWORD bytes = 0, error = 0;
    return Finish(started, stopEvent, kReplyTimeoutMs, bytes, error) == Outcome::Done && bytes == message.size();
}

bool CStandinPipeServer::ServeClient(HANDLE stopEvent) {
    std::vector<uint8_t> frame;
    for (;;) {
        bool oversized = false, stopped = false;
        if (!ReadMessage(stopEvent, kIdleTimeoutMs, frame, oversized, stopped)) return !stopped;
        UDriverPipeFrame::Request request;
        UDriverPipeFrame::Reply reply;
        std::string reason;
        if (!oversized && UDriverPipeFrame::DecodeRequest(frame, request, reason)) {
            reply = m_driver.Handle(request);
        } else {
            reply.succeeded = false;
            reply.error = ERROR_INVALID_PARAMETER;
        }
        if (!WriteMessage(stopEvent, UDriverPipeFrame::EncodeReply(reply)))
            return WaitForSingleObject(stopEvent, 0) != WAIT_OBJECT_0;
        if (m_driver.StopRequested()) {
            // Disconnecting drops a reply not read yet: give the client time to take it and leave.
            ReadMessage(stopEvent, kReplyTimeoutMs, frame, oversized, stopped);
            return false;
        }
    }
}

void CStandinPipeServer::Run(HANDLE stopEvent) {
    while (WaitForSingleObject(stopEvent, 0) != WAIT_OBJECT_0) {
        ResetEvent(m_ioEvent.Get());
        m_overlapped = OVERLAPPED{};
        m_overlapped.hEvent = m_ioEvent.Get();
        BOOL started = ConnectNamedPipe(m_pipe.Get(), &m_overlapped);
        bool connected = false;
        if (!started && GetLastError() == ERROR_PIPE_CONNECTED) {
            connected = true;
        } else {
            DWORD bytes = 0, error = 0;
            Outcome outcome = Finish(started, stopEvent, INFINITE, bytes, error);
            if (outcome == Outcome::Stopped) break;
            connected = outcome == Outcome::Done;
            // A client that came and went before the connect finished leaves the instance to reset.
            if (!connected && error != ERROR_NO_DATA) Sleep(10);
        }
        bool goOn = !connected || ServeClient(stopEvent);
        DisconnectNamedPipe(m_pipe.Get());
        if (!goOn) break;
    }
}
