#pragma once
// One end of a named pipe that carries whole messages with overlapped I/O. Every I/O gets a
// fresh event and OVERLAPPED record; an I/O whose wait fails is cancelled and drained before
// its record goes, so nothing is written into it afterwards.
//
// The pipe runs in message mode: a read ends exactly at the end of the sender's message, also
// when its length is a multiple of the chunk size (a byte-mode reader cannot see that end).
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Handle.h"

class CPipeCommand {
public:
    static constexpr uint32_t kChunkSize = 1024;
    // Longest message read: the commands and results carried are a few paths long; a peer
    // sending more does not make this process hold it.
    static constexpr size_t kMaxMessageBytes = 1 << 20;

    explicit CPipeCommand(std::wstring pipeName);
    virtual ~CPipeCommand();

    virtual bool IsOpen() const;
    virtual void Close();
    // The whole message; true when all of it went into the pipe within the time-out.
    virtual bool Write(const void* bytes, size_t length, DWORD timeoutMs);
    // One whole message into buffer, chunk by chunk; on failure (also for a message longer than
    // kMaxMessageBytes) the buffer is empty.
    virtual bool Read(std::vector<uint8_t>& buffer, DWORD timeoutMs);
    // Whether the I/O event was signalled within the time-out.
    virtual bool WaitIo(HANDLE ioEvent, DWORD timeoutMs) = 0;

    const std::wstring& PipeName() const { return m_pipeName; }
    // "\\.\pipe\" and the name.
    std::wstring PipePath() const;
    HANDLE PipeHandle() const { return m_pipe.Get(); }

protected:
    CPipeCommand(const CPipeCommand&) = delete;
    CPipeCommand& operator=(const CPipeCommand&) = delete;

    // An I/O just started on the pipe (started = what the call returned): waits for it with
    // WaitIo when it is pending and gives its outcome: true when it completed, with the bytes
    // moved and the last error (0, or ERROR_MORE_DATA for part of a longer message).
    bool FinishIo(BOOL started, OVERLAPPED& overlapped, DWORD timeoutMs, DWORD& bytes, DWORD& error);
    // Cancels the I/O still outstanding (if any) and waits until the system is done with it.
    void CancelPendingIo();
    void ResetPipe(HANDLE pipe) { m_pipe.Reset(pipe); }

private:
    std::wstring m_pipeName;
    CHandle m_pipe;
    uint32_t m_chunkSize = kChunkSize;
    OVERLAPPED* m_pendingIo = nullptr;  // the I/O being waited for
};
