#pragma once
// A directory search started by FindFirstFileW, closed with FindClose.
#include <windows.h>

#include "framework/UniqueResource.h"

struct FindHandleTraits {
    using Type = HANDLE;
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Release(HANDLE h) { ::FindClose(h); }
};

class CFindHandle : public CUniqueResource<FindHandleTraits> {
public:
    using CUniqueResource::CUniqueResource;
    // Starts the search for `pattern`; false when nothing matches or the folder is unreadable.
    bool First(const wchar_t* pattern, WIN32_FIND_DATAW& data) {
        Reset(::FindFirstFileW(pattern, &data));
        return IsValid();
    }
    bool Next(WIN32_FIND_DATAW& data) { return IsValid() && ::FindNextFileW(Get(), &data) != FALSE; }
};
