#include "utility/tools_channel/ToolLinkCommands.h"

#include "utility/core/MessageText.h"
#include "utility/disk/OSVersion.h"
#include "utility/tools_channel/ElevatedStart.h"
#include "utility/tools_channel/ToolCmdPrompt.h"
#include "utility/tools_channel/ToolCommandBuilder.h"
#include "utility/tools_channel/ToolResultDecision.h"
#include "utility/tools_channel/VelmoraToolCmdServer.h"
#include "utility/ui/resource.h"

using namespace UToolResultDecision;

namespace {
CToolLinkCommands::CSettings SystemSettings() {
    COSVersion version;
    version.Read();
    CToolLinkCommands::CSettings settings;
    settings.toolsPath = CVelmoraToolCmdServer::DefaultToolsPath();
    settings.vistaOrLater = version.IsVistaOrLater();
    settings.elevatedStart = &CRunasStart::Instance();
    return settings;
}
}  // namespace

CToolLinkCommands::CToolLinkCommands(IToolCmdPrompt& prompt) : CToolLinkCommands(prompt, SystemSettings()) {}

CToolLinkCommands::CToolLinkCommands(IToolCmdPrompt& prompt, const CSettings& settings)
    : m_prompt(prompt), m_settings(settings) {
    if (!m_settings.elevatedStart) m_settings.elevatedStart = &CRunasStart::Instance();
}

int CToolLinkCommands::CreateLink(HWND owner, wchar_t drive, const CVelmoraEXVlinkData& link) {
    return Execute(TOOL_CREATE_LINK, owner, drive, link);
}

int CToolLinkCommands::RemoveLink(HWND owner, wchar_t drive, const CVelmoraEXVlinkData& link) {
    return Execute(TOOL_REMOVE_LINK, owner, drive, link);
}

int CToolLinkCommands::Relink(HWND owner, wchar_t drive, const CVelmoraEXVlinkData& link) {
    return Execute(TOOL_RELINK, owner, drive, link);
}

int CToolLinkCommands::RunOnce(const std::vector<uint8_t>& payload, bool elevated, std::vector<uint8_t>& result) {
    CVelmoraToolCmdServer server(m_settings.toolsPath, elevated, payload, *m_settings.elevatedStart,
                                 m_settings.vistaOrLater);
    const int run = server.Run();
    result = server.Result();
    return run;
}

int CToolLinkCommands::Execute(EToolCommand command, HWND owner, wchar_t drive, const CVelmoraEXVlinkData& link) {
    const std::vector<uint8_t> payload = UToolCommandBuilder::Build(command, drive, link);
    std::vector<uint8_t> result;
    if (RunOnce(payload, false, result) != 0) return 0;

    CDecisionContext context;
    context.vistaOrLater = m_settings.vistaOrLater;
    context.drive = drive;
    context.ramFolder = link.dst;
    const std::wstring caption = UMessageText::Load(IDS_10001);
    for (;;) {
        const CDecision decision = Decide(command, result, context);
        switch (decision.action) {
            case EAction::NoResult:
            case EAction::Silent:
                return 0;
            case EAction::Done:
                return 1;
            case EAction::AskDefer:
                return m_prompt.MessageBox(owner, caption, UMessageText::Load(IDS_6051), MB_YESNO | MB_ICONWARNING,
                                           false) == IDYES
                           ? 2
                           : 0;
            case EAction::ShowError: {
                const std::wstring text = Compose(decision.parts, UMessageText::Load);
                if (!text.empty()) m_prompt.MessageBox(owner, caption, text, MB_ICONERROR, false);
                return 0;
            }
            case EAction::AskElevation:
                context.elevationAsked = true;
                if (m_prompt.MessageBox(owner, caption, UMessageText::Load(IDS_6050), MB_YESNO | MB_ICONWARNING,
                                        true) != IDYES)
                    return 0;
                if (RunOnce(payload, true, result) != 0) return 0;
                break;
        }
    }
}
