// The image operations against Windows' own answers: sharing, deletion at restart, case.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwctype>

#include "framework/CaughtFileException.h"
#include "framework/File.h"
#include "framework/FileSystem.h"
#include "framework/RegKey.h"
#include "framework/ScratchFolder.h"
#include "utility/disk/BackupImage.h"
#include "utility/disk/VelmoraDiskFile.h"

namespace {

const uint64_t kPiece = 0x7D000000;
const uint64_t kThreePieces = 2 * kPiece + 1;
const wchar_t kSessionManager[] = L"System\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingValue[] = L"PendingFileRenameOperations";

std::wstring PieceIn(const std::wstring& folder, int index) {
    return ScratchFolder::Join(folder, L"VelmoraEX" + std::to_wstring(index) + L".dat");
}

void WriteStandInPieces(const std::wstring& folder, int count) {
    for (int i = 0; i < count; ++i)
        ASSERT_TRUE(ScratchFolder::Write(PieceIn(folder, i), std::vector<char>(10, char('0' + i))));
}

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

// The pending-rename list of the session manager, as raw REG_MULTI_SZ text; restored on exit.
class PendingRenames {
public:
    PendingRenames() { m_had = Read(m_saved); }
    ~PendingRenames() {
        CRegKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, kSessionManager, KEY_SET_VALUE) != ERROR_SUCCESS) return;
        if (m_had) {
            RegSetValueExW(key.Get(), kPendingValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(m_saved.data()),
                           static_cast<DWORD>(m_saved.size() * sizeof(wchar_t)));
        } else {
            RegDeleteValueW(key.Get(), kPendingValue);
        }
    }
    static bool Read(std::wstring& text) {
        text.clear();
        CRegKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, kSessionManager, KEY_QUERY_VALUE) != ERROR_SUCCESS) return false;
        DWORD type = 0, bytes = 0;
        bool ok = RegQueryValueExW(key.Get(), kPendingValue, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS;
        if (ok) {
            text.resize(bytes / sizeof(wchar_t));
            ok = RegQueryValueExW(key.Get(), kPendingValue, nullptr, &type, reinterpret_cast<BYTE*>(&text[0]),
                                  &bytes) == ERROR_SUCCESS;
        }
        return ok;
    }

private:
    bool m_had = false;
    std::wstring m_saved;
};

TEST(ImageDeleteInUse, WithoutTheFlagAPieceInUseStopsTheDeletionWithItsError) {
    ScratchFolder dir;
    WriteStandInPieces(dir.Path(), 3);
    CFile holder;
    ASSERT_TRUE(holder.Open(PieceIn(dir.Path(), 1), CFile::modeRead | CFile::shareExclusive));
    auto e = CatchFileException([&] { UBackupImage::DeleteImage(dir.Path(), kThreePieces, false); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_lOsError, 32);
    EXPECT_EQ(e->m_strFileName, PieceIn(dir.Path(), 1));
    EXPECT_FALSE(ScratchFolder::Exists(PieceIn(dir.Path(), 0)));
    EXPECT_TRUE(ScratchFolder::Exists(PieceIn(dir.Path(), 1)));
    EXPECT_TRUE(ScratchFolder::Exists(PieceIn(dir.Path(), 2)));  // the rest stays in place
}

TEST(ImageDeleteInUse, WithTheFlagAPieceInUseIsLeftForDeletionAtRestart) {
    PendingRenames restore;
    ScratchFolder dir;
    WriteStandInPieces(dir.Path(), 3);
    CFile holder;
    ASSERT_TRUE(holder.Open(PieceIn(dir.Path(), 1), CFile::modeRead | CFile::shareExclusive));
    EXPECT_NO_THROW(UBackupImage::DeleteImage(dir.Path(), kThreePieces, true));
    EXPECT_FALSE(ScratchFolder::Exists(PieceIn(dir.Path(), 0)));
    EXPECT_FALSE(ScratchFolder::Exists(PieceIn(dir.Path(), 2)));
    std::wstring pending;
    ASSERT_TRUE(PendingRenames::Read(pending));
    EXPECT_NE(Lower(pending).find(Lower(PieceIn(dir.Path(), 1))), std::wstring::npos);
    EXPECT_EQ(Lower(pending).find(Lower(PieceIn(dir.Path(), 0))), std::wstring::npos);
}

TEST(ImageMoveOnWindows, AFolderSpelledInOtherCaseIsTheSameFolder) {
    ScratchFolder dir;
    WriteStandInPieces(dir.Path(), 3);
    std::wstring upper = dir.Path();
    for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    UBackupImage::MoveImage(dir.Path(), upper, kThreePieces);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ScratchFolder::Read(PieceIn(dir.Path(), i)), std::vector<char>(10, char('0' + i))) << i;
}

TEST(ImageMoveOnWindows, APieceInUseAtTheTargetUndoesTheMove) {
    ScratchFolder dir;
    std::wstring from = dir / L"old", to = dir / L"new";
    ASSERT_TRUE(ScratchFolder::MakeFolder(from));
    ASSERT_TRUE(ScratchFolder::MakeFolder(to));
    WriteStandInPieces(from, 3);
    ASSERT_TRUE(ScratchFolder::Write(PieceIn(to, 2), std::vector<char>(3, 'x')));
    CFile holder;
    ASSERT_TRUE(holder.Open(PieceIn(to, 2), CFile::modeRead | CFile::shareExclusive));
    auto e = CatchFileException([&] { UBackupImage::MoveImage(from, to, kThreePieces); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_lOsError, 32);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ScratchFolder::Read(PieceIn(from, i)), std::vector<char>(10, char('0' + i))) << i;
    EXPECT_FALSE(ScratchFolder::Exists(PieceIn(to, 0)));
    EXPECT_FALSE(ScratchFolder::Exists(PieceIn(to, 1)));
}

TEST(ImageVolumeKind, TheDriveOfThePathIsAskedAndIsNotExFat) {
    ScratchFolder dir;
    std::wstring name = UFileSystem::FileSystemName(dir.Path());
    EXPECT_FALSE(name.empty());
    EXPECT_FALSE(CVelmoraDiskFile::NeedsZeroFill(name)) << name.c_str();
    EXPECT_EQ(UFileSystem::FileSystemName(L"C:\\no\\such\\folder"), UFileSystem::FileSystemName(L"C:\\"));
    EXPECT_TRUE(UFileSystem::FileSystemName(L"\\\\?").empty());
}

}  // namespace
