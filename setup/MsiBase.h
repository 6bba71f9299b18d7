#pragma once
// One Windows Installer handle, closed when the object goes.
#include "framework/MsiHandle.h"

class CMsiBase {
public:
    MSIHANDLE Handle() const { return m_handle.Get(); }
    bool IsOpen() const { return m_handle.IsValid(); }
    void Close() { m_handle.Reset(); }

protected:
    CMsiBase() = default;
    ~CMsiBase() = default;
    CMsiHandle m_handle;
};
