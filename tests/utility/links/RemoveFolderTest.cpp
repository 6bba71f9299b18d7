// The folder-tree removal, on real folders.
#include <windows.h>

#include <gtest/gtest.h>

#include "framework/Handle.h"
#include "framework/ScratchFolder.h"
#include "utility/links/RemoveFolder.h"

namespace {
bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
}  // namespace

TEST(RemoveFolder, RemovesNestedFilesAndFoldersAndTheFolderItself) {
    ScratchFolder scratch;
    const std::wstring root = scratch / L"Temporary Internet Files";
    ASSERT_TRUE(ScratchFolder::MakeFolder(root));
    ASSERT_TRUE(ScratchFolder::MakeFolder(root + L"\\Low"));
    ASSERT_TRUE(ScratchFolder::MakeFolder(root + L"\\Low\\Content.IE5"));
    ASSERT_TRUE(ScratchFolder::MakeFolder(root + L"\\empty"));
    ASSERT_TRUE(ScratchFolder::Write(root + L"\\index.dat", std::vector<char>(100, 'i')));
    ASSERT_TRUE(ScratchFolder::Write(root + L"\\Low\\Content.IE5\\a.htm", std::vector<char>(5, 'a')));
    SetFileAttributesW(root.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ASSERT_TRUE(ScratchFolder::Write(scratch / L"sibling.txt", {'s'}));

    EXPECT_TRUE(URemoveFolder::RemoveTree(root));
    EXPECT_FALSE(Exists(root));
    EXPECT_TRUE(Exists(scratch / L"sibling.txt"));
}

TEST(RemoveFolder, StopsAtTheFirstFailureWithItsError) {
    ScratchFolder scratch;
    const std::wstring root = scratch / L"History";
    ASSERT_TRUE(ScratchFolder::MakeFolder(root));
    ASSERT_TRUE(ScratchFolder::Write(root + L"\\locked.dat", {'l'}));
    CHandle held(CreateFileW((root + L"\\locked.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                             nullptr));
    ASSERT_TRUE(held.IsValid());
    EXPECT_FALSE(URemoveFolder::RemoveTree(root));
    EXPECT_NE(GetLastError(), 0u);
    EXPECT_TRUE(Exists(root));
    held.Reset();
    EXPECT_TRUE(URemoveFolder::RemoveTree(root));
    EXPECT_FALSE(Exists(root));
}

TEST(RemoveFolder, EmptyPathDoesNothingAndAMissingFolderFails) {
    EXPECT_TRUE(URemoveFolder::RemoveTree(L""));
    ScratchFolder scratch;
    EXPECT_FALSE(URemoveFolder::RemoveTree(scratch / L"absent"));
    EXPECT_TRUE(Exists(scratch.Path()));
}

TEST(RemoveFolder, ALinkedFolderInsideGoesWithoutItsTarget) {
    ScratchFolder scratch;
    const std::wstring target = scratch / L"elsewhere";
    const std::wstring root = scratch / L"Cache";
    ASSERT_TRUE(ScratchFolder::MakeFolder(target));
    ASSERT_TRUE(ScratchFolder::Write(target + L"\\keep.txt", {'k'}));
    ASSERT_TRUE(ScratchFolder::MakeFolder(root));
    const std::wstring link = root + L"\\link";
    if (!CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY))
        GTEST_SKIP() << "no folder links here (error " << GetLastError() << ")";
    DWORD attributes = GetFileAttributesW(link.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        GTEST_SKIP() << "the link does not show as a reparse point here";
    EXPECT_TRUE(URemoveFolder::RemoveTree(root));
    EXPECT_FALSE(Exists(root));
    EXPECT_TRUE(Exists(target + L"\\keep.txt")) << "the link's target keeps its contents";
}
