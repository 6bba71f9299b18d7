#include "framework/File.h"

#include "framework/FileException.h"

CFile::CFile() : m_hFile(hFileNull) {}

CFile::~CFile() {
    if (IsOpen()) Abort();
}

void CFile::ThrowOsError(long osError) const {
    throw new CFileException(CFileException::OsErrorToException(osError), osError, m_strFileName);
}
