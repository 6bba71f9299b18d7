#pragma once
// Shared pieces of the manager, worker and task tests under Wine: a driver double on a pipe
// of its own, a guard for the LoadSettings values a test adds, files placed in the real data
// folder under numbers no one else uses, and a message pump.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "common/DataParser.h"
#include "framework/Handle.h"
#include "framework/RegKey.h"
#include "utility/disk/FakeDriver.h"
#include "utility/core/LoadSettings.h"
#include "utility/disk/DataFolder.h"
#include "utility/disk/DeviceNotifier.h"
#include "utility/disk/DriverPipeFrame.h"
#include "utility/disk/RamDiskStatus.h"

namespace tasktest {

using drivertest::FakeDriver;
using drivertest::QuietNotices;
using drivertest::SeenRequest;
using drivertest::ShortReply;
using drivertest::StatusReply;

// Points the channel at a pipe nobody serves, for the "driver absent" cases.
class AbsentDriver {
public:
    AbsentDriver() { UDriverPipeFrame::SetPipeName(L"VelmoraEXTaskTestNoDriver"); }
    ~AbsentDriver() { UDriverPipeFrame::SetPipeName(nullptr); }
};

// Removes the LoadSettings values that name paths the test registered, whatever their names.
class RegistrationGuard {
public:
    void Watch(const std::wstring& settingsPath) { m_paths.insert(settingsPath); }
    ~RegistrationGuard() {
        for (const std::wstring& path : m_paths) ULoadSettings::UnregisterAtStartup(path);
    }

private:
    std::set<std::wstring> m_paths;
};

// Files a test puts into the real data folder; removed (with the folders) at the end.
class DataFolderFiles {
public:
    DataFolderFiles() { EnsureDataFolder(); }
    ~DataFolderFiles() {
        for (const std::wstring& file : m_files) {
            SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(file.c_str());
        }
        for (auto it = m_folders.rbegin(); it != m_folders.rend(); ++it) RemoveDirectoryW(it->c_str());
    }
    DataFolderFiles(const DataFolderFiles&) = delete;
    DataFolderFiles& operator=(const DataFolderFiles&) = delete;

    // Full path of name in the data folder, removed at the end.
    std::wstring Path(const std::wstring& name) {
        std::wstring path = JoinPath(GetDataFolder(), name);
        m_files.push_back(path);
        return path;
    }
    // A folder in the data folder, created now and removed (when empty) at the end.
    std::wstring Folder(const std::wstring& name) {
        std::wstring path = JoinPath(GetDataFolder(), name);
        CreateDirectoryW(path.c_str(), nullptr);
        m_folders.push_back(path);
        return path;
    }
    // Also removes path at the end (a file the code under test creates).
    void Track(const std::wstring& path) { m_files.push_back(path); }

private:
    std::vector<std::wstring> m_files;
    std::vector<std::wstring> m_folders;
};

// Writes an INI file as UTF-16LE with a byte-order mark, so that every text survives.
inline bool WriteIni(const std::wstring& path, const std::wstring& text) {
    const CHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::wstring content = L"\xFEFF" + text;
    std::vector<unsigned char> bytes;
    for (wchar_t c : content) {
        bytes.push_back(static_cast<unsigned char>(c & 0xFF));
        bytes.push_back(static_cast<unsigned char>(c >> 8));
    }
    DWORD written = 0;
    BOOL ok = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return ok && written == bytes.size();
}

// A [RamDisk] section with the keys that make a disk usable.
inline std::wstring RamDiskIni(const std::wstring& size, const std::wstring& letter, int saveType = 0,
                               const std::wstring& backup = L"") {
    std::wstring text = L"[RamDisk]\r\nDriveSize=" + size + L"\r\nDriveLetter=" + letter + L"\r\nSaveType=" +
                        std::to_wstring(saveType) + L"\r\nFormatType=4\r\nMemType=1\r\n";
    if (!backup.empty()) text += L"BackupBaseDir=" + backup + L"\r\n";
    return text;
}

// Restores the system's list of deletions scheduled for the next restart, so that what a test
// schedules does not happen to the prefix later. Reads the list for the test's checks.
class PendingRenameGuard {
public:
    PendingRenameGuard() { m_had = Read(m_before); }
    ~PendingRenameGuard() {
        CRegKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, kKey, KEY_SET_VALUE) != ERROR_SUCCESS) return;
        if (m_had)
            RegSetValueExW(key.Get(), kValue, 0, REG_MULTI_SZ, m_before.data(), static_cast<DWORD>(m_before.size()));
        else
            RegDeleteValueW(key.Get(), kValue);
    }
    // The scheduled names that were added since the guard was made (the "\??\" prefix kept).
    std::vector<std::wstring> Added() const {
        std::vector<BYTE> now;
        Read(now);
        std::vector<std::wstring> before = Split(m_before), after = Split(now), added;
        for (const std::wstring& name : after) {
            if (std::find(before.begin(), before.end(), name) == before.end()) added.push_back(name);
        }
        return added;
    }

private:
    static constexpr const wchar_t* kKey = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
    static constexpr const wchar_t* kValue = L"PendingFileRenameOperations";
    static bool Read(std::vector<BYTE>& data) {
        data.clear();
        CRegKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, kKey, KEY_QUERY_VALUE) != ERROR_SUCCESS) return false;
        DWORD size = 0, type = 0;
        bool had = RegQueryValueExW(key.Get(), kValue, nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
        if (had) {
            data.resize(size);
            had = RegQueryValueExW(key.Get(), kValue, nullptr, &type, data.data(), &size) == ERROR_SUCCESS;
            data.resize(size);
        }
        return had;
    }
    static std::vector<std::wstring> Split(const std::vector<BYTE>& data) {
        std::vector<std::wstring> names;
        std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find(L'\0', start);
            if (end == std::wstring::npos) end = text.size();
            if (end > start) names.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        return names;
    }

    bool m_had = false;
    std::vector<BYTE> m_before;
};

// Holds a file open without letting others delete it, so that DeleteFileW fails.
class HeldFile {
public:
    explicit HeldFile(const std::wstring& path)
        : m_handle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               0, nullptr)) {}
    bool IsHeld() const { return m_handle.IsValid(); }
    void Release() { m_handle.Reset(); }

private:
    CHandle m_handle;
};

inline bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs the calling thread's message loop until done() holds or timeoutMs has passed.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return true;
}

}  // namespace tasktest
