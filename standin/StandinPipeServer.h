#pragma once
// The stand-in's endpoint: one instance of a message-mode named pipe, so that a second open
// fails while a client is connected, exactly like the driver's exclusive device. Clients are
// served one after the other, one request frame and one reply frame at a time.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Handle.h"

class CStandinDriver;

class CStandinPipeServer {
public:
    // A client that sends nothing for this long is disconnected, so that it cannot hold the
    // only instance for ever.
    static const DWORD kIdleTimeoutMs = 30000;
    // A client that does not take its reply within this time is disconnected.
    static const DWORD kReplyTimeoutMs = 5000;

    CStandinPipeServer(const std::wstring& pipeName, CStandinDriver& driver);
    CStandinPipeServer(const CStandinPipeServer&) = delete;
    CStandinPipeServer& operator=(const CStandinPipeServer&) = delete;
    ~CStandinPipeServer();

    // Creates the pipe instance; ERROR_ACCESS_DENIED or ERROR_PIPE_BUSY when the name is taken.
    DWORD Create();

    // Serves until stopEvent is set or the driver is asked to stop.
    void Run(HANDLE stopEvent);

private:
    enum class Outcome { Done, Stopped, TimedOut, Failed };

    // Waits for the pending or finished overlapped operation; cancels it unless Done.
    Outcome Finish(BOOL started, HANDLE stopEvent, DWORD timeoutMs, DWORD& bytes, DWORD& error);
    // Serves one connected client until it leaves; false when the server is to stop.
    bool ServeClient(HANDLE stopEvent);
    // Reads one whole message; false when the client left, timed out or the server stops.
    // A message larger than the buffer is read to its end and reported as oversized.
    bool ReadMessage(HANDLE stopEvent, DWORD timeoutMs, std::vector<uint8_t>& message, bool& oversized, bool& stopped);
    bool WriteMessage(HANDLE stopEvent, const std::vector<uint8_t>& message);

    std::wstring m_path;
    CStandinDriver& m_driver;
    // Declared in this order so that the pipe closes before the event its operations signal.
    CHandle m_ioEvent;
    CHandle m_pipe;
    OVERLAPPED m_overlapped = {};
};
