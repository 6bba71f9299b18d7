#pragma once
// Owns one system resource and releases it once, in its destructor or on Reset. Movable, not
// copyable. Traits give the empty value, what counts as valid, and how to release:
//   struct Traits { using Type = ...; static Type Empty(); static bool IsValid(Type);
//                   static void Release(Type); };
#include <utility>

template <typename Traits>
class CUniqueResource {
public:
    using Type = typename Traits::Type;

    CUniqueResource() : m_value(Traits::Empty()) {}
    explicit CUniqueResource(Type value) : m_value(value) {}
    ~CUniqueResource() { Reset(); }

    CUniqueResource(const CUniqueResource&) = delete;
    CUniqueResource& operator=(const CUniqueResource&) = delete;
    CUniqueResource(CUniqueResource&& other) noexcept : m_value(other.Detach()) {}
    CUniqueResource& operator=(CUniqueResource&& other) noexcept {
        if (this != &other) Reset(other.Detach());
        return *this;
    }

    Type Get() const { return m_value; }
    bool IsValid() const { return Traits::IsValid(m_value); }
    explicit operator bool() const { return IsValid(); }

    // Releases what is held and takes `value` instead.
    void Reset(Type value = Traits::Empty()) {
        Type old = std::exchange(m_value, value);
        if (Traits::IsValid(old)) Traits::Release(old);
    }
    // Gives up ownership without releasing.
    Type Detach() { return std::exchange(m_value, Traits::Empty()); }
    // For out-parameters of creating calls: releases what is held, then the address to fill.
    Type* Put() {
        Reset();
        return &m_value;
    }

private:
    Type m_value;
};
