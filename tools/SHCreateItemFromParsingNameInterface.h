#pragma once
// Shell32's SHCreateItemFromParsingName, looked up at run time: present from Windows Vista on,
// where the shell's IFileOperation is used for folder work. One instance per process.
#include <windows.h>
#include <shobjidl.h>

#include "common/DllInterface.h"

class CSHCreateItemFromParsingNameInterface : public CDllInterface {
public:
    using Function = HRESULT(WINAPI*)(PCWSTR path, IBindCtx* context, REFIID iid, void** item);

    static CSHCreateItemFromParsingNameInterface& Instance();

    bool Resolve() override;
    void Forget() override;

    // Null until loaded, and where the system lacks the function.
    Function SHCreateItemFromParsingName() const { return m_function; }

private:
    CSHCreateItemFromParsingNameInterface() : CDllInterface(L"Shell32.DLL") {}

    Function m_function = nullptr;
};
