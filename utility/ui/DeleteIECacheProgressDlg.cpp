#include "utility/ui/DeleteIECacheProgressDlg.h"

#include <commctrl.h>

#include <system_error>

#include "utility/core/MessageText.h"
#include "utility/ui/BrowsingDataJobs.h"
#include "utility/ui/resource.h"

CDeleteIECacheProgressDlg::CDeleteIECacheProgressDlg(const CVelmoraIEDeleteSettingData& choice,
                                                     IToolsJobLauncher& launcher, CWnd* parent)
    : CDialog(IDD_IE_DELETE_PROGRESS, parent), m_choice(choice), m_launcher(launcher) {}

CDeleteIECacheProgressDlg::~CDeleteIECacheProgressDlg() {
    if (m_worker.joinable()) m_worker.join();
}

BOOL CDeleteIECacheProgressDlg::OnInitDialog() {
    EnableMenuItem(::GetSystemMenu(m_hWnd, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    ::SendMessageW(GetDlgItem(IDC_IEDELETE_PROGRESS), PBM_SETMARQUEE, TRUE, 50);
    try {
        m_worker = std::thread(&CDeleteIECacheProgressDlg::RunJobs, this, m_hWnd);
    } catch (const std::system_error&) {
        EndDialog(IDCANCEL);
    }
    return TRUE;
}

void CDeleteIECacheProgressDlg::RunJobs(HWND dialog) {
    unsigned shown = 0;
    for (const CBrowsingDataRun& run : UBrowsingDataJobs::Runs(m_choice)) {
        if (run.statusText != shown) {
            shown = run.statusText;
            ::SetDlgItemTextW(dialog, IDC_IEDELETE_STATUS, UMessageText::Load(shown).c_str());
        }
        m_launcher.Run(run.context, run.switchName);
    }
    ::PostMessageW(dialog, kFinishedMessage, 0, 0);
}

LRESULT CDeleteIECacheProgressDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kFinishedMessage) {
        if (m_worker.joinable()) m_worker.join();
        EndDialog(IDOK);
        return 0;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}
