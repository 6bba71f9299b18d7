#include "utility/disk/DataFolder.h"

// Outside Windows there is no shared data folder: nothing lies inside it and it cannot be made.
std::wstring GetDataFolder() { return {}; }
bool IsInDataFolder(const std::wstring&) { return false; }
bool EnsureDataFolder() { return false; }
