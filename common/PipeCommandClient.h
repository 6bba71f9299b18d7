#pragma once
// The connecting end of a pipe exchange.
#include "common/PipeCommand.h"

class CPipeCommandClient : public CPipeCommand {
public:
    explicit CPipeCommandClient(std::wstring pipeName);

    // WaitForSingleObject on the event within the time-out.
    bool WaitIo(HANDLE ioEvent, DWORD timeoutMs) override;
    // Opens the pipe (read and write, overlapped) and switches it to message reads.
    virtual bool Open();
    // Open, retried every 10 ms until it succeeds or the time-out has passed.
    virtual bool OpenWithRetry(DWORD timeoutMs);
};
