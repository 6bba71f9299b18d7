#pragma once
// Shows a marquee while a worker thread runs the tools program once per chosen kind and context;
// the worker's last message ends the dialog with IDOK. It cannot be closed meanwhile.
#include <thread>

#include "framework/Dialog.h"
#include "utility/core/VelmoraIEDeleteSettingData.h"

class IToolsJobLauncher;

class CDeleteIECacheProgressDlg : public CDialog {
public:
    // Posted by the worker when every run has ended.
    static const UINT kFinishedMessage = WM_APP + 1;

    CDeleteIECacheProgressDlg(const CVelmoraIEDeleteSettingData& choice, IToolsJobLauncher& launcher,
                              CWnd* parent = nullptr);
    ~CDeleteIECacheProgressDlg() override;

protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Closing by hand is not offered: the runs end the dialog.
    void OnCancel() override {}

private:
    void RunJobs(HWND dialog);

    CVelmoraIEDeleteSettingData m_choice;
    IToolsJobLauncher& m_launcher;
    std::thread m_worker;
};
