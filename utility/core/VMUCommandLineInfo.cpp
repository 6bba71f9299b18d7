#include "utility/core/VMUCommandLineInfo.h"

void CVMUCommandLineInfo::ParseParam(LPCWSTR param, BOOL, BOOL) {
    if (param && (param[0] == L'S' || param[0] == L's')) m_bSilent = TRUE;
}
