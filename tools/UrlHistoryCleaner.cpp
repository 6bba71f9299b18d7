#include "tools/UrlHistoryCleaner.h"

#include <objbase.h>
#include <urlhist.h>

#include "framework/ComPtr.h"

namespace {
const CLSID kUrlHistory = {0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
const IID kUrlHistoryStg2 = {0xAFA0DC11, 0xC313, 0x11D0, {0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38}};

// CoInitialize for the scope when it succeeded.
class CComScope {
public:
    CComScope() : m_hr(CoInitialize(nullptr)) {}
    ~CComScope() {
        if (SUCCEEDED(m_hr)) CoUninitialize();
    }

private:
    HRESULT m_hr;
};
}  // namespace

namespace UUrlHistoryCleaner {

COutcome Run() {
    CComScope com;
    CComPtr<IUrlHistoryStg2> history;
    COutcome outcome;
    outcome.hr = CoCreateInstance(kUrlHistory, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER, kUrlHistoryStg2,
                                  history.PutVoid());
    if (FAILED(outcome.hr) || !history) {
        outcome.failedCall = "CoCreateInstance";
        return outcome;
    }
    outcome.hr = history->ClearHistory();
    if (FAILED(outcome.hr)) {
        outcome.failedCall = "IUrlHistoryStg2::ClearHistory";
        return outcome;
    }
    outcome.result = 1;
    return outcome;
}

}  // namespace UUrlHistoryCleaner
