#pragma once
// The virtual-link task's commands as the tray window runs them: the tools program beside the
// utility, its message boxes owned by the tray window and shown through the tray's prompt of
// the moment.
#include "utility/core/VlinkCommands.h"

class CVMUTaskTrayWnd;

class CTrayVlinkCommands : public IVlinkCommands {
public:
    explicit CTrayVlinkCommands(CVMUTaskTrayWnd& tray) : m_tray(tray) {}
    int CreateLink(wchar_t drive, const CVelmoraEXVlinkData& link) override;
    int RemoveLink(wchar_t drive, const CVelmoraEXVlinkData& link) override;
    int Relink(wchar_t drive, const CVelmoraEXVlinkData& link) override;

private:
    CVMUTaskTrayWnd& m_tray;
};
