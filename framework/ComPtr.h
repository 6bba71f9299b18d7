#pragma once
// A COM interface pointer, released with Release.
#include <windows.h>
#include <unknwn.h>

#include "framework/UniqueResource.h"

template <typename I>
struct ComPtrTraits {
    using Type = I*;
    static I* Empty() { return nullptr; }
    static bool IsValid(I* p) { return p != nullptr; }
    static void Release(I* p) { p->Release(); }
};

template <typename I>
class CComPtr : public CUniqueResource<ComPtrTraits<I>> {
public:
    using CUniqueResource<ComPtrTraits<I>>::CUniqueResource;
    I* operator->() const { return this->Get(); }
    // For QueryInterface-style out-parameters.
    void** PutVoid() { return reinterpret_cast<void**>(this->Put()); }
};
