#include "utility/ui/SequencerMessages.h"

#include <cwchar>

#include "utility/disk/RamDiskStatus.h"

namespace USequencerMessages {

std::wstring AppTitle() { return L"VelmoraEX"; }
std::wstring DiskTitle() { return L"VelmoraEX RAMディスク"; }
std::wstring EnabledTitle() { return L"VelmoraEX RAMディスクを有効にしました"; }
std::wstring CreatedTitle() { return L"VelmoraEX RAMディスクを作成しました"; }
std::wstring RecreatedTitle() { return L"VelmoraEX RAMディスクを作成しました"; }

std::wstring DiskMounted(wchar_t letter, int64_t sizeMiB) {
    // "ドライブレター ： %c:\n容量 ： %I64dMB"
    return std::wstring(L"ドライブレター ： ") + letter + L":\n容量 ： " + std::to_wstring(sizeMiB) + L"MB";
}

std::wstring Disabled() { return L"無効にしました"; }

std::wstring BrowserCacheMoved() {
    return L"インターネット一時ファイル、履歴の設定を変更しました。\n次回ログオン時から有効になります。";
}

std::wstring CannotDisable() { return L"無効にできません。"; }
std::wstring CannotEnable() { return L"有効にできません。"; }
std::wstring OutOfMemory() { return L"メモリーが不足しています。"; }
std::wstring DiskInUse() { return L"RAMディスクを利用中のソフトウェアがあるため、無効にすることができません。"; }
std::wstring ErrorOccurred(const std::wstring& detail) { return L"エラーがおきました\n" + detail; }

std::wstring RestartForBrowserCache() {
    return L"Internet Explorerのインターネット一時ファイル、履歴の設定を変更するには、コンピュータを再起動する必要があります。\n"
           L"今すぐ再起動しますか？";
}

std::wstring ImageUnreadable() {
    return L"RAMディスクを有効にできませんでした。\n再試行するか、バックアップを行わない設定に変更して続行してください。";
}

std::wstring MemoryShortNoImage() {
    return L"メモリーが不足しているため、RAMディスクを有効にできませんでした。";
}

std::wstring SaveFailedOnDisable() {
    return L"バックアップファイルを保存できませんでした。\n保存せずにRAMディスクを無効にしますか？";
}

std::wstring SaveFailedOnChange() {
    return L"バックアップファイルを保存できませんでした。\n再試行しますか？";
}

std::wstring RetryingInImageMode() {
    return L"メモリーが不足しています。\nバックアップファイルを使用してもう一度有効にします。";
}

std::wstring StepNotAvailable(const std::wstring& what) {
    return what + L"の処理はまだ利用できません。";
}

std::wstring DriverError(const std::wstring& base, int32_t result) {
    if (result == 0) return base;
    if (static_cast<uint32_t>(result) == RAMDISK_ERROR_NO_MEMORY) return OutOfMemory();
    if (static_cast<uint32_t>(result) == RAMDISK_ERROR_IN_USE) return DiskInUse();
    return ErrorOccurred(base + L"(" + std::to_wstring(result) + L")");
}

}  // namespace USequencerMessages
