#include "tools/ShellFileOperations.h"

#include <shellapi.h>

#include <vector>

#include "tools/FileOperationProgressSink.h"
#include "tools/SHCreateItemFromParsingNameInterface.h"

namespace UVelmoraVlink {

namespace {

const FILEOP_FLAGS kMethod1Flags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
const DWORD kMethod2Flags = kMethod1Flags | 0x100000;  // FOFX_EARLYFAILURE

HRESULT CreateSystemFileOperation(IFileOperation** operation) {
    return CoCreateInstance(CLSID_FileOperation, nullptr, CLSCTX_ALL, IID_IFileOperation,
                            reinterpret_cast<void**>(operation));
}

FileOperationCreator g_creator = CreateSystemFileOperation;

// A double-NUL-terminated copy of path.
std::vector<wchar_t> PathList(const std::wstring& path) {
    std::vector<wchar_t> list(path.begin(), path.end());
    list.push_back(0);
    list.push_back(0);
    return list;
}

LONG RunSHFileOperation(UINT function, const std::wstring& from, const std::wstring* to) {
    std::vector<wchar_t> fromList = PathList(from), toList;
    if (to) toList = PathList(*to);
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = function;
    operation.pFrom = fromList.data();
    operation.pTo = to ? toList.data() : nullptr;
    operation.fFlags = kMethod1Flags;
    return SHFileOperationW(&operation);
}

std::wstring LastComponent(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring ParentFolder(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return std::wstring();
    // The root's parent keeps its separator ("R:\").
    return path.substr(0, slash == 2 && path[1] == L':' ? 3 : slash);
}

}  // namespace

LONG CSHFileOperationMethod::Copy(const std::wstring& source, const std::wstring& destination) {
    return RunSHFileOperation(FO_COPY, source, &destination);
}

LONG CSHFileOperationMethod::Rename(const std::wstring& path, const std::wstring& newPath) {
    return RunSHFileOperation(FO_RENAME, path, &newPath);
}

LONG CSHFileOperationMethod::Delete(const std::wstring& path) { return RunSHFileOperation(FO_DELETE, path, nullptr); }

CFileOperationMethod::CFileOperationMethod() {
    m_setUp = g_creator(m_operation.Put());
    if (SUCCEEDED(m_setUp)) m_setUp = m_operation->SetOperationFlags(kMethod2Flags);
    if (SUCCEEDED(m_setUp)) m_setUp = m_operation->SetOwnerWindow(nullptr);
    if (SUCCEEDED(m_setUp)) {
        CComPtr<CFileOperationProgressSink> sink(CFileOperationProgressSink::Create());
        m_setUp = m_operation->Advise(sink.Get(), &m_cookie);
        m_advised = SUCCEEDED(m_setUp);
    }
}

CFileOperationMethod::~CFileOperationMethod() {
    if (m_advised) m_operation->Unadvise(m_cookie);
}

HRESULT CFileOperationMethod::Item(const std::wstring& path, CComPtr<IShellItem>& item) const {
    CSHCreateItemFromParsingNameInterface& shell = CSHCreateItemFromParsingNameInterface::Instance();
    if (!shell.Load()) return E_NOINTERFACE;
    auto create = shell.SHCreateItemFromParsingName();
    return create(path.c_str(), nullptr, IID_IShellItem, reinterpret_cast<void**>(item.Put()));
}

LONG CFileOperationMethod::Copy(const std::wstring& source, const std::wstring& destination) {
    if (FAILED(m_setUp)) return m_setUp;
    CComPtr<IShellItem> from, into;
    HRESULT result = Item(source, from);
    if (SUCCEEDED(result)) result = Item(ParentFolder(destination), into);
    if (SUCCEEDED(result))
        result = m_operation->CopyItem(from.Get(), into.Get(), LastComponent(destination).c_str(), nullptr);
    if (SUCCEEDED(result)) result = m_operation->PerformOperations();
    return result;
}

LONG CFileOperationMethod::Rename(const std::wstring& path, const std::wstring& newPath) {
    if (FAILED(m_setUp)) return m_setUp;
    CComPtr<IShellItem> item;
    HRESULT result = Item(path, item);
    if (SUCCEEDED(result)) result = m_operation->RenameItem(item.Get(), LastComponent(newPath).c_str(), nullptr);
    if (SUCCEEDED(result)) result = m_operation->PerformOperations();
    return result;
}

LONG CFileOperationMethod::Delete(const std::wstring& path) {
    if (FAILED(m_setUp)) return m_setUp;
    CComPtr<IShellItem> item;
    HRESULT result = Item(path, item);
    if (SUCCEEDED(result)) result = m_operation->DeleteItem(item.Get(), nullptr);
    if (SUCCEEDED(result)) result = m_operation->PerformOperations();
    return result;
}

std::unique_ptr<IShellFileOperations> CreateShellFileOperations() {
    if (CSHCreateItemFromParsingNameInterface::Instance().Load()) return std::make_unique<CFileOperationMethod>();
    return std::make_unique<CSHFileOperationMethod>();
}

FileOperationCreator ReplaceFileOperationCreator(FileOperationCreator creator) {
    FileOperationCreator previous = g_creator;
    g_creator = creator ? creator : CreateSystemFileOperation;
    return previous;
}

std::wstring TemporaryName(const std::wstring& path) {
    // Drive and folder up to the last separator, then the name, then the extension from its
    // last dot.
    const size_t slash = path.find_last_of(L"\\/:");
    const size_t nameStart = slash == std::wstring::npos ? 0 : slash + 1;
    size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || dot < nameStart) dot = path.size();
    const std::wstring head = path.substr(0, dot), extension = path.substr(dot);
    for (unsigned counter = 0;; ++counter) {
        const std::wstring candidate = head + L"_tmp" + std::to_wstring(counter) + extension;
        if (GetFileAttributesW(candidate.c_str()) == INVALID_FILE_ATTRIBUTES) return candidate;
    }
}

}  // namespace UVelmoraVlink
