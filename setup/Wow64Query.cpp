#include "setup/Wow64Query.h"

#include <windows.h>

#include "framework/Library.h"

bool CProcessWow64Query::IsWow64() {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    CLibrary kernel32(L"kernel32");
    auto isWow64Process = kernel32.Proc<IsWow64ProcessFn>("IsWow64Process");
    BOOL wow64 = FALSE;
    if (isWow64Process == nullptr || !isWow64Process(::GetCurrentProcess(), &wow64)) return false;
    return wow64 != FALSE;
}
