#pragma once
// The utility's server for one virtual-link command: starts VelmoraEXTools.exe (with the
// administrator prompt when asked to run elevated on Vista or later), hands out the pending
// command and keeps the result record.
#include "common/ProcessPipeCmdServer.h"

class IElevatedStart;

class CVelmoraToolCmdServer : public CProcessPipeCmdServer {
public:
    // toolsPath: the tools program; elevated: start it through `elevatedStart`.
    CVelmoraToolCmdServer(std::wstring toolsPath, bool runElevated, std::vector<uint8_t> pendingCommand,
                          IElevatedStart& elevatedStart, bool vistaOrLater);

    void OnMessage(const std::vector<uint8_t>& message) override;
    bool StartProcess() override;

    // Empty until a result with status 0 and a record arrived.
    const std::vector<uint8_t>& Result() const { return m_result; }
    bool RunElevated() const { return m_runElevated != 0; }

    // "VelmoraEXTools.exe" in the folder of this program's own file.
    static std::wstring DefaultToolsPath();

private:
    uint32_t m_runElevated;
    std::vector<uint8_t> m_pendingCommand;
    std::vector<uint8_t> m_result;
    IElevatedStart& m_elevatedStart;
    bool m_vistaOrLater;
};
