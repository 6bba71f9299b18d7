#pragma once
// An installer package database, opened read-only.
#include <string>

#include "setup/MsiBase.h"

class CMsiDatabase : public CMsiBase {
public:
    // MsiOpenDatabaseW with MSIDBOPEN_READONLY; the installer's result.
    UINT Open(const std::wstring& path);
};
