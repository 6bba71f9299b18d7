#include "utility/links/ShellFolder.h"

#include <windows.h>
#include <shlobj.h>

#include "framework/Library.h"
#include "framework/RegKey.h"
#include "utility/disk/OSVersion.h"
#include "utility/links/FolderTree.h"

namespace UShellFolder {
namespace {

const wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const wchar_t kUserShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr DWORD kPathChars = 512;
constexpr WORD kSetFolderPathOrdinal = 232;

using SetFolderPathFn = HRESULT(WINAPI*)(int, HANDLE, DWORD, LPCWSTR);

// Value name under the shell-folder keys and the unexpanded default of the old shell.
bool OldNames(int folder, const wchar_t*& value, const wchar_t*& defaultPath) {
    switch (folder) {
        case CSIDL_INTERNET_CACHE:
            value = L"Cache";
            defaultPath = L"%USERPROFILE%\\Local Settings\\Temporary Internet Files";
            return true;
        case CSIDL_HISTORY:
            value = L"History";
            defaultPath = L"%USERPROFILE%\\Local Settings\\History";
            return true;
        default:
            return false;
    }
}

bool Expand(const wchar_t* text, std::wstring& path) {
    wchar_t buffer[kPathChars] = {};
    const DWORD n = ExpandEnvironmentStringsW(text, buffer, kPathChars);
    if (n == 0 || n > kPathChars) return false;
    path = buffer;
    return true;
}

bool AskShell(int folder, DWORD type, std::wstring& path) {
    wchar_t buffer[kPathChars] = {};
    if (SHGetFolderPathW(nullptr, folder | CSIDL_FLAG_CREATE, nullptr, type, buffer) != S_OK) return false;
    path = buffer;
    return true;
}

bool WriteValue(const wchar_t* key, const wchar_t* name, DWORD type, const std::wstring& data) {
    CRegKey k;
    if (k.Create(HKEY_CURRENT_USER, key, KEY_SET_VALUE) != ERROR_SUCCESS) return false;
    return RegSetValueExW(k.Get(), name, 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

class CSystemShellFolderSetter : public IShellFolderSetter {
public:
    long Set(int folder, const wchar_t* path) override {
        const CLibrary shell32(L"shell32.dll");
        const auto set = shell32.Proc<SetFolderPathFn>(MAKEINTRESOURCEA(kSetFolderPathOrdinal));
        return set ? set(folder, nullptr, 0, path) : E_NOTIMPL;
    }
};

CSystemShellFolderSetter g_systemSetter;
IShellFolderSetter* g_setter = &g_systemSetter;

}  // namespace

IShellFolderSetter& CurrentSetter() { return *g_setter; }

IShellFolderSetter* ReplaceSetter(IShellFolderSetter* setter) {
    IShellFolderSetter* previous = g_setter == &g_systemSetter ? nullptr : g_setter;
    g_setter = setter ? setter : &g_systemSetter;
    return previous;
}

Shell Current() {
    COSVersion os;
    os.Read();
    const DWORD major = os.m_version.dwMajorVersion, minor = os.m_version.dwMinorVersion;
    return major < 5 || (major == 5 && minor == 0) ? Shell::Old : Shell::New;
}

bool GetCurrent(Shell shell, int folder, std::wstring& path) {
    if (shell == Shell::New) return AskShell(folder, SHGFP_TYPE_CURRENT, path);
    const wchar_t *value, *unused;
    if (!OldNames(folder, value, unused)) return false;
    CRegKey key;
    if (key.Open(HKEY_CURRENT_USER, kShellFolders, KEY_QUERY_VALUE) != ERROR_SUCCESS) return false;
    wchar_t buffer[kPathChars] = {};
    DWORD bytes = sizeof(buffer) - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(key.Get(), value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    path = buffer;
    return true;
}

bool GetDefault(Shell shell, int folder, std::wstring& path) {
    if (shell == Shell::New) return AskShell(folder, SHGFP_TYPE_DEFAULT, path);
    const wchar_t *unused, *defaultPath;
    return OldNames(folder, unused, defaultPath) && Expand(defaultPath, path);
}

bool SetLocation(Shell shell, int folder, const std::wstring& path) {
    if (shell == Shell::New) return g_setter->Set(folder, path.c_str()) == S_OK;
    const wchar_t *value, *defaultPath;
    std::wstring expandedDefault;
    if (!OldNames(folder, value, defaultPath) || !Expand(defaultPath, expandedDefault)) return false;
    const std::wstring stored = UFolderTree::SamePath(path, expandedDefault) ? std::wstring(defaultPath) : path;
    return WriteValue(kShellFolders, value, REG_SZ, path) &&
           WriteValue(kUserShellFolders, value, REG_EXPAND_SZ, stored);
}

}  // namespace UShellFolder
