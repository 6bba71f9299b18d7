// Junction primitives: the real failure paths under Wine (which cannot set reparse points) and
// the success paths against reparse points kept by a test double.
#include <windows.h>
#include <gtest/gtest.h>

#include "common/Junction.h"
#include "common/MountPointBuffer.h"
#include "framework/ScratchFolder.h"
#include "tests/common/FakeReparsePoints.h"

TEST(JunctionTest, FailuresLeaveWhatWasThereAndKeepTheError) {
    ScratchFolder scratch;
    const std::wstring folder = scratch / L"folder", file = scratch / L"file.txt";
    ASSERT_TRUE(ScratchFolder::MakeFolder(folder));
    ASSERT_TRUE(ScratchFolder::Write(file, std::vector<char>{1, 2, 3}));

    // Something at the link path: refused, untouched.
    for (const std::wstring& taken : {folder, file}) {
        EXPECT_FALSE(UJunction::Create(taken, L"R:\\Vlink\\Docs"));
        EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    }
    EXPECT_EQ(3u, ScratchFolder::Read(file).size());
    EXPECT_TRUE(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY);

    // The real file system refuses the reparse point here: the new directory goes again and the
    // caller sees the control call's error.
    const std::wstring link = scratch / L"link";
    EXPECT_FALSE(UJunction::Create(link, L"R:\\Vlink\\Docs"));
    const DWORD error = GetLastError();
    EXPECT_NE(0u, error);
    EXPECT_FALSE(ScratchFolder::Exists(link));

    EXPECT_FALSE(UJunction::SetMountPoint(folder, L"", L"R:\\"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    // Plain folders and missing paths are no junctions; removing them is nothing to do.
    std::wstring target = L"stale";
    EXPECT_FALSE(UJunction::IsJunction(folder, &target));
    EXPECT_TRUE(target.empty());
    EXPECT_FALSE(UJunction::IsJunction(scratch / L"missing"));
    EXPECT_TRUE(UJunction::Remove(folder));
    EXPECT_TRUE(ScratchFolder::Exists(folder));
    EXPECT_TRUE(UJunction::Remove(scratch / L"missing"));

    EXPECT_TRUE(UJunction::IsNtfs(L'C'));
    EXPECT_FALSE(UJunction::IsNtfs(L'Q'));
}

TEST(JunctionTest, CreatedJunctionReadsBackAndIsRemovedAlone) {
    ScratchFolder scratch;
    FakeReparsePoints points;
    const std::wstring link = scratch / L"Docs", target = scratch / L"ram";
    ASSERT_TRUE(ScratchFolder::MakeFolder(target));
    ASSERT_TRUE(ScratchFolder::Write(ScratchFolder::Join(target, L"kept.txt"), std::vector<char>{7}));

    ASSERT_TRUE(UJunction::Create(link, target));
    DWORD tag = 0;
    std::wstring substitute, print;
    ASSERT_TRUE(UJunction::Read(link, tag, substitute, print));
    EXPECT_EQ(0xA0000003u, tag);
    EXPECT_EQ(L"\\??\\" + target, substitute);
    EXPECT_EQ(target, print);
    std::wstring found;
    EXPECT_TRUE(UJunction::IsJunction(link, &found));
    EXPECT_EQ(L"\\??\\" + target, found);
    EXPECT_EQ(target, UJunction::StripNtPrefix(found));
    EXPECT_EQ(L"C:\\x", UJunction::StripNtPrefix(L"\\??\\C:\\x"));
    EXPECT_EQ(L"C:\\x", UJunction::StripNtPrefix(L"C:\\x"));

    // Re-pointing replaces the names.
    ASSERT_TRUE(UJunction::SetMountPoint(link, L"\\??\\R:\\Other", L"R:\\Other"));
    ASSERT_TRUE(UJunction::Read(link, tag, substitute, print));
    EXPECT_EQ(L"R:\\Other", print);

    ASSERT_TRUE(UJunction::Remove(link));
    EXPECT_FALSE(ScratchFolder::Exists(link));
    EXPECT_EQ(1u, ScratchFolder::Read(ScratchFolder::Join(target, L"kept.txt")).size());

    // Another kind of reparse point (a directory symbolic link) is not a junction; data that
    // does not hold its names is an error, not a target.
    const std::wstring symlink = scratch / L"symlink";
    ASSERT_TRUE(ScratchFolder::MakeFolder(symlink));
    std::vector<uint8_t> data = UMountPointBuffer::Build(u"\\??\\C:\\x", u"C:\\x");
    data[0] = 0x0C;  // 0xA000000C
    points.Put(symlink, data);
    EXPECT_FALSE(UJunction::IsJunction(symlink));
    EXPECT_TRUE(UJunction::Remove(symlink));
    EXPECT_TRUE(ScratchFolder::Exists(symlink));
    data[0] = 0x03;
    data[10] = 0xFF;  // substitute length beyond the data
    points.Put(symlink, data);
    EXPECT_FALSE(UJunction::Read(symlink, tag, substitute, print));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_REPARSE_DATA), GetLastError());
}
