#pragma once
// The choice of the Internet Explorer browsing data to delete: four check boxes remembered in
// "IEDelete.ini"; the delete button runs the progress dialog, stores the choice and says it is done.
#include "framework/Dialog.h"
#include "utility/core/VelmoraIEDeleteSettingData.h"

class ITrayPrompt;
class IToolsJobLauncher;

class CDeleteIECacheDlg : public CDialog {
public:
    CDeleteIECacheDlg(ITrayPrompt& prompt, IToolsJobLauncher& launcher, CWnd* parent = nullptr);

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;

private:
    CVelmoraIEDeleteSettingData Choice() const;
    void UpdateDeleteButton();

    ITrayPrompt& m_prompt;
    IToolsJobLauncher& m_launcher;
};
