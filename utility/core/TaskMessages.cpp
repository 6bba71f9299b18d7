#include "utility/core/TaskMessages.h"

#include <windows.h>

#include "utility/core/MessageText.h"
#include "utility/ui/resource.h"

namespace UTaskMessages {

using UMessageText::Format;
using UMessageText::Load;

std::wstring SystemText(uint32_t errorCode) {
    wchar_t buffer[512];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, errorCode, 0,
                                  buffer, 512, nullptr);
    return std::wstring(buffer, length);
}

std::wstring NoSpaceForBackup(wchar_t driveLetter) { return Format(IDS_4002, {driveLetter}); }
std::wstring FormatFailed(int error) { return Format(IDS_4103, {error}); }
std::wstring BackupCreateFailed(const std::wstring& systemText) { return Format(IDS_4115, {systemText}); }
std::wstring BackupMoveFailed(const std::wstring& systemText) { return Format(IDS_4119, {systemText}); }
std::wstring DisableLosesData() { return Load(IDS_4112); }
std::wstring RunningInImageMode() { return Load(IDS_4120); }
std::wstring RestartForNewSettings() { return Load(IDS_4124); }
std::wstring OtherOperationRunning() { return Load(IDS_6000); }
std::wstring Deleted() { return Load(IDS_6002); }
std::wstring RestartToDelete() { return Load(IDS_6025); }
std::wstring RestartToFinishDeletion() { return Load(IDS_6059); }

}  // namespace UTaskMessages
