#include "tools/VlinkProcedures.h"

#include <shlobj.h>

#include "common/Junction.h"
#include "framework/FindHandle.h"

namespace UVelmoraVlink {

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring Parent(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

void Notify(LONG event, const std::wstring& path) {
    SHChangeNotify(event, SHCNF_PATHW | SHCNF_FLUSH, path.c_str(), nullptr);
}

// Creates `folder` with every missing level; `created` tells whether `folder` itself was made.
// False with GetLastError set when a level cannot be made.
bool MakeFolderTree(const std::wstring& folder, bool& created) {
    created = false;
    if (IsFolder(folder)) return true;
    const std::wstring parent = Parent(folder);
    bool parentCreated = false;
    if (parent.size() > 2 && !MakeFolderTree(parent, parentCreated)) return false;
    if (!CreateDirectoryW(folder.c_str(), nullptr)) return GetLastError() == ERROR_ALREADY_EXISTS && IsFolder(folder);
    created = true;
    return true;
}

// True when every file under `source` is under `copy` with the same size. A copy can report
// success and still skip a file another program holds open.
bool CopyIsComplete(const std::wstring& source, const std::wstring& copy) {
    WIN32_FIND_DATAW data;
    CFindHandle find;
    if (!find.First((source + L"\\*").c_str(), data)) return true;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring from = source + L"\\" + name, to = copy + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!IsFolder(to)) return false;
            // A junction inside is copied as what it points at; its target is not ours to walk.
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && !CopyIsComplete(from, to)) return false;
            continue;
        }
        WIN32_FILE_ATTRIBUTE_DATA copied;
        if (!GetFileAttributesExW(to.c_str(), GetFileExInfoStandard, &copied) ||
            copied.nFileSizeHigh != data.nFileSizeHigh || copied.nFileSizeLow != data.nFileSizeLow)
            return false;
    } while (find.Next(data));
    return true;
}

// Where a step's result goes: the HRESULT field for method 2, the SHFileOperationW one for 1.
void Store(const IShellFileOperations& operations, LONG result, int32_t& hresult, int32_t& shResult) {
    (operations.Method() == 2 ? hresult : shResult) = static_cast<int32_t>(result);
}

// X:\Vlink for a RAM-disk folder on drive X.
std::wstring VlinkRoot(const std::wstring& ramFolder) {
    return ramFolder.empty() ? std::wstring() : std::wstring(1, ramFolder[0]) + L":\\Vlink";
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

}  // namespace

CCreateLinkRecord CreateLink(IShellFileOperations& operations, const CVelmoraEXVlinkData& link) {
    CCreateLinkRecord record;
    record.method = operations.Method();
    if (!operations.Succeeded(operations.SetUpResult())) {
        Store(operations, operations.SetUpResult(), record.hresult, record.shResult);
        return record;
    }
    const std::wstring &source = link.src, &ram = link.dst, &backup = link.backup;

    const std::wstring ramParent = Parent(ram);
    bool parentCreated = false;
    if (MakeFolderTree(ramParent, parentCreated) && parentCreated) Notify(SHCNE_MKDIR, ramParent);

    LONG result = operations.Copy(source, ram);
    // A short copy is a folder in use: the source must not be renamed over it.
    if (operations.Succeeded(result) && !CopyIsComplete(source, ram))
        result = operations.Method() == 2 ? kFolderInUse : ERROR_SHARING_VIOLATION;
    Store(operations, result, record.hresult, record.shResult);
    record.copied = operations.Succeeded(result);
    if (record.copied) {
        result = operations.Rename(source, backup);
        Store(operations, result, record.hresult, record.shResult);
        record.renamed = operations.Succeeded(result);
    }
    if (record.copied && record.renamed) {
        if (UJunction::Create(source, ram)) {
            record.junctioned = 1;
            Notify(SHCNE_CREATE, source);
        } else {
            record.junctionError = static_cast<int32_t>(GetLastError());
        }
    }
    if (!record.junctioned) {
        bool renameBackFailed = false;
        if (record.renamed) {
            result = operations.Rename(backup, source);
            Store(operations, result, record.rollbackHresult, record.rollbackShResult);
            record.backupRestored = operations.Succeeded(result);
            renameBackFailed = !record.backupRestored;
        }
        // The RAM-disk copy is the data's only other home while the source is still renamed.
        if (!renameBackFailed && Exists(ram)) {
            result = operations.Delete(ram);
            Store(operations, result, record.rollbackHresult, record.rollbackShResult);
            record.copyDeleted = operations.Succeeded(result);
        }
        if (RemoveDirectoryW(ramParent.c_str())) Notify(SHCNE_RMDIR, ramParent);
    }
    record.linked = record.junctioned;
    return record;
}

