#include "setup/MsiView.h"

UINT CMsiView::Open(const CMsiDatabase& database, const std::wstring& query) {
    return ::MsiDatabaseOpenViewW(database.Handle(), query.c_str(), m_handle.Put());
}

UINT CMsiView::Execute() { return ::MsiViewExecute(Handle(), 0); }

UINT CMsiView::Fetch(CMsiRecode& record) { return ::MsiViewFetch(Handle(), record.m_handle.Put()); }
