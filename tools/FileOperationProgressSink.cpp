#include "tools/FileOperationProgressSink.h"

#include <shlwapi.h>

namespace UVelmoraVlink {

STDMETHODIMP CFileOperationProgressSink::QueryInterface(REFIID iid, void** object) {
    static const QITAB kInterfaces[] = {
        QITABENT(CFileOperationProgressSink, IFileOperationProgressSink),
        {nullptr, 0},
    };
    return QISearch(this, kInterfaces, iid, object);
}

STDMETHODIMP_(ULONG) CFileOperationProgressSink::AddRef() { return InterlockedIncrement(&m_references); }

STDMETHODIMP_(ULONG) CFileOperationProgressSink::Release() {
    const LONG left = InterlockedDecrement(&m_references);
    if (left == 0) delete this;
    return left;
}

}  // namespace UVelmoraVlink
