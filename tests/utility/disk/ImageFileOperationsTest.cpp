// The backup image operations: free space, create, format, delete, move, list.
#include <gtest/gtest.h>

#include "framework/CaughtFileException.h"
#include "framework/FileSystem.h"
#include "framework/ScratchFolder.h"
#include "utility/disk/BackupImage.h"
#include "utility/disk/FormatObject.h"

namespace {

const uint64_t kPiece = 0x7D000000;
const uint64_t kThreePieces = 2 * kPiece + 1;

std::wstring PieceIn(const std::wstring& folder, int index) {
    return ScratchFolder::Join(folder, L"VelmoraEX" + std::to_wstring(index) + L".dat");
}

std::vector<char> Text(const std::string& s) { return std::vector<char>(s.begin(), s.end()); }

// Stand-in pieces with distinct small contents (move and delete do not look at lengths).
void WriteStandInPieces(const std::wstring& folder, int count) {
    for (int i = 0; i < count; ++i)
        ASSERT_TRUE(ScratchFolder::Write(PieceIn(folder, i), Text("piece " + std::to_string(i))));
}

void ExpectStandInPieces(const std::wstring& folder, int count) {
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(ScratchFolder::Read(PieceIn(folder, i)), Text("piece " + std::to_string(i))) << i;
}

// ---- free space ----

uint64_t g_free = 0;
long g_freeError = 0;
std::wstring g_freeAskedFor;
long FakeFreeSpace(const std::wstring& path, uint64_t& freeBytes) {
    g_freeAskedFor = path;
    freeBytes = g_free;
    return g_freeError;
}

class ImageFreeSpace : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = UBackupImage::SetFreeSpaceQuery(FakeFreeSpace);
        g_freeError = 0;
    }
    void TearDown() override { UBackupImage::SetFreeSpaceQuery(m_previous); }
    UBackupImage::FreeSpaceQuery m_previous = nullptr;
};

TEST_F(ImageFreeSpace, FreeSpaceEqualToTheDiskSizeIsRefusedNamingTheDrive) {
    g_free = 268435456;
    wchar_t fullDrive = L'?';
    EXPECT_THROW(UBackupImage::CheckFreeSpace(L"D:\\backup.v2", 268435456, fullDrive), UBackupImage::CNoSpaceError);
    EXPECT_EQ(g_freeAskedFor, L"D:\\backup.v2");
    EXPECT_EQ(fullDrive, L'D');
}

TEST_F(ImageFreeSpace, OneByteMoreThanTheDiskSizeIsEnough) {
    g_free = 268435457;
    wchar_t fullDrive = L'?';
    EXPECT_NO_THROW(UBackupImage::CheckFreeSpace(L"E:\\b", 268435456, fullDrive));
    EXPECT_EQ(fullDrive, L'?');
}

