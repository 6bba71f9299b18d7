#pragma once
// The three link commands as the virtual-link task runs them on the worker thread. Each blocks
// until the tools program has carried out the command and any message about it was answered.
#include "common/VelmoraEXVlinkData.h"

class IVlinkCommands {
public:
    virtual ~IVlinkCommands() = default;
    // 1 linked; 2 the folder is in use and the user wants the link made at the next enable;
    // 0 failed.
    virtual int CreateLink(wchar_t drive, const CVelmoraEXVlinkData& link) = 0;
    // 1 removed; 0 failed.
    virtual int RemoveLink(wchar_t drive, const CVelmoraEXVlinkData& link) = 0;
    // 1 linked; 0 failed.
    virtual int Relink(wchar_t drive, const CVelmoraEXVlinkData& link) = 0;
};
