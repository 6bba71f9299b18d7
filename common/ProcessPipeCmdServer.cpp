#include "common/ProcessPipeCmdServer.h"

CProcessPipeCmdServer::CProcessPipeCmdServer(std::wstring pipeName, std::wstring peerPath)
    : CPipeCommandServer(std::move(pipeName)), m_peerPath(std::move(peerPath)) {}

CProcessPipeCmdServer::~CProcessPipeCmdServer() { CProcessPipeCmdServer::Close(); }

void CProcessPipeCmdServer::Close() {
    CPipeCommandServer::Close();
    m_process.Reset();
}

bool CProcessPipeCmdServer::Create() {
    if (!CreatePipe()) return false;
    if (StartProcess()) return true;
    Close();
    return false;
}

bool CProcessPipeCmdServer::CreatePipe() { return CPipeCommandServer::Create(); }

bool CProcessPipeCmdServer::StartProcess() {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(m_peerPath.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    CHandle thread(info.hThread);
    m_process.Reset(info.hProcess);
    return true;
}

std::vector<HANDLE> CProcessPipeCmdServer::ExtraWaits() const {
    if (!m_process) return {};
    return {m_process.Get()};
}
