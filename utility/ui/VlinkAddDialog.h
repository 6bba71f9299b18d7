#pragma once
// Asks for the folder to link onto the RAM disk and checks it; OK gives the new link with its
// RAM-disk folder and backup name.
#include <string>
#include <vector>

#include "common/VelmoraEXVlinkData.h"
#include "framework/Dialog.h"

class CVelmoraEXManager;
class ITrayPrompt;

class CVlinkAddDialog : public CDialog {
public:
    // `links` and `pending`: every link and pending source folder of every disk.
    CVlinkAddDialog(ITrayPrompt& prompt, const CVelmoraEXManager& manager, wchar_t drive,
                    std::vector<CVelmoraEXVlinkData> links, std::vector<std::wstring> pending, CWnd* parent);

    const CVelmoraEXVlinkData& Result() const { return m_result; }

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;

private:
    // The refusal's message-table id for `path` (made full on the way); 0 when it may be linked.
    unsigned Check(std::wstring& path) const;
    void OnBrowse();

    ITrayPrompt& m_prompt;
    const CVelmoraEXManager& m_manager;
    wchar_t m_drive;
    std::vector<CVelmoraEXVlinkData> m_links;
    std::vector<std::wstring> m_pending;
    CVelmoraEXVlinkData m_result;
};
