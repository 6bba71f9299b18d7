#pragma once
// Texts the operation sequencer shows, one function per message-table id, with their inserts
// filled in (loaded through UMessageText). Texts shared with the tasks and the manager come from UTaskMessages.
#include <cstdint>
#include <string>

namespace USequencerMessages {

std::wstring AppTitle();        // 10001
std::wstring DiskTitle();       // 10005
std::wstring EnabledTitle();    // 10006
std::wstring CreatedTitle();    // 10007
std::wstring RecreatedTitle();  // 10008
// 3211: drive letter and size in MiB of a disk just enabled.
std::wstring DiskMounted(wchar_t letter, int64_t sizeMiB);
std::wstring Disabled();                                 // 3212
std::wstring BrowserCacheMoved();                        // 3110
std::wstring CannotDisable();                            // 4100
std::wstring CannotEnable();                             // 4101
std::wstring OutOfMemory();                              // 4105
std::wstring DiskInUse();                                // 4106
std::wstring ErrorOccurred(const std::wstring& detail);  // 3214
std::wstring RestartForBrowserCache();                   // 4123
std::wstring ImageUnreadable();                          // 3217
std::wstring MemoryShortNoImage();                       // 4121
std::wstring SaveFailedOnDisable();                      // 4116
std::wstring SaveFailedOnChange();                       // 4118
std::wstring RetryingInImageMode();                      // 7000: notice before the second mount attempt

// A driver error as the user sees it: base for 0, 4105 for 0x1000, 4106 for 0x6001, otherwise
// base followed by "(code)" inside 3214.
std::wstring DriverError(const std::wstring& base, int32_t result);

}  // namespace USequencerMessages
