#include "utility/ui/SequencerMessages.h"

#include "utility/core/MessageText.h"
#include "utility/disk/RamDiskStatus.h"
#include "utility/ui/resource.h"

namespace USequencerMessages {

using UMessageText::Format;
using UMessageText::Load;

std::wstring AppTitle() { return Load(IDS_10001); }
std::wstring DiskTitle() { return Load(IDS_10005); }
std::wstring EnabledTitle() { return Load(IDS_10006); }
std::wstring CreatedTitle() { return Load(IDS_10007); }
std::wstring RecreatedTitle() { return Load(IDS_10008); }
std::wstring DiskMounted(wchar_t letter, int64_t sizeMiB) { return Format(IDS_3211, {letter, sizeMiB}); }
std::wstring Disabled() { return Load(IDS_3212); }
std::wstring BrowserCacheMoved() { return Load(IDS_3110); }
std::wstring CannotDisable() { return Load(IDS_4100); }
std::wstring CannotEnable() { return Load(IDS_4101); }
std::wstring OutOfMemory() { return Load(IDS_4105); }
std::wstring DiskInUse() { return Load(IDS_4106); }
std::wstring ErrorOccurred(const std::wstring& detail) { return Format(IDS_3214, {detail}); }
std::wstring RestartForBrowserCache() { return Load(IDS_4123); }
std::wstring ImageUnreadable() { return Load(IDS_3217); }
std::wstring MemoryShortNoImage() { return Load(IDS_4121); }
std::wstring SaveFailedOnDisable() { return Load(IDS_4116); }
std::wstring SaveFailedOnChange() { return Load(IDS_4118); }
std::wstring RetryingInImageMode() { return Load(IDS_7000); }

std::wstring DriverError(const std::wstring& base, int32_t result) {
    if (result == 0) return base;
    if (static_cast<uint32_t>(result) == RAMDISK_ERROR_NO_MEMORY) return OutOfMemory();
    if (static_cast<uint32_t>(result) == RAMDISK_ERROR_IN_USE) return DiskInUse();
    return ErrorOccurred(base + L"(" + std::to_wstring(result) + L")");
}

}  // namespace USequencerMessages
