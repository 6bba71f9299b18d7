#pragma once
// Texts of the messages the tasks, the manager and their callers show, one function per
// message-table id, with their inserts filled in.
#include <cstdint>
#include <string>

namespace UTaskMessages {

// The system's text for a Windows error code as FormatMessageW gives it (from the system, no
// inserts, default language, at most 512 characters); empty when the system has none.
std::wstring SystemText(uint32_t errorCode);

// 4002: no room for the backup image on the drive with that letter.
std::wstring NoSpaceForBackup(wchar_t driveLetter);
// 4103: the formatter failed with error value.
std::wstring FormatFailed(int error);
// 4115: error while creating the backup image; systemText is SystemText of the error.
std::wstring BackupCreateFailed(const std::wstring& systemText);
// 4119: error while moving the backup image.
std::wstring BackupMoveFailed(const std::wstring& systemText);

std::wstring DisableLosesData();         // 4112
std::wstring RunningInImageMode();       // 4120
std::wstring RestartForNewSettings();    // 4124
std::wstring OtherOperationRunning();    // 6000
std::wstring Deleted();                  // 6002
std::wstring RestartToDelete();          // 6025
std::wstring RestartToFinishDeletion();  // 6059

}  // namespace UTaskMessages
