#pragma once
// A device information set from SetupDiGetClassDevsW, destroyed with
// SetupDiDestroyDeviceInfoList.
#include <windows.h>
#include <setupapi.h>

#include "framework/UniqueResource.h"

struct DeviceInfoListTraits {
    using Type = HDEVINFO;
    static HDEVINFO Empty() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HDEVINFO h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Release(HDEVINFO h) { ::SetupDiDestroyDeviceInfoList(h); }
};

class CDeviceInfoList : public CUniqueResource<DeviceInfoListTraits> {
public:
    using CUniqueResource::CUniqueResource;
};
