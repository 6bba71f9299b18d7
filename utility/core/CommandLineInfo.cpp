#include "utility/core/CommandLineInfo.h"

#include <shellapi.h>

#include <string>

void CCommandLineInfo::ParseCommandLine(LPCWSTR commandLine) {
    // A leading program name keeps CommandLineToArgvW's first-argument rules off the parameters.
    std::wstring line = L"program ";
    if (commandLine) line += commandLine;
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(line.c_str(), &count);
    if (!args) return;
    for (int i = 1; i < count; ++i) {
        LPCWSTR param = args[i];
        BOOL flag = param[0] == L'/' || param[0] == L'-';
        ParseParam(flag ? param + 1 : param, flag, i == count - 1);
    }
    LocalFree(args);
}

void CCommandLineInfo::ParseParam(LPCWSTR, BOOL, BOOL) {}
