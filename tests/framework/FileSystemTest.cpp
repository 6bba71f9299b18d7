#include <gtest/gtest.h>

#include <cerrno>

#include "framework/FileSystem.h"
#include "framework/NativePath.h"
#include "framework/ScratchFolder.h"
#include "framework/SystemError.h"

namespace {

std::vector<char> Bytes(const std::string& text) { return std::vector<char>(text.begin(), text.end()); }

TEST(FileSystemPaths, AppendNameAddsOneSeparator) {
    wchar_t sep = UFileSystem::PathSeparator();
    std::wstring folder = std::wstring(L"root") + sep + L"backup.v2";
    EXPECT_EQ(UFileSystem::AppendName(folder, L"VelmoraEX.dat"), folder + sep + L"VelmoraEX.dat");
    EXPECT_EQ(UFileSystem::AppendName(folder + sep, L"VelmoraEX.dat"), folder + sep + L"VelmoraEX.dat");
}

TEST(FileSystemFiles, IsFileIsTrueOnlyForExistingFilesAndExistsForFilesAndFolders) {
    ScratchFolder dir;
    ASSERT_TRUE(ScratchFolder::Write(dir / L"f", Bytes("x")));
    ASSERT_TRUE(ScratchFolder::MakeFolder(dir / L"d"));
    EXPECT_TRUE(UFileSystem::IsFile(dir / L"f"));
    EXPECT_FALSE(UFileSystem::IsFile(dir / L"d"));
    EXPECT_FALSE(UFileSystem::IsFile(dir / L"missing"));
    EXPECT_TRUE(UFileSystem::Exists(dir / L"f"));
    EXPECT_TRUE(UFileSystem::Exists(dir / L"d"));
    EXPECT_FALSE(UFileSystem::Exists(dir / L"missing"));
}

TEST(FileSystemFiles, FolderCreationAndRemovalReportWindowsCodes) {
    ScratchFolder dir;
    std::wstring sub = dir / L"sub";
    EXPECT_EQ(UFileSystem::MakeFolder(sub), 0);
    EXPECT_EQ(UFileSystem::MakeFolder(sub), 183);
    EXPECT_EQ(UFileSystem::MakeFolder(ScratchFolder::Join(dir / L"no", L"deeper")), 3);
    ASSERT_TRUE(ScratchFolder::Write(ScratchFolder::Join(sub, L"f"), Bytes("x")));
    EXPECT_EQ(UFileSystem::RemoveFolder(sub), 145);  // not empty
    EXPECT_EQ(UFileSystem::RemoveFile(ScratchFolder::Join(sub, L"f")), 0);
    EXPECT_EQ(UFileSystem::RemoveFile(ScratchFolder::Join(sub, L"f")), 2);
    EXPECT_EQ(UFileSystem::RemoveFolder(sub), 0);
    EXPECT_FALSE(ScratchFolder::Exists(sub));
}

TEST(FileSystemFiles, CopyReplacesTheWholeTarget) {
    ScratchFolder dir;
    ASSERT_TRUE(ScratchFolder::Write(dir / L"src", Bytes("short")));
    ASSERT_TRUE(ScratchFolder::Write(dir / L"dst", Bytes("a much longer old content")));
    EXPECT_EQ(UFileSystem::CopyFileOver(dir / L"src", dir / L"dst"), 0);
    EXPECT_EQ(ScratchFolder::Read(dir / L"dst"), Bytes("short"));
    EXPECT_EQ(ScratchFolder::Read(dir / L"src"), Bytes("short"));
}

TEST(FileSystemFiles, CopyKeepsDataAroundHoles) {
    ScratchFolder dir;
    std::wstring src = dir / L"src";
    ASSERT_TRUE(ScratchFolder::Write(src, Bytes("head")));
    ASSERT_TRUE(ScratchFolder::Resize(src, 3 << 20));
    ASSERT_TRUE(ScratchFolder::Patch(src, (2 << 20) + 5, Bytes("middle")));
    EXPECT_EQ(UFileSystem::CopyFileOver(src, dir / L"dst"), 0);
    EXPECT_EQ(ScratchFolder::Size(dir / L"dst"), 3 << 20);
    EXPECT_EQ(ScratchFolder::Read(dir / L"dst"), ScratchFolder::Read(src));
}

TEST(FileSystemFiles, FailedCopiesSayWhy) {
    ScratchFolder dir;
    ASSERT_TRUE(ScratchFolder::Write(dir / L"src", Bytes("data")));
    EXPECT_EQ(UFileSystem::CopyFileOver(dir / L"missing", dir / L"dst"), 2);
    EXPECT_FALSE(ScratchFolder::Exists(dir / L"dst"));
    EXPECT_EQ(UFileSystem::CopyFileOver(dir / L"src", ScratchFolder::Join(dir / L"no", L"dst")), 3);
    // Onto itself: refused, and the file is intact.
    EXPECT_NE(UFileSystem::CopyFileOver(dir / L"src", dir / L"src"), 0);
    EXPECT_EQ(ScratchFolder::Read(dir / L"src"), Bytes("data"));
}

TEST(FileSystemVolumes, TheTempVolumeHasANameAndFreeSpace) {
    ScratchFolder dir;
    uint64_t freeBytes = 0;
    EXPECT_EQ(UFileSystem::QueryFreeBytes(dir.Path(), freeBytes), 0);
    EXPECT_GT(freeBytes, 0u);
    // A file that does not exist yet is measured on the folder it would go in.
    uint64_t again = 0;
    EXPECT_EQ(UFileSystem::QueryFreeBytes(dir / L"not-yet", again), 0);
    EXPECT_GT(again, 0u);
    EXPECT_FALSE(UFileSystem::FileSystemName(dir.Path()).empty());
}

TEST(SystemErrorCodes, ErrnoValuesMapToWindowsCodes) {
    EXPECT_EQ(USystemError::FromErrno(0), 0);
    EXPECT_EQ(USystemError::FromErrno(ENOENT), 2);
    EXPECT_EQ(USystemError::FromErrno(EACCES), 5);
    EXPECT_EQ(USystemError::FromErrno(EEXIST), 183);
    EXPECT_EQ(USystemError::FromErrno(ENOSPC), 112);
    EXPECT_EQ(USystemError::FromErrno(EINVAL), 87);
    EXPECT_EQ(USystemError::FromErrno(ENOTEMPTY), 145);
    EXPECT_FALSE(USystemError::Text(112).empty());
    EXPECT_NE(USystemError::Text(112), USystemError::Text(2));
}

TEST(NativePathText, Utf8RoundTripsIncludingJapaneseAndAstralCharacters) {
    std::wstring text = L"/tmp/バックアップ/\U0001F600.dat";
    std::string bytes = UNativePath::FromWide(text);
    EXPECT_EQ(bytes,
              "/tmp/\xE3\x83\x90\xE3\x83\x83\xE3\x82\xAF\xE3\x82\xA2\xE3\x83\x83\xE3\x83\x97/\xF0\x9F\x98\x80.dat");
    EXPECT_EQ(UNativePath::ToWide(bytes), text);
}

TEST(NativePathText, MalformedBytesBecomeReplacementCharacters) {
    EXPECT_EQ(UNativePath::ToWide("a\xFF"
                                  "b"),
              L"a\uFFFDb");
    EXPECT_EQ(UNativePath::ToWide("x\xE3\x83"), L"x\uFFFD\uFFFD");  // cut short
    EXPECT_EQ(UNativePath::ToWide("\xC0\x80"), L"\uFFFD\uFFFD");    // overlong
}

}  // namespace
