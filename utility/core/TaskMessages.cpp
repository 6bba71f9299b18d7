#include "utility/core/TaskMessages.h"

#include <windows.h>

#include "utility/disk/BackupImage.h"

namespace UTaskMessages {

namespace {
// Replaces the first occurrence of placeholder in text by value.
std::wstring Fill(std::wstring text, const wchar_t* placeholder, const std::wstring& value) {
    size_t at = text.find(placeholder);
    if (at != std::wstring::npos) text.replace(at, wcslen(placeholder), value);
    return text;
}
}  // namespace

std::wstring SystemText(uint32_t errorCode) {
    wchar_t buffer[512];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, errorCode, 0,
                                  buffer, 512, nullptr);
    return std::wstring(buffer, length);
}

// 4002 lives with the free-space check of the backup image, which fills it in.
std::wstring NoSpaceForBackup(wchar_t driveLetter) { return UBackupImage::NoSpaceMessage(driveLetter); }

std::wstring FormatFailed(int error) {
    return Fill(L"フォーマットに失敗しました。(%d)", L"%d", std::to_wstring(error));
}

std::wstring BackupCreateFailed(const std::wstring& systemText) {
    return Fill(L"バックアップファイルの作成中にエラーが発生しました。\n%s", L"%s", systemText);
}

std::wstring BackupMoveFailed(const std::wstring& systemText) {
    return Fill(L"バックアップファイルの移動中にエラーが発生しました。\n%s", L"%s", systemText);
}

std::wstring DisableLosesData() {
    return L"現在のドライブを無効にします。ディスク内のデータは全て失われます。続行しますか？";
}

std::wstring RunningInImageMode() {
    return L"Windowsやその他ソフトウェアにて多くのメモリーが使用された為、指定容量のRAMディスクを作成できませんでした。\n"
           L"現在は一時的に仮想ディスクモードで動作しており、パフォーマンスが悪くなっております。\n"
           L"RAMディスク容量を少なめに再設定してください。";
}

std::wstring RestartForNewSettings() {
    return L"RAMディスクを利用中のソフトウェアがあるため、新しい設定を有効にするには、コンピュータを再起動する必要があります。\n"
           L"今すぐ再起動しますか？";
}

std::wstring OtherOperationRunning() {
    return L"他の処理の実行中です\n操作の前に処理中でないことを確認し、もう一度設定してください。";
}

std::wstring Deleted() { return L"削除しました"; }

std::wstring RestartToDelete() { return L"RAMディスクを削除するには再起動が必要です。\n今すぐ再起動しますか？"; }

std::wstring RestartToFinishDeletion() {
    return L"RAMディスクを利用中のソフトウェアがあるため、設定の削除を完了するには、コンピュータを再起動する必要があります。\n"
           L"今すぐ再起動しますか？";
}

}  // namespace UTaskMessages
