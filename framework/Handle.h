#pragma once
// A kernel object handle (file, event, process, thread, pipe, token...), closed with
// CloseHandle. Both null and INVALID_HANDLE_VALUE count as no handle.
#include <windows.h>

#include "framework/UniqueResource.h"

struct HandleTraits {
    using Type = HANDLE;
    static HANDLE Empty() { return nullptr; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Release(HANDLE h) { ::CloseHandle(h); }
};

class CHandle : public CUniqueResource<HandleTraits> {
public:
    using CUniqueResource::CUniqueResource;
};
