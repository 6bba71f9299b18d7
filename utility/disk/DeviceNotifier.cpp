#include "utility/disk/DeviceNotifier.h"

#include <dbt.h>
#include <shlobj.h>

namespace UDeviceNotifier {

namespace {
class CSystemNotifier : public IDeviceNotifier {
public:
    void BroadcastVolume(WPARAM event, wchar_t letter) override {
        DEV_BROADCAST_VOLUME volume{};
        volume.dbcv_size = sizeof(volume);
        volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
        volume.dbcv_unitmask = UnitMask(letter);
        volume.dbcv_flags = 0;
        DWORD recipients = BSM_ALLCOMPONENTS;
        BroadcastSystemMessageW(BSF_POSTMESSAGE | BSF_IGNORECURRENTTASK, &recipients, WM_DEVICECHANGE, event,
                                reinterpret_cast<LPARAM>(&volume));
    }
    void UpdateRoot(wchar_t letter) override {
        wchar_t root[4] = {letter, L':', L'\\', 0};
        SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHW, root, nullptr);
    }
};

CSystemNotifier g_system;
IDeviceNotifier* g_current = &g_system;
}  // namespace

DWORD UnitMask(wchar_t letter) {
    if (letter >= L'a' && letter <= L'z') letter = static_cast<wchar_t>(letter - L'a' + L'A');
    if (letter < L'A' || letter > L'Z') return 0;
    return 1u << (letter - L'A');
}

IDeviceNotifier& Current() { return *g_current; }

IDeviceNotifier* Replace(IDeviceNotifier* notifier) {
    IDeviceNotifier* previous = g_current;
    g_current = notifier ? notifier : &g_system;
    return previous;
}

}  // namespace UDeviceNotifier
