#pragma once
// A Windows Installer handle (database, view, record), closed with MsiCloseHandle.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include "framework/UniqueResource.h"

struct MsiHandleTraits {
    using Type = MSIHANDLE;
    static MSIHANDLE Empty() { return 0; }
    static bool IsValid(MSIHANDLE h) { return h != 0; }
    static void Release(MSIHANDLE h) { ::MsiCloseHandle(h); }
};

class CMsiHandle : public CUniqueResource<MsiHandleTraits> {
public:
    using CUniqueResource::CUniqueResource;
};
