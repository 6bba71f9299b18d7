// The owners of system resources release exactly once: at destruction, on Reset, never after
// Detach, and a moved-from owner releases nothing.
#include <windows.h>
#include <gtest/gtest.h>

#include "framework/FindHandle.h"
#include "framework/Handle.h"
#include "framework/Library.h"
#include "framework/RegKey.h"

namespace {

bool IsOpenHandle(HANDLE h) {
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != FALSE;
}

HANDLE NewEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

}  // namespace

TEST(OwnersTest, HandleIsClosedOnceWhateverPathItTakes) {
    HANDLE raw = NewEvent();
    {
        CHandle a(raw);
        CHandle b(std::move(a));
        EXPECT_FALSE(a.IsValid());
        EXPECT_EQ(raw, b.Get());
        EXPECT_TRUE(IsOpenHandle(raw));
    }
    EXPECT_FALSE(IsOpenHandle(raw));

    HANDLE first = NewEvent(), second = NewEvent();
    CHandle owner(first);
    owner.Reset(second);
    EXPECT_FALSE(IsOpenHandle(first));
    EXPECT_TRUE(IsOpenHandle(second));
    HANDLE kept = owner.Detach();
    EXPECT_FALSE(owner.IsValid());
    owner.Reset();
    EXPECT_TRUE(IsOpenHandle(kept));
    CloseHandle(kept);

    // INVALID_HANDLE_VALUE (a failed CreateFileW) is no handle: nothing is closed.
    CHandle failed(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(failed);
}

TEST(OwnersTest, FindLibraryAndKeyReportFailureAndHoldNothing) {
    WIN32_FIND_DATAW data;
    CFindHandle none;
    EXPECT_FALSE(none.First(L"C:\\no-such-folder-here\\*", data));
    EXPECT_FALSE(none.Next(data));
    CFindHandle windows;
    ASSERT_TRUE(windows.First(L"C:\\windows\\*", data));
    EXPECT_TRUE(windows.Next(data));

    CLibrary kernel(L"kernel32.dll");
    ASSERT_TRUE(kernel.IsValid());
    EXPECT_NE(nullptr, kernel.Proc<DWORD(WINAPI*)()>("GetTickCount"));
    EXPECT_EQ(nullptr, kernel.Proc<void (*)()>("NoSuchEntryPoint"));
    EXPECT_FALSE(CLibrary(L"no-such-library.dll").IsValid());

    CRegKey key;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.Open(HKEY_CURRENT_USER, L"Software\\NoSuchKeyAnywhere", KEY_READ));
    EXPECT_FALSE(key.IsValid());
    EXPECT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, L"Software", KEY_READ));
    EXPECT_TRUE(key.IsValid());
}
