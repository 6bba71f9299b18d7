#pragma once
// Memory the shell or COM hands out to be freed with CoTaskMemFree (item id lists, paths).
#include <windows.h>
#include <objbase.h>

#include "framework/UniqueResource.h"

template <typename T>
struct TaskMemoryTraits {
    using Type = T;
    static T Empty() { return nullptr; }
    static bool IsValid(T p) { return p != nullptr; }
    static void Release(T p) { ::CoTaskMemFree(const_cast<void*>(static_cast<const void*>(p))); }
};

template <typename T>
class CTaskMemory : public CUniqueResource<TaskMemoryTraits<T>> {
public:
    using CUniqueResource<TaskMemoryTraits<T>>::CUniqueResource;
};
