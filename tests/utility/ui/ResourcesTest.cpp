// The compiled resources: every message text by id, the icon, the tray menu, the bitmaps and
// the version block, read back through the same calls the programs use.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "utility/core/MessageText.h"
#include "utility/ui/resource.h"

namespace {

struct Expected {
    UINT id;
    const wchar_t* text;
};

// The message table as the programs must show it (an independent copy of the texts).
const Expected kStrings[] = {
    {3006, L"現在バックアップ中のためボタンを押さずにそのままお待ちください"},
    {3010, L"バックアップするディレクトリを選択してください"},
    {3100, L"自動"},
    {3101, L"閉じる(&C)"},
    {3103, L"WriteBack"},
    {3104, L"WriteThrough"},
    {3105,
     L"ディスク容量、フォーマットが変更されたため現在のドライブを削除します。ディスク内のデータは全て失われます。続行し"
     L"ますか？"},
    {3107, L"%I64dMB"},
    {3108, L"----"},
    {3109, L"しない"},
    {3110, L"インターネット一時ファイル、履歴の設定を変更しました。\n次回ログオン時から有効になります。"},
    {3202, L"無効"},
    {3203, L"設定なし"},
    {3204, L"有効にしています..."},
    {3205, L"無効にしています..."},
    {3206, L"作成しています..."},
    {3207, L"保存しています..."},
    {3208, L"設定変更中..."},
    {3210, L"%c:(イメージ)"},
    {3211, L"ドライブレター ： %c:\n容量 ： %I64dMB"},
    {3212, L"無効にしました"},
    {3214, L"エラーがおきました\n%s"},
    {3215, L"作成しています..."},
    {3217,
     L"RAMディスクを有効にできませんでした。\n再試行するか、バックアップを行わない設定に変更して続行してください。"},
    {4001,
     L"システムメモリーが%"
     L"dMB以下です。\nWindowsのパフォーマンスが低下する可能性があるためRAMディスクを有効にできません。\nメモリーを増設"
     L"してください。"},
    {4002,
     L"ドライブの空き容量が不足しているためバックアップファイルが作成できません\n%c:"
     L"ドライブの空き容量を増やしてください。"},
    {4003, L"メモリーが不足しています。\n%dMB以下に設定するか、メモリーを増設してください。"},
    {4004, L"%dMB以上、%dMB以下を設定してください。"},
    {4005,
     L"利用可能メモリーが%"
     L"dMB以下です。\nWindowsのパフォーマンスが低下する可能性があるためRAMディスクを有効にできません。\nメモリーを増設"
     L"してください。"},
    {4100, L"無効にできません。"},
    {4101, L"有効にできません。"},
    {4103, L"フォーマットに失敗しました。(%d)"},
    {4105, L"メモリーが不足しています。"},
    {4106, L"RAMディスクを利用中のソフトウェアがあるため、無効にすることができません。"},
    {4111,
     L"バックアップを行わない設定が選択されました。ログオフ時にディスク内のデータは全て失われます。\nまた、RAMディスク"
     L"にソフトをインストールした場合は、アンインストールできなくなる場合があります。\n続行しますか？"},
    {4112, L"現在のドライブを無効にします。ディスク内のデータは全て失われます。続行しますか？"},
    {4113, L"バックアップ先を指定してください"},
    {4114, L"RAMディスクをバックアップ先として指定することはできません。\n他のドライブを指定してください。"},
    {4115, L"バックアップファイルの作成中にエラーが発生しました。\n%s"},
    {4116, L"バックアップファイルを保存できませんでした。\n保存せずにRAMディスクを無効にしますか？"},
    {4118, L"バックアップファイルを保存できませんでした。\n再試行しますか？"},
    {4119, L"バックアップファイルの移動中にエラーが発生しました。\n%s"},
    {4120,
     L"Windowsやその他ソフトウェアにて多くのメモリーが使用された為、指定容量のRAMディスクを作成できませんでした。\n現在"
     L"は一時的に仮想ディスクモードで動作しており、パフォーマンスが悪くなっております。\nRAMディスク容量を少なめに再設"
     L"定してください。"},
    {4121, L"メモリーが不足しているため、RAMディスクを有効にできませんでした。"},
    {4123,
     L"Internet "
     L"Explorerのインターネット一時ファイル、履歴の設定を変更するには、コンピュータを再起動する必要があります。\n今すぐ"
     L"再起動しますか？"},
    {4124,
     L"RAMディスクを利用中のソフトウェアがあるため、新しい設定を有効にするには、コンピュータを再起動する必要があります"
     L"。\n今すぐ再起動しますか？"},
    {4125,
     L"Internet "
     L"Explorerのインターネット一時ファイルをRAMディスクに設定する場合、起動時にRAMディスクを有効にする必要があります。"
     L"\n起動時にRAMディスクを有効にしますか？"},
    {4126,
     L"Internet "
     L"Explorerのインターネット一時ファイルをRAMディスクに設定にしているため、起動時にRAMディスクを有効にしておく必要が"
     L"あります。\nインターネット一時ファイルの設定をオフにしますか？"},
    {4210, L"インターネット一時ファイルを削除しています..."},
    {4211, L"Cookieを削除しています..."},
    {4212, L"履歴を削除しています..."},
    {4213, L"URL入力履歴を削除しています..."},
    {4220, L"インターネット閲覧の履歴を削除しました。"},
    {5000, L"RAMディスク"},
    {5001, L"ディスク容量"},
    {5002, L"使用メモリー"},
    {5003, L"バックアップ"},
    {5004, L"未保存容量"},
    {5005, L"No"},
    {5006, L"リンク元フォルダ"},
    {5007, L"リンク先フォルダ"},
    {5100, L"RAMディスク(%s)のプロパティ"},
    {5101, L"新規"},
    {5105, L"選択中のRAMディスクを削除します。よろしいですか？"},
    {6000, L"他の処理の実行中です\n操作の前に処理中でないことを確認し、もう一度設定してください。"},
    {6001, L"削除しています..."},
    {6002, L"削除しました"},
    {6003, L"仮想リンクを作成する元フォルダを選択してください。"},
    {6005, L"仮想リンク"},
    {6006, L"選択中の仮想リンクを削除します。よろしいですか？"},
    {6007, L"バックアップ先は他の設定と同じ場所にはできません。"},
    {6008, L"仮想リンクに設定するフォルダを指定してください。"},
    {6009, L"指定したドライブは仮想リンクに対応していません。"},
    {6010, L"RAMディスクに仮想リンクは設定できません。"},
    {6011, L"フォルダが見つかりません。\n存在するフォルダを指定してください。"},
    {6012, L"このフォルダは既に仮想リンクに設定されています。"},
    {6013, L"Internet Explorerのインターネット一時ファイルは他のドライブに設定されています。"},
    {6014, L"Internet Explorerの履歴は他のドライブに設定されています。"},
    {6015, L"Mozilla Firefoxのインターネット一時ファイルは他のドライブに設定されています。"},
    {6016, L"Mozilla Firefoxをインストールしてから設定してください。"},
    {6017, L"Mozilla Firefox起動中は設定を変更できません。"},
    {6018, L"Google Chrome起動中は設定を変更できません。"},
    {6019, L"Google Chromeのキャッシュフォルダが見つかりません。"},
    {6020, L"Google Chromeのキャッシュは他のドライブに設定されています。"},
    {6021, L"Google Chromeのキャッシュは他で仮想リンクに設定されています。"},
    {6022, L"このOSはGoogle Chromeのキャッシュを設定できません。"},
    {6023, L"Google Chromeのキャッシュを設定するには、バックアップをする設定に変更してください。"},
    {6025, L"RAMディスクを削除するには再起動が必要です。\n今すぐ再起動しますか？"},
    {6026, L"未設定"},
    {6050,
     L"アクセスは拒否されました。\n操作を続行するには管理者のアクセス許可を提供する必要があります。\n続行しますか？"},
    {6051,
     L"別のプログラムがこのフォルダを開いているので、仮想リンクの作成を完了できません。\n次回のRAMディスク有効時に、再"
     L"度実行するようにしますか？"},
    {6052, L"RAMディスクにコピーできません。(0x%X)"},
    {6053, L"バックアップを作成できません。(0x%X)"},
    {6054, L"仮想リンクを作成できません。(0x%X)"},
    {6055, L"RAMディスクにコピーしたフォルダを削除できません。(0x%X)"},
    {6056, L"バックアップを元に戻せません。(0x%X)"},
    {6057, L"仮想リンクを削除できません。(0x%X)"},
    {6058, L"次回有効時に設定します"},
    {6059,
     L"RAMディスクを利用中のソフトウェアがあるため、設定の削除を完了するには、コンピュータを再起動する必要があります。"
     L"\n今すぐ再起動しますか？"},
    {6060,
     L"別のプログラムがこのフォルダを開いているので、操作を完了できません。\nフォルダを閉じてから再実行してください。\n"
     L"\n%s"},
    {6061, L"仮想リンクを作成するには、バックアップをする設定に変更してください。"},
    {6062, L"RAMディスクが無効のため、仮想リンクの設定は変更できません。"},
    {6063, L"Google Chromeのキャッシュが設定されているため、バックアップは必要です。"},
    {6064, L"仮想リンクが設定されているため、バックアップは必要です。"},
    {6065, L"NTFSを使用できないディスク容量です。\nフォーマットをFATに設定します。"},
    {6066, L"シャットダウン処理はキャンセルされました。"},
    {7000, L"メモリーが不足しています。\nバックアップファイルを使用してもう一度有効にします。"},
    {7004, L"キャンセル"},
    {7005, L"%d/%dMB"},
    {10000, L"VelmoraEX Version 1.1.0"},
    {10001, L"VelmoraEX"},
    {10002, L"VelmoraEX"},
    {10003, L"VelmoraEXの状態"},
    {10005, L"VelmoraEX RAMディスク"},
    {10006, L"VelmoraEX RAMディスクを有効にしました"},
    {10007, L"VelmoraEX RAMディスクを作成しました"},
    {10008, L"VelmoraEX RAMディスクを作成しました"},
};

TEST(MessageTable, EveryIdLoadsItsExactText) {
    for (const Expected& e : kStrings) {
        EXPECT_EQ(UMessageText::Load(e.id), std::wstring(e.text)) << "string " << e.id;
    }
}

TEST(MessageTable, LineBreaksAreRealNewlines) {
    const std::wstring text = UMessageText::Load(IDS_3211);
    ASSERT_EQ(text.find(L'\\'), std::wstring::npos);
    EXPECT_EQ(text, L"ドライブレター ： %c:\n容量 ： %I64dMB");
    // 6060 has an empty line before its argument.
    const std::wstring t6060 = UMessageText::Load(IDS_6060);
    EXPECT_NE(t6060.find(L"\n\n%s"), std::wstring::npos);
}

TEST(MessageTable, UnknownIdsAreEmptyAndTheTableHasNoStrays) {
    EXPECT_TRUE(UMessageText::Load(4999).empty());
    EXPECT_TRUE(UMessageText::Load(1).empty());
    // Every id of the blocks the table occupies is either expected or absent.
    std::vector<UINT> expected;
    for (const Expected& e : kStrings) expected.push_back(e.id);
    for (UINT id = 3000; id < 10100; ++id) {
        if (id == 7100) id = 10000;
        const bool known = std::find(expected.begin(), expected.end(), id) != expected.end();
        if (!known) {
            EXPECT_TRUE(UMessageText::Load(id).empty()) << "unexpected string " << id;
        }
    }
}

// The placeholder formatter over the table's own patterns and the edge cases around them.
TEST(MessageTable, FormatFillsEachPlaceholderKindInOrder) {
    using UMessageText::Fill;
    using UMessageText::Format;
    EXPECT_EQ(Format(IDS_3211, {L'R', int64_t{8192}}), L"ドライブレター ： R:\n容量 ： 8192MB");
    EXPECT_EQ(Format(IDS_4004, {1, 3839}), L"1MB以上、3839MB以下を設定してください。");
    EXPECT_EQ(Format(IDS_4002, {L'D'}),
              L"ドライブの空き容量が不足しているためバックアップファイルが作成できません\nD:"
              L"ドライブの空き容量を増やしてください。");
    EXPECT_EQ(Format(IDS_3214, {L"有効にできません。(-1)"}), L"エラーがおきました\n有効にできません。(-1)");
    EXPECT_EQ(Format(IDS_6052, {0x80070005u}), L"RAMディスクにコピーできません。(0x80070005)");
    EXPECT_EQ(Format(IDS_6054, {-2147024891}), L"仮想リンクを作成できません。(0x80070005)");

    EXPECT_EQ(Fill(L"%d/%d", {7}), L"7/%d");                    // missing inserts leave their placeholders
    EXPECT_EQ(Fill(L"%d", {1, 2}), L"1");                       // extra inserts are ignored
    EXPECT_EQ(Fill(L"100%% %s", {L"x"}), L"100% x");            // an escaped percent sign takes no insert
    EXPECT_EQ(Fill(L"%q%s", {L"y"}), L"%qy");                   // an unknown form is text
    EXPECT_EQ(Fill(L"%s and %s", {L"%d", L"z"}), L"%d and z");  // inserted text is not read again
    EXPECT_EQ(Fill(L"%c%c", {L'a', 98}), L"a98");               // a number in a character's place is written out
    EXPECT_EQ(Fill(L"%I64d", {int64_t{-9000000000}}), L"-9000000000");
    EXPECT_EQ(Fill(L"%s", {std::wstring()}), L"");
    EXPECT_EQ(Fill(L"end %", {L"x"}), L"end %");
}

TEST(MessageTable, FixedBufferLoadMatchesAccessor) {
    wchar_t buffer[512] = {};
    const int n = LoadStringW(GetModuleHandleW(nullptr), IDS_3006, buffer, 512);
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::wstring(buffer, n), UMessageText::Load(IDS_3006));
    EXPECT_EQ(std::wstring(buffer), L"現在バックアップ中のためボタンを押さずにそのままお待ちください");
}

