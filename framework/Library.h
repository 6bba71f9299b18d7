#pragma once
// A library loaded at run time, freed with FreeLibrary; entry points are looked up by name and
// may be absent (functions of newer Windows versions).
#include <windows.h>

#include "framework/UniqueResource.h"

struct LibraryTraits {
    using Type = HMODULE;
    static HMODULE Empty() { return nullptr; }
    static bool IsValid(HMODULE m) { return m != nullptr; }
    static void Release(HMODULE m) { ::FreeLibrary(m); }
};

class CLibrary : public CUniqueResource<LibraryTraits> {
public:
    using CUniqueResource::CUniqueResource;
    explicit CLibrary(const wchar_t* name) : CUniqueResource(::LoadLibraryW(name)) {}

    // The entry point `name` (or an ordinal through MAKEINTRESOURCEA) as `Fn`; null if absent.
    template <typename Fn>
    Fn Proc(const char* name) const {
        if (!IsValid()) return nullptr;
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(Get(), name)));
    }
};
