#include "common/PipeCommand.h"

#include <utility>

namespace {
// A fresh auto-reset event, initially clear, for one I/O.
CHandle NewIoEvent() { return CHandle(CreateEventW(nullptr, FALSE, FALSE, nullptr)); }
}  // namespace

CPipeCommand::CPipeCommand(std::wstring pipeName) : m_pipeName(std::move(pipeName)) {}

CPipeCommand::~CPipeCommand() {
    CancelPendingIo();
    // m_pipe closes itself.
}

std::wstring CPipeCommand::PipePath() const { return L"\\\\.\\pipe\\" + m_pipeName; }

bool CPipeCommand::IsOpen() const { return m_pipe.IsValid(); }

void CPipeCommand::Close() {
    if (!IsOpen()) return;
    CancelPendingIo();
    m_pipe.Reset();
}

void CPipeCommand::CancelPendingIo() {
    if (!m_pendingIo || !m_pipe.IsValid()) {
        m_pendingIo = nullptr;
        return;
    }
    OVERLAPPED* io = std::exchange(m_pendingIo, nullptr);
    CancelIo(m_pipe.Get());
    DWORD bytes = 0;
    GetOverlappedResult(m_pipe.Get(), io, &bytes, TRUE);
}

bool CPipeCommand::FinishIo(BOOL started, OVERLAPPED& overlapped, DWORD timeoutMs, DWORD& bytes, DWORD& error) {
    bytes = 0;
    error = started ? ERROR_SUCCESS : GetLastError();
    if (!started && error == ERROR_IO_PENDING) {
        m_pendingIo = &overlapped;
        const bool signalled = WaitIo(overlapped.hEvent, timeoutMs);
        // WaitIo may have closed the pipe (stop request, peer gone): that drained the I/O.
        if (!signalled) {
            CancelPendingIo();
            return false;
        }
        m_pendingIo = nullptr;
        if (!IsOpen()) return false;
        if (GetOverlappedResult(m_pipe.Get(), &overlapped, &bytes, TRUE)) {
            error = ERROR_SUCCESS;
            return true;
        }
        error = GetLastError();
        return error == ERROR_MORE_DATA;
    }
    if (started || error == ERROR_MORE_DATA) {
        // Done at once: the count is in the record.
        GetOverlappedResult(m_pipe.Get(), &overlapped, &bytes, FALSE);
        return true;
    }
    return false;
}

bool CPipeCommand::Write(const void* bytes, size_t length, DWORD timeoutMs) {
    if (!IsOpen() || length > MAXDWORD) return false;
    CHandle event = NewIoEvent();
    if (!event) return false;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.Get();
    const BOOL started = WriteFile(m_pipe.Get(), bytes, static_cast<DWORD>(length), nullptr, &overlapped);
    DWORD written = 0, error = 0;
    return FinishIo(started, overlapped, timeoutMs, written, error) && error == ERROR_SUCCESS && written == length;
}

bool CPipeCommand::Read(std::vector<uint8_t>& buffer, DWORD timeoutMs) {
    buffer.assign(m_chunkSize, 0);
    for (size_t chunk = 0;; ++chunk) {
        const size_t offset = chunk * m_chunkSize;
        if (offset > kMaxMessageBytes) break;
        buffer.resize(offset + m_chunkSize);
        if (!IsOpen()) break;
        CHandle event = NewIoEvent();
        if (!event) break;
        OVERLAPPED overlapped{};
        overlapped.hEvent = event.Get();
        const BOOL started = ReadFile(m_pipe.Get(), buffer.data() + offset, m_chunkSize, nullptr, &overlapped);
        DWORD read = 0, error = 0;
        if (!FinishIo(started, overlapped, timeoutMs, read, error)) break;
        buffer.resize(offset + read);
        // ERROR_MORE_DATA: the message goes on in the next chunk; anything else ended it.
        if (error != ERROR_MORE_DATA) {
            if (buffer.size() <= kMaxMessageBytes) return true;
            break;
        }
    }
    buffer.clear();
    return false;
}
