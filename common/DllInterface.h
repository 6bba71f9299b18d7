#pragma once
// A system library loaded at run time: its name, its module handle (null while not
// loaded) and the entry points a derived class resolves from it.
#include <windows.h>

#include <string>

#include "framework/Library.h"

class CDllInterface {
public:
    explicit CDllInterface(const wchar_t* name);
    virtual ~CDllInterface();

    // LoadLibraryW, then resolve; when resolving fails the library is freed again.
    bool Load();
    // Forgets the entry points and frees the library.
    void Unload();

    bool IsLoaded() const { return m_module.IsValid(); }
    HMODULE Module() const { return m_module.Get(); }
    const std::wstring& Name() const { return m_name; }

    // True when every entry point the library must offer was found.
    virtual bool Resolve() = 0;
    virtual void Forget() = 0;

protected:
    // The entry point name of the loaded library as a function pointer; null if absent.
    template <typename Fn>
    Fn Lookup(const char* entry) const {
        return m_module.Proc<Fn>(entry);
    }

private:
    CDllInterface(const CDllInterface&) = delete;
    CDllInterface& operator=(const CDllInterface&) = delete;

    std::wstring m_name;
    CLibrary m_module;
};