CRemoveLinkRecord RemoveLink(IShellFileOperations& operations, const CVelmoraEXVlinkData& link) {
    CRemoveLinkRecord record;
    record.method = operations.Method();
    const std::wstring &source = link.src, &ram = link.dst, &backup = link.backup;

    // In-use test: the RAM-disk folder must let itself be renamed away and back.
    if (IsFolder(ram)) {
        const std::wstring temporary = TemporaryName(ram);
        LONG result = operations.Rename(ram, temporary);
        if (operations.Succeeded(result)) {
            result = operations.Rename(temporary, ram);
            // A folder left under the temporary name counts as not free: nothing is touched.
            record.ramFolderFree = operations.Succeeded(result);
        }
        Store(operations, result, record.hresult, record.shResult);
    } else if (!Exists(ram)) {
        record.ramFolderFree = 1;
    }
    if (!record.ramFolderFree) return record;

    if (UJunction::Remove(source)) {
        record.junctionRemoved = 1;
    } else {
        record.junctionError = static_cast<int32_t>(GetLastError());
        return record;
    }
    if (Exists(source)) return record;

    if (!ram.empty() && IsFolder(ram)) {
        record.restoredFromCopy = operations.Succeeded(operations.Copy(ram, source));
    } else if (!backup.empty() && IsFolder(backup)) {
        record.restoredFromBackup = operations.Succeeded(operations.Rename(backup, source));
    }
    // Nothing restored: the RAM-disk copy and the backup both stay.
    if (!record.restoredFromCopy && !record.restoredFromBackup) return record;

    Notify(SHCNE_CREATE, source);
    if (Exists(ram)) operations.Delete(ram);
    if (Exists(backup)) operations.Delete(backup);
    const std::wstring root = VlinkRoot(ram);
    if (!root.empty() && RemoveDirectoryW(root.c_str())) Notify(SHCNE_RMDIR, root);
    return record;
}

CRelinkRecord Relink(IShellFileOperations& operations, const CVelmoraEXVlinkData& link) {
    CRelinkRecord record;
    const std::wstring &source = link.src, &ram = link.dst, &backup = link.backup;

    if (!Exists(ram)) {
        const std::wstring ramParent = Parent(ram);
        bool created = false;
        if (MakeFolderTree(ramParent, created) && created) Notify(SHCNE_MKDIR, ramParent);
        if (IsFolder(backup)) record.folderReady = operations.Succeeded(operations.Copy(backup, ram));
        if (!record.folderReady) {
            if (MakeFolderTree(ram, created)) {
                record.folderReady = 1;
                Notify(SHCNE_MKDIR, ram);
            } else {
                record.folderError = static_cast<int32_t>(GetLastError());
            }
        }
    } else {
        record.folderReady = 1;
    }
    if (!record.folderReady) return record;

    std::wstring target;
    bool pointed = false;
    if (!Exists(source)) {
        pointed = UJunction::Create(source, ram);
    } else if (UJunction::IsJunction(source, &target)) {
        if (SamePath(UJunction::StripNtPrefix(target), ram)) {
            record.junctionInPlace = 1;
            return record;
        }
        pointed = UJunction::SetMountPoint(source, L"\\??\\" + ram, ram);
    } else {
        record.junctionError = -1;
        return record;
    }
    if (pointed) {
        record.junctionInPlace = 1;
        Notify(SHCNE_CREATE, source);
    } else {
        record.junctionError = static_cast<int32_t>(GetLastError());
    }
    return record;
}

}  // namespace UVelmoraVlink
