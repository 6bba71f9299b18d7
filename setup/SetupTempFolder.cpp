#include "setup/SetupTempFolder.h"

#include "framework/FindHandle.h"

CSetupTempFolder::~CSetupTempFolder() { Remove(); }

bool CSetupTempFolder::Create() {
    wchar_t temp[512] = {};
    DWORD length = ::GetTempPathW(512, temp);
    if (length == 0 || length >= 512) return false;
    wchar_t name[MAX_PATH] = {};
    if (::GetTempFileNameW(temp, L"", 0, name) == 0) return false;
    if (!::DeleteFileW(name)) return false;
    if (!::CreateDirectoryW(name, nullptr)) return false;
    m_path = name;
    return true;
}

std::wstring CSetupTempFolder::File(const wchar_t* name) const {
    std::wstring path = m_path;
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return path + name;
}

void CSetupTempFolder::Remove() {
    if (m_path.empty()) return;
    WIN32_FIND_DATAW data;
    CFindHandle find;
    for (bool more = find.First(File(L"*").c_str(), data); more; more = find.Next(data)) {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        ::DeleteFileW(File(data.cFileName).c_str());
    }
    find.Reset();
    ::RemoveDirectoryW(m_path.c_str());
    m_path.clear();
}
