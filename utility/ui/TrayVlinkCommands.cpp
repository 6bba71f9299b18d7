#include "utility/ui/TrayVlinkCommands.h"

#include "utility/tools_channel/ToolLinkCommands.h"
#include "utility/ui/TrayToolCmdPrompt.h"
#include "utility/ui/VMUTaskTrayWnd.h"

int CTrayVlinkCommands::CreateLink(wchar_t drive, const CVelmoraEXVlinkData& link) {
    CTrayToolCmdPrompt prompt(m_tray.Prompt());
    return CToolLinkCommands(prompt).CreateLink(m_tray.GetSafeHwnd(), drive, link);
}

int CTrayVlinkCommands::RemoveLink(wchar_t drive, const CVelmoraEXVlinkData& link) {
    CTrayToolCmdPrompt prompt(m_tray.Prompt());
    return CToolLinkCommands(prompt).RemoveLink(m_tray.GetSafeHwnd(), drive, link);
}

int CTrayVlinkCommands::Relink(wchar_t drive, const CVelmoraEXVlinkData& link) {
    CTrayToolCmdPrompt prompt(m_tray.Prompt());
    return CToolLinkCommands(prompt).Relink(m_tray.GetSafeHwnd(), drive, link);
}