TEST(Icon, LoadsAtSmallAndLargeSizes) {
    const HINSTANCE self = GetModuleHandleW(nullptr);
    for (int size : {16, 32}) {
        HICON icon = static_cast<HICON>(LoadImageW(self, MAKEINTRESOURCEW(IDI_VELMORAEX), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm = {};
        ASSERT_TRUE(GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm));
        EXPECT_EQ(bm.bmWidth, size);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    EXPECT_EQ(IDI_VELMORAEX, 128);
}

std::wstring MenuText(HMENU menu, UINT position) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
    return text;
}

TEST(TrayMenu, HoldsTheFourItemsInOrder) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(130));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    EXPECT_EQ(MenuText(menu, 0), L"TaskTray");
    HMENU sub = GetSubMenu(menu, 0);
    ASSERT_NE(sub, nullptr);
    ASSERT_EQ(GetMenuItemCount(sub), 4);
    EXPECT_EQ(GetMenuItemID(sub, 0), 32772u);
    EXPECT_EQ(MenuText(sub, 0), L"無効にする");
    EXPECT_EQ(GetMenuItemID(sub, 1), 32771u);
    EXPECT_EQ(MenuText(sub, 1), L"有効にする");
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    ASSERT_TRUE(GetMenuItemInfoW(sub, 2, TRUE, &info));
    EXPECT_TRUE(info.fType & MFT_SEPARATOR);
    EXPECT_EQ(GetMenuItemID(sub, 3), 32773u);
    EXPECT_EQ(MenuText(sub, 3), L"状態");
    // What the tray window does before showing it: 32771, 32772, then the separator go.
    ASSERT_TRUE(DeleteMenu(sub, ID_TRAY_ENABLE, MF_BYCOMMAND));
    ASSERT_TRUE(DeleteMenu(sub, ID_TRAY_DISABLE, MF_BYCOMMAND));
    ASSERT_TRUE(DeleteMenu(sub, 0, MF_BYPOSITION));
    ASSERT_EQ(GetMenuItemCount(sub), 1);
    EXPECT_EQ(GetMenuItemID(sub, 0), 32773u);
    DestroyMenu(menu);
}

