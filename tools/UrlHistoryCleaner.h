#pragma once
// Browsing-data job 3: clears the URL history through the system's URL-history object.
#include <windows.h>

namespace UUrlHistoryCleaner {

struct COutcome {
    int result = 0;                    // 1 when the clear call succeeded
    const char* failedCall = nullptr;  // the call that failed, if any
    HRESULT hr = S_OK;
};

COutcome Run();

}  // namespace UUrlHistoryCleaner
