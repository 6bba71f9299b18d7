#pragma once
// The utility's command line: any parameter whose first character is S or s (with a slash,
// a dash or bare) asks for a silent start, without the status sheet.
#include "utility/core/CommandLineInfo.h"

class CVMUCommandLineInfo : public CCommandLineInfo {
public:
    void ParseParam(LPCWSTR param, BOOL flag, BOOL last) override;

    BOOL m_bSilent = FALSE;
};