TEST_F(ImageFreeSpace, AFailedQueryThrowsItsSystemError) {
    g_freeError = 21;  // device not ready
    wchar_t fullDrive = 0;
    auto e = CatchFileException([&] { UBackupImage::CheckFreeSpace(L"F:\\b", 1, fullDrive); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_lOsError, 21);
    EXPECT_EQ(fullDrive, 0);
}

TEST(ImageFreeSpaceOfTheRealVolume, AnImpossibleSizeIsRefusedAndATinyOneAccepted) {
    ScratchFolder dir;
    wchar_t fullDrive = 0;
    EXPECT_THROW(UBackupImage::CheckFreeSpace(dir.Path(), UINT64_MAX / 2, fullDrive), UBackupImage::CNoSpaceError);
    EXPECT_EQ(fullDrive, dir.Path()[0]);
    EXPECT_NO_THROW(UBackupImage::CheckFreeSpace(dir.Path(), 512, fullDrive));
}

// ---- create and format ----

TEST(ImageCreate, MakesTheFolderAndEveryPieceAtFullSize) {
    ScratchFolder dir;
    std::wstring folder = dir / L"backup.v2";
    UBackupImage::CreateImage(folder, kThreePieces);
    EXPECT_EQ(ScratchFolder::Size(PieceIn(folder, 0)), static_cast<int64_t>(kPiece));
    EXPECT_EQ(ScratchFolder::Size(PieceIn(folder, 1)), static_cast<int64_t>(kPiece));
    EXPECT_EQ(ScratchFolder::Size(PieceIn(folder, 2)), 1);
    EXPECT_FALSE(ScratchFolder::Exists(PieceIn(folder, 3)));
    EXPECT_FALSE(ScratchFolder::Exists(ScratchFolder::Join(folder, L"VelmoraEX.dat")));
}

TEST(ImageCreate, AnExistingFolderAndOldPiecesAreReused) {
    ScratchFolder dir;
    ASSERT_TRUE(ScratchFolder::Write(PieceIn(dir.Path(), 0), std::vector<char>(20000, 'x')));
    UBackupImage::CreateImage(dir.Path(), 16384);
    EXPECT_EQ(ScratchFolder::Read(PieceIn(dir.Path(), 0)), std::vector<char>(16384, 0));
}

TEST(ImageCreate, AMissingParentFolderFailsOnTheFirstPiece) {
    ScratchFolder dir;
    std::wstring folder = ScratchFolder::Join(dir / L"missing", L"backup");
    auto e = CatchFileException([&] { UBackupImage::CreateImage(folder, 16384); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_lOsError, 3);
    EXPECT_EQ(e->m_strFileName, PieceIn(folder, 0));
}

TEST(ImageFormat, WritesAnEmptyVolumeIntoTheCreatedPieces) {
    ScratchFolder dir;
    UBackupImage::CreateImage(dir.Path(), 16777216);
    UBackupImage::FormatImage(dir.Path(), 16777216, 0x20000);
    std::vector<char> boot = ScratchFolder::Read(PieceIn(dir.Path(), 0), 0, 512);
    ASSERT_EQ(boot.size(), 512u);
    EXPECT_EQ(std::string(boot.begin() + 54, boot.begin() + 62), "FAT16   ");
    EXPECT_EQ(static_cast<unsigned char>(boot[510]), 0x55);
    EXPECT_EQ(static_cast<unsigned char>(boot[511]), 0xAA);
    EXPECT_EQ(ScratchFolder::Size(PieceIn(dir.Path(), 0)), 16777216);
}

TEST(ImageFormat, AShortPieceFailsWith87BeforeAnythingIsWritten) {
    ScratchFolder dir;
    UBackupImage::CreateImage(dir.Path(), kPiece + 4096);
    ASSERT_TRUE(ScratchFolder::Resize(PieceIn(dir.Path(), 1), 4095));
    auto e = CatchFileException([&] { UBackupImage::FormatImage(dir.Path(), kPiece + 4096, 3); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_lOsError, 87);
    EXPECT_EQ(e->m_strFileName, PieceIn(dir.Path(), 1));
    EXPECT_EQ(ScratchFolder::Read(PieceIn(dir.Path(), 0), 0, 4096), std::vector<char>(4096, 0));
}

TEST(ImageFormat, WithoutCreatedPiecesItFailsWith87OnTheFirst) {
    ScratchFolder dir;
    auto e = CatchFileException([&] { UBackupImage::FormatImage(dir.Path(), 16777216, 2); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_lOsError, 87);
    EXPECT_EQ(e->m_strFileName, PieceIn(dir.Path(), 0));
}

TEST(ImageFormat, AnUnknownTypeThrowsFormatError1AndWritesNothing) {
    ScratchFolder dir;
    UBackupImage::CreateImage(dir.Path(), 16777216);
    try {
        UBackupImage::FormatImage(dir.Path(), 16777216, 5);
        FAIL() << "type 5 accepted";
    } catch (FormatError value) {
        EXPECT_EQ(value, FORMAT_ERR_PARAM);
    }
    EXPECT_EQ(ScratchFolder::Read(PieceIn(dir.Path(), 0), 0, 65536), std::vector<char>(65536, 0));
}

TEST(ImageFormat, AnEmptySizeIsError87OnTheBasePath) {
    ScratchFolder dir;
    auto e = CatchFileException([&] { UBackupImage::CreateImage(dir.Path(), 0); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_lOsError, 87);
    EXPECT_EQ(e->m_strFileName, UBackupImage::ImageBasePath(dir.Path()));
}

// ---- delete, move, list ----

TEST(ImageDelete, RemovesThePiecesThatExistAndSkipsTheRest) {
    ScratchFolder dir;
    WriteStandInPieces(dir.Path(), 3);
    ASSERT_TRUE(ScratchFolder::Remove(PieceIn(dir.Path(), 1)));
    ASSERT_TRUE(ScratchFolder::Write(PieceIn(dir.Path(), 3), Text("not part of the set")));
    UBackupImage::DeleteImage(dir.Path(), kThreePieces, false);
    EXPECT_FALSE(ScratchFolder::Exists(PieceIn(dir.Path(), 0)));
    EXPECT_FALSE(ScratchFolder::Exists(PieceIn(dir.Path(), 2)));
    EXPECT_TRUE(ScratchFolder::Exists(PieceIn(dir.Path(), 3)));
    EXPECT_TRUE(ScratchFolder::Exists(dir.Path()));  // not in the data folder: stays
}

TEST(ImageDelete, AFolderNamedLikeAPieceIsLeftAlone) {
    ScratchFolder dir;
    ASSERT_TRUE(ScratchFolder::MakeFolder(PieceIn(dir.Path(), 0)));
    EXPECT_NO_THROW(UBackupImage::DeleteImage(dir.Path(), 4096, false));
    EXPECT_TRUE(ScratchFolder::Exists(PieceIn(dir.Path(), 0)));
}

TEST(ImageMove, EveryPieceMovesToTheNewFolder) {
    ScratchFolder dir;
    std::wstring from = dir / L"old", to = dir / L"new.v2";
    ASSERT_TRUE(ScratchFolder::MakeFolder(from));
    WriteStandInPieces(from, 3);
    UBackupImage::MoveImage(from, to, kThreePieces);
    ExpectStandInPieces(to, 3);
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(ScratchFolder::Exists(PieceIn(from, i))) << i;
}

TEST(ImageMove, AFailedCopyLeavesTheSourceCompleteAndNoTargets) {
    ScratchFolder dir;
    std::wstring from = dir / L"old", to = dir / L"new";
    ASSERT_TRUE(ScratchFolder::MakeFolder(from));
    ASSERT_TRUE(ScratchFolder::MakeFolder(to));
    WriteStandInPieces(from, 3);
    ASSERT_TRUE(ScratchFolder::Write(PieceIn(to, 0), Text("stale")));
    ASSERT_TRUE(ScratchFolder::MakeFolder(PieceIn(to, 1)));  // the second copy cannot be made
    auto e = CatchFileException([&] { UBackupImage::MoveImage(from, to, kThreePieces); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_lOsError, 5);
    EXPECT_TRUE(e->m_strFileName.empty());
    ExpectStandInPieces(from, 3);
    EXPECT_FALSE(ScratchFolder::Exists(PieceIn(to, 0)));
    EXPECT_FALSE(ScratchFolder::Exists(PieceIn(to, 2)));
}

TEST(ImageMove, AMissingSourcePieceUndoesTheCopiesBeforeIt) {
    ScratchFolder dir;
    std::wstring from = dir / L"old", to = dir / L"new";
    ASSERT_TRUE(ScratchFolder::MakeFolder(from));
    WriteStandInPieces(from, 2);  // piece 2 is missing
    auto e = CatchFileException([&] { UBackupImage::MoveImage(from, to, kThreePieces); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_lOsError, 2);
    ExpectStandInPieces(from, 2);
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(ScratchFolder::Exists(PieceIn(to, i))) << i;
}

TEST(ImageMove, MovingAFolderOntoItselfKeepsThePieces) {
    ScratchFolder dir;
    WriteStandInPieces(dir.Path(), 3);
    UBackupImage::MoveImage(dir.Path(), dir.Path() + UFileSystem::PathSeparator(), kThreePieces);
    ExpectStandInPieces(dir.Path(), 3);
}

TEST(ImageList, NamesEveryPieceInOrderAndReplacesTheList) {
    std::wstring folder = std::wstring(L"backup.v2") + UFileSystem::PathSeparator();
    std::list<std::wstring> names = {L"old entry"};
    UBackupImage::ListImage(folder, 4294967296ull, names);
    std::list<std::wstring> expected = {folder + L"VelmoraEX0.dat", folder + L"VelmoraEX1.dat",
                                        folder + L"VelmoraEX2.dat"};
    EXPECT_EQ(names, expected);
    UBackupImage::ListImage(L"x", 2097152000, names);
    EXPECT_EQ(names.size(), 1u);
    EXPECT_EQ(UBackupImage::ImageBasePath(L"backup.v2"), folder + L"VelmoraEX.dat");
}

}  // namespace
