#pragma once
// Silent copy, rename and delete of whole folders through the shell: with IFileOperation
// (method 2) where the system has SHCreateItemFromParsingName, otherwise with SHFileOperationW
// (method 1). Method 2 results are HRESULTs (success when not negative), method 1 results are
// SHFileOperationW's (success when 0).
#include <windows.h>
#include <shobjidl.h>

#include <memory>
#include <string>

#include "framework/ComPtr.h"

namespace UVelmoraVlink {

// HRESULT a method-2 step gives for a folder held open by another program.
const HRESULT kFolderInUse = static_cast<HRESULT>(0x80270027);

class IShellFileOperations {
public:
    virtual ~IShellFileOperations() = default;
    virtual int Method() const = 0;
    // The result of setting up (S_OK / 0 when ready); nothing else works when it failed.
    virtual LONG SetUpResult() const = 0;
    // Copies folder `source` to the new folder `destination` (its parent must exist).
    virtual LONG Copy(const std::wstring& source, const std::wstring& destination) = 0;
    // Gives `path` the last component of `newPath` (same parent).
    virtual LONG Rename(const std::wstring& path, const std::wstring& newPath) = 0;
    virtual LONG Delete(const std::wstring& path) = 0;

    bool Succeeded(LONG result) const { return Method() == 2 ? result >= 0 : result == 0; }
};

// Method 1: SHFileOperationW, flags 0x614, no owner window.
class CSHFileOperationMethod : public IShellFileOperations {
public:
    int Method() const override { return 1; }
    LONG SetUpResult() const override { return 0; }
    LONG Copy(const std::wstring& source, const std::wstring& destination) override;
    LONG Rename(const std::wstring& path, const std::wstring& newPath) override;
    LONG Delete(const std::wstring& path) override;
};

// Method 2: one IFileOperation, set up silent and stopping at the first failure, with a progress
// sink advised for its lifetime.
class CFileOperationMethod : public IShellFileOperations {
public:
    CFileOperationMethod();
    ~CFileOperationMethod() override;

    int Method() const override { return 2; }
    LONG SetUpResult() const override { return m_setUp; }
    LONG Copy(const std::wstring& source, const std::wstring& destination) override;
    LONG Rename(const std::wstring& path, const std::wstring& newPath) override;
    LONG Delete(const std::wstring& path) override;

private:
    HRESULT Item(const std::wstring& path, CComPtr<IShellItem>& item) const;

    CComPtr<IFileOperation> m_operation;
    DWORD m_cookie = 0;
    bool m_advised = false;
    HRESULT m_setUp = E_FAIL;
};

// Method 2 when SHCreateItemFromParsingName is found (the library is freed again otherwise),
// else method 1.
std::unique_ptr<IShellFileOperations> CreateShellFileOperations();

// Where IFileOperation objects come from: CoCreateInstance, or what a test puts in its place.
using FileOperationCreator = HRESULT (*)(IFileOperation** operation);
FileOperationCreator ReplaceFileOperationCreator(FileOperationCreator creator);

// The first free "<drive><dir><name>_tmp<n><ext>" for path, n counting from 0.
std::wstring TemporaryName(const std::wstring& path);

}  // namespace UVelmoraVlink
