#pragma once
// The serving end of a pipe exchange: creates the pipe, waits for one client and hands each
// message it sends to OnMessage until the client goes. A stop event ends every wait.
#include "common/PipeCommand.h"

class CPipeCommandServer : public CPipeCommand {
public:
    explicit CPipeCommandServer(std::wstring pipeName);
    ~CPipeCommandServer() override;

    // Disconnects an open pipe, then closes it.
    void Close() override;
    // True exactly when Wait returns 1.
    bool WaitIo(HANDLE ioEvent, DWORD timeoutMs) override;

    // The whole exchange: -1 when Create failed, -2 when no client connected, 0 when the
    // exchange ran (until a read failed). The pipe is closed afterwards in every case.
    virtual int Run();
    // Creates the pipe instance.
    virtual bool Create();
    // 1: the I/O event; 2: stop (the server has closed itself); -1: time-out or failure.
    virtual int Wait(HANDLE ioEvent, DWORD timeoutMs);
    // Handles one message of the client.
    virtual void OnMessage(const std::vector<uint8_t>& message) = 0;

    // Ends the exchange from another thread.
    void Stop() { SetEvent(m_stopEvent.Get()); }
    HANDLE StopEvent() const { return m_stopEvent.Get(); }
    bool Stopped() const { return m_stopped != 0; }

protected:
    // The waits of Wait after the I/O event and the stop event; each ends the exchange.
    virtual std::vector<HANDLE> ExtraWaits() const { return {}; }
    // Waits for the client; true when connected.
    bool Connect();
    void SetStopped() { m_stopped = 1; }

private:
    CHandle m_stopEvent;
    uint32_t m_stopped = 0;
};
