// The browsing-data deletion dialogs as a user drives them: the remembered choice, the rule of
// the delete button, the runs of the real tools program per choice in their order with the status
// line of each, the close item grayed while they run, the notice at the end and the stored choice.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RecordingPrompt.h"
#include "UiDriver.h"
#include "utility/core/SettingsFile.h"
#include "utility/core/SettingsPaths.h"
#include "utility/disk/DataFolder.h"
#include "utility/ui/BrowsingDataJobs.h"
#include "utility/ui/DeleteIECacheDlg.h"
#include "utility/ui/DeleteIECacheProgressDlg.h"
#include "utility/ui/resource.h"

namespace {

const wchar_t kTitle[] = L"インターネット閲覧の履歴の削除  ";

struct Seen {
    EToolContext context;
    std::wstring switchName, status;
    bool closeGrayed;
};

// Records each run as the progress dialog shows it, then starts the real tools program.
class RecordingLauncher : public IToolsJobLauncher {
public:
    explicit RecordingLauncher(bool real) : m_real(real) {}
    void Run(EToolContext context, const std::wstring& switchName) override {
        HWND dialog = FindWindowW(L"#32770", kTitle);
        wchar_t status[256] = {};
        GetDlgItemTextW(dialog, IDC_IEDELETE_STATUS, status, 256);
        const UINT state = GetMenuState(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND);
        runs.push_back({context, switchName, status, (state & MF_GRAYED) != 0});
        if (m_real) m_system.Run(context, switchName);
    }
    std::vector<Seen> runs;

private:
    bool m_real;
    CToolsJobLauncher m_system;
};

bool IsChecked(HWND dialog, int id) { return SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

}  // namespace

TEST(DeleteIECacheDlg, RemembersTheChoiceEnablesDeleteOnlyWithOneAndRunsTypedUrlsOnce) {
    ASSERT_TRUE(EnsureDataFolder());
    CVelmoraIEDeleteSettingData stored;
    stored.Cache = 1;
    stored.History = 1;
    USettingsFile::WriteIEDelete(USettingsPaths::GetIEDeleteFile(), stored);

    uidriver::RecordingPrompt prompt;
    RecordingLauncher launcher(false);
    CDeleteIECacheDlg dialog(prompt, launcher);
    struct {
        bool boxes[4] = {};
        bool deleteWhenNone = true, deleteWithOne = false;
    } seen;
    uidriver::Script script;
    auto dlg = [] { return FindWindowW(L"#32770", kTitle); };
    script.Add(
        L"choice dialog", [&] { return dlg() != nullptr; },
        [&] {
            HWND d = dlg();
            const int ids[] = {IDC_IEDELETE_CACHE, IDC_IEDELETE_COOKIE, IDC_IEDELETE_HISTORY, IDC_IEDELETE_TYPEDURLS};
            for (int i = 0; i < 4; ++i) seen.boxes[i] = IsChecked(d, ids[i]);
            SendDlgItemMessageW(d, IDC_IEDELETE_CACHE, BM_CLICK, 0, 0);
            SendDlgItemMessageW(d, IDC_IEDELETE_HISTORY, BM_CLICK, 0, 0);
            seen.deleteWhenNone = IsWindowEnabled(GetDlgItem(d, IDOK));
            SendDlgItemMessageW(d, IDC_IEDELETE_TYPEDURLS, BM_CLICK, 0, 0);
            seen.deleteWithOne = IsWindowEnabled(GetDlgItem(d, IDOK));
            uidriver::Click(d, IDOK);
        });
    script.Start(10000, [&] {
        if (HWND d = dlg()) PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_FALSE(script.Failed()) << "waiting for: " << std::string(script.Pending().begin(), script.Pending().end());

    EXPECT_TRUE(seen.boxes[0]);
    EXPECT_FALSE(seen.boxes[1]);
    EXPECT_TRUE(seen.boxes[2]);
    EXPECT_FALSE(seen.boxes[3]);
    EXPECT_FALSE(seen.deleteWhenNone);
    EXPECT_TRUE(seen.deleteWithOne);
    ASSERT_EQ(launcher.runs.size(), 1u);
    EXPECT_EQ(launcher.runs[0].switchName, L"Del_TypedURLs");
    EXPECT_EQ(launcher.runs[0].context, EToolContext::Plain);
    EXPECT_EQ(launcher.runs[0].status, L"URL入力履歴を削除しています...");
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].caption, L"VelmoraEX");
    EXPECT_EQ(prompt.boxes[0].text, L"インターネット閲覧の履歴を削除しました。");
    EXPECT_EQ(prompt.boxes[0].style, static_cast<UINT>(MB_ICONINFORMATION));

    CVelmoraIEDeleteSettingData after;
    USettingsFile::ReadIEDelete(USettingsPaths::GetIEDeleteFile(), after);
    EXPECT_EQ(after.Cache + after.Cookie + after.History, 0);
    EXPECT_EQ(after.TypedUrls, 1);
}

TEST(DeleteIECacheDlg, ProgressRunsTheRealToolsProgramPerKindAndContextInOrder) {
    CVelmoraIEDeleteSettingData all;
    all.Cache = all.Cookie = all.History = all.TypedUrls = 1;
    RecordingLauncher launcher(true);
    CDeleteIECacheProgressDlg progress(all, launcher);
    EXPECT_EQ(progress.DoModal(), IDOK);

    using C = EToolContext;
    const std::wstring cache = L"インターネット一時ファイルを削除しています...", cookie = L"Cookieを削除しています...",
                       history = L"履歴を削除しています...", typed = L"URL入力履歴を削除しています...";
    const std::vector<std::pair<std::wstring, C>> expected = {
        {L"Del_Cache", C::Plain},   {L"Del_Cache", C::LowIntegrity},   {L"Del_Cache", C::AppContainer},
        {L"Del_Cookie", C::Plain},  {L"Del_Cookie", C::LowIntegrity},  {L"Del_Cookie", C::AppContainer},
        {L"Del_History", C::Plain}, {L"Del_History", C::LowIntegrity}, {L"Del_TypedURLs", C::Plain},
    };
    const std::wstring statuses[] = {cache, cache, cache, cookie, cookie, cookie, history, history, typed};
    ASSERT_EQ(launcher.runs.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(launcher.runs[i].switchName, expected[i].first) << i;
        EXPECT_EQ(launcher.runs[i].context, expected[i].second) << i;
        EXPECT_EQ(launcher.runs[i].status, statuses[i]) << i;
        EXPECT_TRUE(launcher.runs[i].closeGrayed) << i;
    }
}
