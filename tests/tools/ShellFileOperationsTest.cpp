// Folder copy, rename and delete: method 1 for real under Wine; method 2's calls on a recording
// IFileOperation (Wine's answers E_NOTIMPL to every method, which is checked too).
#include <windows.h>
#include <shobjidl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/ComPtr.h"
#include "framework/ScratchFolder.h"
#include "framework/TaskMemory.h"
#include "tools/ShellFileOperations.h"

using UVelmoraVlink::CFileOperationMethod;
using UVelmoraVlink::CSHFileOperationMethod;

namespace {

class ComScope {
public:
    ComScope() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComScope() { CoUninitialize(); }
};

std::wstring PathOf(IShellItem* item) {
    CTaskMemory<LPWSTR> name;
    if (!item || FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, name.Put()))) return L"?";
    return name.Get();
}

// Records what it is asked and carries queued operations out with method 1 on PerformOperations.
class RecordingFileOperation : public IFileOperation {
public:
    static RecordingFileOperation* last;
    static HRESULT failFlags;

    static HRESULT Create(IFileOperation** operation) {
        last = new RecordingFileOperation();
        *operation = last;
        return S_OK;
    }

    virtual ~RecordingFileOperation() = default;
    STDMETHODIMP QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }  // kept for inspection

    STDMETHODIMP Advise(IFileOperationProgressSink* s, DWORD* cookie) override {
        sink = s;
        s->AddRef();
        *cookie = 77;
        calls.push_back(L"Advise");
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD cookie) override {
        calls.push_back(L"Unadvise " + std::to_wstring(cookie));
        sinkReferencesLeft = sink->Release();
        return S_OK;
    }
    STDMETHODIMP SetOperationFlags(DWORD f) override {
        flags = f;
        calls.push_back(L"SetOperationFlags");
        return failFlags;
    }
    STDMETHODIMP SetOwnerWindow(HWND window) override {
        calls.push_back(window ? L"SetOwnerWindow ?" : L"SetOwnerWindow none");
        return S_OK;
    }
    STDMETHODIMP CopyItem(IShellItem* item, IShellItem* into, LPCWSTR name, IFileOperationProgressSink* s) override {
        calls.push_back(L"CopyItem " + PathOf(item) + L" > " + PathOf(into) + L" as " + name + (s ? L" sink" : L""));
        pending = [=] { return CSHFileOperationMethod().Copy(PathOf(item), PathOf(into) + L"\\" + name); };
        return S_OK;
    }
    STDMETHODIMP RenameItem(IShellItem* item, LPCWSTR name, IFileOperationProgressSink*) override {
        calls.push_back(L"RenameItem " + PathOf(item) + L" as " + name);
        const std::wstring from = PathOf(item);
        pending = [=] { return CSHFileOperationMethod().Rename(from, from.substr(0, from.rfind(L'\\') + 1) + name); };
        return S_OK;
    }
    STDMETHODIMP DeleteItem(IShellItem* item, IFileOperationProgressSink*) override {
        calls.push_back(L"DeleteItem " + PathOf(item));
        const std::wstring path = PathOf(item);
        pending = [=] { return CSHFileOperationMethod().Delete(path); };
        return S_OK;
    }
    STDMETHODIMP PerformOperations() override {
        calls.push_back(L"PerformOperations");
        return pending && pending() == 0 ? S_OK : HRESULT(0x80270027);
    }

    STDMETHODIMP SetProgressMessage(LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP SetProgressDialog(IOperationsProgressDialog*) override { return E_NOTIMPL; }
    STDMETHODIMP SetProperties(IPropertyChangeArray*) override { return E_NOTIMPL; }
    STDMETHODIMP ApplyPropertiesToItem(IShellItem*) override { return E_NOTIMPL; }
    STDMETHODIMP ApplyPropertiesToItems(IUnknown*) override { return E_NOTIMPL; }
    STDMETHODIMP RenameItems(IUnknown*, LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP MoveItem(IShellItem*, IShellItem*, LPCWSTR, IFileOperationProgressSink*) override { return E_NOTIMPL; }
    STDMETHODIMP MoveItems(IUnknown*, IShellItem*) override { return E_NOTIMPL; }
    STDMETHODIMP CopyItems(IUnknown*, IShellItem*) override { return E_NOTIMPL; }
    STDMETHODIMP DeleteItems(IUnknown*) override { return E_NOTIMPL; }
    STDMETHODIMP NewItem(IShellItem*, DWORD, LPCWSTR, LPCWSTR, IFileOperationProgressSink*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP GetAnyOperationsAborted(BOOL*) override { return E_NOTIMPL; }

    ULONG references = 1;
    ULONG sinkReferencesLeft = 99;
    DWORD flags = 0;
    IFileOperationProgressSink* sink = nullptr;
    std::vector<std::wstring> calls;
    std::function<LONG()> pending;
};
RecordingFileOperation* RecordingFileOperation::last = nullptr;
HRESULT RecordingFileOperation::failFlags = S_OK;

class CreatorScope {
public:
    explicit CreatorScope(UVelmoraVlink::FileOperationCreator creator)
        : m_previous(UVelmoraVlink::ReplaceFileOperationCreator(creator)) {}
    ~CreatorScope() { UVelmoraVlink::ReplaceFileOperationCreator(m_previous); }

private:
    UVelmoraVlink::FileOperationCreator m_previous;
};

void MakeTree(const std::wstring& folder) {
    ASSERT_TRUE(ScratchFolder::MakeFolder(folder));
    ASSERT_TRUE(ScratchFolder::MakeFolder(ScratchFolder::Join(folder, L"sub")));
    ASSERT_TRUE(ScratchFolder::Write(ScratchFolder::Join(folder, L"sub\\a.txt"), {'a', 'b'}));
}

// Copy to a new folder, rename, delete: the tree arrives whole, the source stays, names move.
void CheckCopyRenameDelete(UVelmoraVlink::IShellFileOperations& operations, const ScratchFolder& scratch) {
    const std::wstring source = scratch / L"Docs", copy = scratch / L"Copy", renamed = scratch / L"Renamed";
    MakeTree(source);
    EXPECT_TRUE(operations.Succeeded(operations.Copy(source, copy)));
    EXPECT_EQ(2, ScratchFolder::Size(copy + L"\\sub\\a.txt"));
    EXPECT_TRUE(ScratchFolder::Exists(source + L"\\sub\\a.txt"));
    EXPECT_TRUE(operations.Succeeded(operations.Rename(copy, renamed)));
    EXPECT_FALSE(ScratchFolder::Exists(copy));
    EXPECT_EQ(2, ScratchFolder::Size(renamed + L"\\sub\\a.txt"));
    EXPECT_TRUE(operations.Succeeded(operations.Delete(renamed)));
    EXPECT_FALSE(ScratchFolder::Exists(renamed));
}

}  // namespace

TEST(ShellFileOperationsTest, Method1WorksOnRealFoldersAndReportsMissingOnes) {
    ScratchFolder scratch;
    CSHFileOperationMethod method1;
    EXPECT_EQ(0, method1.SetUpResult());
    CheckCopyRenameDelete(method1, scratch);
    const LONG missing = method1.Delete(scratch / L"missing");
    EXPECT_NE(0, missing);
    EXPECT_FALSE(method1.Succeeded(missing));
}

TEST(ShellFileOperationsTest, Method2SetsUpSilentlyAdvisesOneSinkAndPerformsEachStep) {
    ComScope com;
    ScratchFolder scratch;
    CreatorScope creator(RecordingFileOperation::Create);
    RecordingFileOperation::failFlags = S_OK;
    {
        CFileOperationMethod method2;
        RecordingFileOperation& op = *RecordingFileOperation::last;
        ASSERT_EQ(S_OK, method2.SetUpResult());
        EXPECT_EQ(0x100614u, op.flags);
        ASSERT_NE(nullptr, op.sink);
        CComPtr<IUnknown> unknown;
        CComPtr<IFileOperationProgressSink> again;
        EXPECT_EQ(S_OK, op.sink->QueryInterface(IID_IUnknown, unknown.PutVoid()));
        EXPECT_EQ(S_OK, op.sink->QueryInterface(IID_IFileOperationProgressSink, again.PutVoid()));
        EXPECT_EQ(E_NOINTERFACE, op.sink->QueryInterface(IID_IFileOperation, again.PutVoid()));
        EXPECT_EQ(S_OK, op.sink->PreCopyItem(0, nullptr, nullptr, nullptr));
        CheckCopyRenameDelete(method2, scratch);
        // Copying into a folder whose parent is missing fails at the item for that parent.
        EXPECT_FALSE(method2.Succeeded(method2.Copy(scratch / L"Docs", scratch / L"none\\Copy")));
        const std::vector<std::wstring> expected = {
            L"SetOperationFlags",
            L"SetOwnerWindow none",
            L"Advise",
            L"CopyItem " + (scratch / L"Docs") + L" > " + scratch.Path() + L" as Copy",
            L"PerformOperations",
            L"RenameItem " + (scratch / L"Copy") + L" as Renamed",
            L"PerformOperations",
            L"DeleteItem " + (scratch / L"Renamed"),
            L"PerformOperations",
        };
        EXPECT_EQ(expected, op.calls);
    }
    RecordingFileOperation& op = *RecordingFileOperation::last;
    EXPECT_EQ(L"Unadvise 77", op.calls.back());
    EXPECT_EQ(0u, op.sinkReferencesLeft);  // the sink is freed with the last reference
    EXPECT_EQ(0u, op.references);
    delete &op;

    // The first failing step ends the set-up; nothing runs after it.
    RecordingFileOperation::failFlags = E_ACCESSDENIED;
    {
        CFileOperationMethod method2;
        EXPECT_EQ(E_ACCESSDENIED, method2.SetUpResult());
        EXPECT_EQ(E_ACCESSDENIED, method2.Delete(scratch.Path()));
        EXPECT_EQ(std::vector<std::wstring>{L"SetOperationFlags"}, RecordingFileOperation::last->calls);
    }
    EXPECT_TRUE(ScratchFolder::Exists(scratch.Path()));
    delete RecordingFileOperation::last;
    RecordingFileOperation::failFlags = S_OK;
}

TEST(ShellFileOperationsTest, MethodChoiceAndWinesFileOperation) {
    ComScope com;
    // Wine has SHCreateItemFromParsingName: method 2, whose real IFileOperation refuses set-up.
    auto operations = UVelmoraVlink::CreateShellFileOperations();
    ASSERT_EQ(2, operations->Method());
    const LONG setUp = operations->SetUpResult();
    ScratchFolder scratch;
    if (setUp >= 0) {
        CheckCopyRenameDelete(*operations, scratch);
    } else {
        EXPECT_EQ(setUp, operations->Delete(scratch.Path()));
        EXPECT_TRUE(ScratchFolder::Exists(scratch.Path()));
    }
}

TEST(ShellFileOperationsTest, TemporaryNameIsTheFirstFreeCounter) {
    ScratchFolder scratch;
    const std::wstring docs = scratch / L"Docs";
    EXPECT_EQ(docs + L"_tmp0", UVelmoraVlink::TemporaryName(docs));
    ASSERT_TRUE(ScratchFolder::MakeFolder(docs + L"_tmp0"));
    ASSERT_TRUE(ScratchFolder::Write(docs + L"_tmp1", {'x'}));
    EXPECT_EQ(docs + L"_tmp2", UVelmoraVlink::TemporaryName(docs));
    EXPECT_EQ(scratch / L"a.b_tmp0.txt", UVelmoraVlink::TemporaryName(scratch / L"a.b.txt"));
    EXPECT_EQ(scratch / L"x.y\\name_tmp0", UVelmoraVlink::TemporaryName(scratch / L"x.y\\name"));
}
