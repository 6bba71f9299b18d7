#pragma once
// The utility's three virtual-link operations through the tools program: each runs one
// command on a fresh server, reads its result record and tells the user what the record says,
// asking at most once per operation whether to retry with administrator rights.
#include <windows.h>

#include <string>

#include "common/ToolResultRecords.h"
#include "common/VelmoraEXVlinkData.h"

class IElevatedStart;
class IToolCmdPrompt;

class CToolLinkCommands {
public:
    struct CSettings {
        std::wstring toolsPath;  // the tools program
        bool vistaOrLater = true;
        IElevatedStart* elevatedStart = nullptr;  // the administrator start ("runas" when null)
    };
    // The tools program beside this program, the system's version, the "runas" start.
    explicit CToolLinkCommands(IToolCmdPrompt& prompt);
    CToolLinkCommands(IToolCmdPrompt& prompt, const CSettings& settings);

    // 1 linked; 2 the folder is in use and the user wants the link made at the next enable of
    // the RAM disk; 0 failed (after the messages).
    int CreateLink(HWND owner, wchar_t drive, const CVelmoraEXVlinkData& link);
    // 1 removed; 0 failed (after the messages).
    int RemoveLink(HWND owner, wchar_t drive, const CVelmoraEXVlinkData& link);
    // 1 linked; 0 failed (no message, unless the elevation question).
    int Relink(HWND owner, wchar_t drive, const CVelmoraEXVlinkData& link);

private:
    int Execute(EToolCommand command, HWND owner, wchar_t drive, const CVelmoraEXVlinkData& link);
    // One exchange with a fresh server: Run's result, the record in result.
    int RunOnce(const std::vector<uint8_t>& payload, bool elevated, std::vector<uint8_t>& result);

    IToolCmdPrompt& m_prompt;
    CSettings m_settings;
};
