#include "utility/tools_channel/VelmoraToolCmdServer.h"

#include "common/ToolChannel.h"
#include "utility/tools_channel/ElevatedStart.h"

CVelmoraToolCmdServer::CVelmoraToolCmdServer(std::wstring toolsPath, bool runElevated,
                                             std::vector<uint8_t> pendingCommand, IElevatedStart& elevatedStart,
                                             bool vistaOrLater)
    : CProcessPipeCmdServer(UToolChannel::kPipeName, std::move(toolsPath)),
      m_runElevated(runElevated ? 1 : 0),
      m_pendingCommand(std::move(pendingCommand)),
      m_elevatedStart(elevatedStart),
      m_vistaOrLater(vistaOrLater) {}

void CVelmoraToolCmdServer::OnMessage(const std::vector<uint8_t>& message) {
    std::vector<uint8_t> answer;
    switch (UToolChannel::Classify(message, m_result)) {
        case UToolChannel::ServerAction::SendCommand:
            answer = UToolChannel::CommandAnswer(m_pendingCommand);
            break;
        case UToolChannel::ServerAction::SendNoCommand:
            answer = UToolChannel::NoCommand();
            break;
        case UToolChannel::ServerAction::TakeResult:
        case UToolChannel::ServerAction::DropResult:
            return;  // a result is not answered
    }
    Write(answer.data(), answer.size(), INFINITE);
}

bool CVelmoraToolCmdServer::StartProcess() {
    if (!(m_vistaOrLater && m_runElevated)) return CProcessPipeCmdServer::StartProcess();
    CHandle process;
    if (!m_elevatedStart.Start(PeerPath(), process)) return false;
    SetPeerProcess(process.Detach());
    return true;
}

std::wstring CVelmoraToolCmdServer::DefaultToolsPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return L"VelmoraEXTools.exe";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    return path.substr(0, slash == std::wstring::npos ? 0 : slash + 1) + L"VelmoraEXTools.exe";
}
