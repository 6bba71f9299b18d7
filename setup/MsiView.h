#pragma once
// A view on an SQL query of a database.
#include <string>

#include "setup/MsiBase.h"
#include "setup/MsiDatabase.h"
#include "setup/MsiRecode.h"

class CMsiView : public CMsiBase {
public:
    // MsiDatabaseOpenViewW; the installer's result.
    UINT Open(const CMsiDatabase& database, const std::wstring& query);
    UINT Execute();
    // The next record into `record`; ERROR_NO_MORE_ITEMS after the last.
    UINT Fetch(CMsiRecode& record);
};
