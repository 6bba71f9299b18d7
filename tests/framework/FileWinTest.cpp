#include <gtest/gtest.h>

#include <windows.h>

#include "framework/File.h"
#include "framework/FileException.h"
#include "framework/ScratchFolder.h"

namespace {

TEST(FileSharing, DenyWriteKeepsOtherWritersOutButLetsReadersIn) {
    ScratchFolder dir;
    std::wstring name = dir / L"piece.dat";
    CFile first;
    ASSERT_TRUE(first.Open(name, CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite));
    CFile second;
    CFileException error;
    EXPECT_FALSE(second.Open(name, CFile::modeWrite | CFile::shareDenyWrite, &error));
    EXPECT_EQ(error.m_lOsError, 32);
    EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
    EXPECT_TRUE(second.Open(name, CFile::modeRead | CFile::shareDenyNone));
}

TEST(FileSharing, TheDestructorReleasesTheHandle) {
    ScratchFolder dir;
    std::wstring name = dir / L"piece.dat";
    {
        CFile file;
        ASSERT_TRUE(file.Open(name, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive));
        EXPECT_FALSE(DeleteFileW(name.c_str()));
    }
    EXPECT_TRUE(DeleteFileW(name.c_str()));
}

TEST(FileSharing, HandlesAreNotInheritedWhenAskedSo) {
    ScratchFolder dir;
    CFile inherit, own;
    ASSERT_TRUE(inherit.Open(dir / L"a", CFile::modeCreate | CFile::modeWrite));
    ASSERT_TRUE(own.Open(dir / L"b", CFile::modeCreate | CFile::modeWrite | CFile::modeNoInherit));
    DWORD flags = 0;
    ASSERT_TRUE(GetHandleInformation(reinterpret_cast<HANDLE>(inherit.m_hFile), &flags));
    EXPECT_TRUE(flags & HANDLE_FLAG_INHERIT);
    ASSERT_TRUE(GetHandleInformation(reinterpret_cast<HANDLE>(own.m_hFile), &flags));
    EXPECT_FALSE(flags & HANDLE_FLAG_INHERIT);
}

}  // namespace
