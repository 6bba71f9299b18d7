#include "utility/core/CommandLineInfo.h"

#include <shellapi.h>

#include <string>

#include "framework/LocalMemory.h"

void CCommandLineInfo::ParseCommandLine(LPCWSTR commandLine) {
    // A leading program name keeps CommandLineToArgvW's first-argument rules off the parameters.
    std::wstring line = L"program ";
    if (commandLine) line += commandLine;
    int count = 0;
    const CLocalMemory<LPWSTR*> argv(CommandLineToArgvW(line.c_str(), &count));
    if (!argv) return;
    LPWSTR* args = argv.Get();
    for (int i = 1; i < count; ++i) {
        LPCWSTR param = args[i];
        BOOL flag = param[0] == L'/' || param[0] == L'-';
        ParseParam(flag ? param + 1 : param, flag, i == count - 1);
    }
}

void CCommandLineInfo::ParseParam(LPCWSTR, BOOL, BOOL) {}
