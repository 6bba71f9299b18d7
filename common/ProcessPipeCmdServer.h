#pragma once
// A pipe server that starts its peer program itself and ends the exchange when that program
// ends (so a peer that exits before connecting cannot leave the server waiting for ever).
#include "common/PipeCommandServer.h"

class CProcessPipeCmdServer : public CPipeCommandServer {
public:
    CProcessPipeCmdServer(std::wstring pipeName, std::wstring peerPath);
    ~CProcessPipeCmdServer() override;

    // As the server's, then closes the peer's process handle.
    void Close() override;
    // CreatePipe, then StartProcess; true only when both succeed.
    bool Create() override;
    virtual bool CreatePipe();
    // CreateProcessW of the peer path without command line, inheritance or flags.
    virtual bool StartProcess();

    const std::wstring& PeerPath() const { return m_peerPath; }
    HANDLE PeerProcess() const { return m_process.Get(); }

protected:
    std::vector<HANDLE> ExtraWaits() const override;
    void SetPeerProcess(HANDLE process) { m_process.Reset(process); }

private:
    std::wstring m_peerPath;
    CHandle m_process;
};
