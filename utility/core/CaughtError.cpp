#include "utility/core/CaughtError.h"

#include <windows.h>

#include "framework/FileException.h"

uint32_t UCaughtError::TakeCode(CException* e) {
    uint32_t code = GetLastError();
    if (auto* file = dynamic_cast<CFileException*>(e)) code = static_cast<uint32_t>(file->m_lOsError);
    e->Delete();
    return code;
}
