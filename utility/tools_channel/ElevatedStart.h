#pragma once
// Starting the tools program with administrator rights. On Windows this shows the system's
// consent prompt, which neither Wine nor a test can answer: tests pass their own start.
#include <windows.h>

#include <string>

#include "framework/Handle.h"

class IElevatedStart {
public:
    virtual ~IElevatedStart() = default;
    // Starts program; true with its process handle in process.
    virtual bool Start(const std::wstring& program, CHandle& process) = 0;
};

// ShellExecuteExW with the verb "runas", no parameters, SW_SHOWNORMAL, keeping the process.
class CRunasStart : public IElevatedStart {
public:
    bool Start(const std::wstring& program, CHandle& process) override;
    static CRunasStart& Instance();
};
