#pragma once
// Where a shell folder of the logged-on user lies: its current and default location, and
// moving it. The old shell (Windows 2000 and earlier) keeps them in the registry; later ones
// answer through SHGetFolderPathW and the setter that shell32 exports as ordinal 232.
#include <string>

// The location setter that shell32 exports as ordinal 232 (folder id, token, flags, path). Wine's
// answers S_OK and moves nothing; tests replace it.
class IShellFolderSetter {
public:
    virtual ~IShellFolderSetter() = default;
    // The setter's result; E_NOTIMPL when shell32 has no such export.
    virtual long Set(int folder, const wchar_t* path) = 0;
};

namespace UShellFolder {

IShellFolderSetter& CurrentSetter();
// Installs a setter (null restores the system one); returns the previous.
IShellFolderSetter* ReplaceSetter(IShellFolderSetter* setter);

enum class Shell { Old, New };

// The shell of the running Windows: old for version 5.0 and lower.
Shell Current();

// Supported folders: CSIDL_INTERNET_CACHE and CSIDL_HISTORY. False on failure.
bool GetCurrent(Shell shell, int folder, std::wstring& path);
bool GetDefault(Shell shell, int folder, std::wstring& path);
bool SetLocation(Shell shell, int folder, const std::wstring& path);

inline bool GetCurrent(int folder, std::wstring& path) { return GetCurrent(Current(), folder, path); }
inline bool GetDefault(int folder, std::wstring& path) { return GetDefault(Current(), folder, path); }
inline bool SetLocation(int folder, const std::wstring& path) { return SetLocation(Current(), folder, path); }

}  // namespace UShellFolder
