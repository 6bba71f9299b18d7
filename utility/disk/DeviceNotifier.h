#pragma once
// Volume arrival and removal notices raised around driver commands. Tests replace the sink.
#include <windows.h>

class IDeviceNotifier {
public:
    virtual ~IDeviceNotifier() = default;
    // WM_DEVICECHANGE with a volume record for letter, posted to all recipients.
    virtual void BroadcastVolume(WPARAM event, wchar_t letter) = 0;
    // SHChangeNotify(SHCNE_UPDATEDIR) for the letter's root.
    virtual void UpdateRoot(wchar_t letter) = 0;
};

namespace UDeviceNotifier {

// Unit mask of a drive letter, upper or lower case; 0 for anything that is not a letter.
DWORD UnitMask(wchar_t letter);

IDeviceNotifier& Current();
// Installs a sink (null restores the system one); returns the previous.
IDeviceNotifier* Replace(IDeviceNotifier* notifier);

}  // namespace UDeviceNotifier
