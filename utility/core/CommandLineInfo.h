#pragma once
// The command line split into parameters, each handed to ParseParam. A parameter that begins
// with '/' or '-' is a flag and is passed without that character.
#include <windows.h>

class CCommandLineInfo {
public:
    CCommandLineInfo() = default;
    virtual ~CCommandLineInfo() = default;

    // Splits commandLine (the part after the program name) the way the shell quotes it.
    void ParseCommandLine(LPCWSTR commandLine);

    virtual void ParseParam(LPCWSTR param, BOOL flag, BOOL last);
};