TEST(Bitmaps, BothLoadWithWhiteKeyColourPresent) {
    for (UINT id : {135u, 141u}) {
        HBITMAP bitmap = static_cast<HBITMAP>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(bitmap, nullptr) << id;
        BITMAP bm = {};
        ASSERT_TRUE(GetObjectW(bitmap, sizeof bm, &bm));
        EXPECT_GE(bm.bmWidth, 16) << id;
        EXPECT_GE(bm.bmHeight, 16) << id;
        // The corner pixel is the white background (141 is drawn with white as transparent).
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255)) << id;
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
}

std::wstring VersionValue(const std::vector<BYTE>& block, const wchar_t* name) {
    wchar_t path[128];
    wsprintfW(path, L"\\StringFileInfo\\041104b0\\%s", name);
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path, &value, &length) || !value) return L"";
    return static_cast<const wchar_t*>(value);
}

TEST(Version, CarriesProductNameAndProjectVersion) {
    wchar_t self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(self, &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(self, 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(1, 1));
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(1, 1));
    EXPECT_EQ(VersionValue(block, L"ProductName"), L"VelmoraEX");
    EXPECT_EQ(VersionValue(block, L"ProductVersion"), L"1.1.0.0");
    EXPECT_EQ(VersionValue(block, L"FileVersion"), L"1.1.0.0");
}

}  // namespace
