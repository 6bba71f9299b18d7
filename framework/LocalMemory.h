#pragma once
// Memory from LocalAlloc, or handed out by a system call that says to free it with LocalFree
// (security descriptors, ACLs, CommandLineToArgvW, FormatMessageW buffers).
#include <windows.h>

#include "framework/UniqueResource.h"

template <typename T>
struct LocalMemoryTraits {
    using Type = T;
    static T Empty() { return nullptr; }
    static bool IsValid(T p) { return p != nullptr; }
    static void Release(T p) { ::LocalFree(reinterpret_cast<HLOCAL>(p)); }
};

// T is the pointer type held, such as PSECURITY_DESCRIPTOR, PACL or LPWSTR*.
template <typename T>
class CLocalMemory : public CUniqueResource<LocalMemoryTraits<T>> {
public:
    using CUniqueResource<LocalMemoryTraits<T>>::CUniqueResource;
};
