// The piece set: arithmetic and names, split reads and writes, verification, the open piece,
// and the output operations the volume builders reach.
#include <gtest/gtest.h>

#include <cstring>

#include "framework/CaughtFileException.h"
#include "framework/ScratchFolder.h"
#include "utility/disk/Formatter.h"
#include "utility/disk/ListFile.h"
#include "utility/disk/VelmoraDiskFile.h"

namespace {

const uint64_t kPiece = 0x7D000000;

std::vector<char> Pattern(size_t n, char seed) {
    std::vector<char> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<char>(seed + i % 97);
    return v;
}

// Gives the tests the open piece.
class OpenPieceView : public CVelmoraDiskFile {
public:
    using CVelmoraDiskFile::CVelmoraDiskFile;
    CFile& Piece() { return m_file; }
};

TEST(ImagePieceLayout, CountsAndLengthsAtThePieceBorders) {
    EXPECT_EQ(CListFile::PieceCount(2097152000, kPiece), 1u);
    EXPECT_EQ(CListFile::PieceLength(2097152000, kPiece, 0), 2097152000u);
    EXPECT_EQ(CListFile::PieceCount(2097152001, kPiece), 2u);
    EXPECT_EQ(CListFile::PieceLength(2097152001, kPiece, 0), kPiece);
    EXPECT_EQ(CListFile::PieceLength(2097152001, kPiece, 1), 1u);
    EXPECT_EQ(CListFile::PieceCount(4294967296ull, kPiece), 3u);
    EXPECT_EQ(CListFile::PieceLength(4294967296ull, kPiece, 1), kPiece);
    EXPECT_EQ(CListFile::PieceLength(4294967296ull, kPiece, 2), 100663296u);
    EXPECT_EQ(CListFile::PieceCount(16777216, kPiece), 1u);
    EXPECT_EQ(CListFile::PieceLength(16777216, kPiece, 0), 16777216u);
    EXPECT_EQ(CListFile::PieceLength(16777216, kPiece, 1), 0u);  // no such piece
    EXPECT_EQ(CListFile::PieceCount(0, kPiece), 0u);
}

TEST(ImagePieceLayout, NamesNumberTheFileAtTheLastDot) {
    EXPECT_EQ(CListFile::MakePieceName(L"D:\\backup.v2\\VelmoraEX.dat", 0), L"D:\\backup.v2\\VelmoraEX0.dat");
    EXPECT_EQ(CListFile::MakePieceName(L"D:\\backup.v2\\VelmoraEX.dat", 12), L"D:\\backup.v2\\VelmoraEX12.dat");
    EXPECT_EQ(CListFile::MakePieceName(L"C:\\img\\disk", 3), L"C:\\img\\disk3");
    EXPECT_EQ(CListFile::MakePieceName(L"a.b.c", 7), L"a.b7.c");
    CListFile set(L"/x/VelmoraEX.dat", 3 * kPiece, kPiece);
    EXPECT_EQ(set.PieceName(2), L"/x/VelmoraEX2.dat");
    EXPECT_EQ(set.PieceCount(), 3u);
}

TEST(ImagePieceFile, OpenWithCreateMakesEveryPieceAtItsLengthAndSelectsTheFirst) {
    ScratchFolder dir;
    OpenPieceView set(dir / L"img.dat", 2500, 1000);
    set.OpenList(CVelmoraDiskFile::kCreateFlags);
    EXPECT_EQ(ScratchFolder::Size(dir / L"img0.dat"), 1000);
    EXPECT_EQ(ScratchFolder::Size(dir / L"img1.dat"), 1000);
    EXPECT_EQ(ScratchFolder::Size(dir / L"img2.dat"), 500);
    EXPECT_FALSE(ScratchFolder::Exists(dir / L"img3.dat"));
    EXPECT_TRUE(set.IsPieceOpen());
    EXPECT_EQ(set.Piece().GetFilePath(), dir / L"img0.dat");
    EXPECT_EQ(set.GetOpenMode(), CVelmoraDiskFile::kFormatFlags);  // create and no-truncate dropped
}

TEST(ImagePieceFile, BadParametersOrAnOpenPieceAreError87OnTheBasePath) {
    ScratchFolder dir;
    const std::wstring base = dir / L"img.dat";
    for (auto sizes : {std::make_pair(0ull, 1000ull), std::make_pair(1000ull, 0ull)}) {
        CListFile set(base, sizes.first, sizes.second);
        auto e = CatchFileException([&] { set.OpenList(CVelmoraDiskFile::kCreateFlags); });
        ASSERT_TRUE(e);
        EXPECT_EQ(e->m_lOsError, 87);
        EXPECT_EQ(e->m_strFileName, base);
    }
    CListFile unnamed(L"", 1000, 1000);
    auto e = CatchFileException([&] { unnamed.OpenList(CVelmoraDiskFile::kCreateFlags); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_lOsError, 87);
    EXPECT_FALSE(ScratchFolder::Exists(dir / L"img0.dat"));

    CListFile set(base, 1000, 1000);
    set.OpenList(CVelmoraDiskFile::kCreateFlags);
    e = CatchFileException([&] { set.OpenList(CVelmoraDiskFile::kCreateFlags); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_lOsError, 87);
}

TEST(ImagePieceFile, SplitWriteAndReadCrossPieceBorders) {
    ScratchFolder dir;
    CListFile set(dir / L"img.dat", 2500, 1000);
    set.OpenList(CFile::modeCreate | CFile::modeReadWrite | CFile::shareDenyWrite);
    std::vector<char> data = Pattern(2000, 'a');
    set.WriteList(data.data(), 250, data.size());  // 750 + 1000 + 250
    set.CloseList();
    EXPECT_EQ(ScratchFolder::Read(dir / L"img0.dat", 250), std::vector<char>(data.begin(), data.begin() + 750));
    EXPECT_EQ(ScratchFolder::Read(dir / L"img1.dat"), std::vector<char>(data.begin() + 750, data.begin() + 1750));
    EXPECT_EQ(ScratchFolder::Read(dir / L"img2.dat", 0, 250), std::vector<char>(data.begin() + 1750, data.end()));
    EXPECT_EQ(ScratchFolder::Size(dir / L"img2.dat"), 500);  // lengths unchanged

    CListFile reader(dir / L"img.dat", 2500, 1000);
    reader.OpenList(CFile::modeRead);
    std::vector<char> back(2000);
    EXPECT_EQ(reader.ReadList(back.data(), 250, back.size()), 2000u);
    EXPECT_EQ(back, data);
    std::vector<char> tail(100);
    EXPECT_EQ(reader.ReadList(tail.data(), 2450, 100), 50u);  // stops at the end of the set
}

TEST(ImagePieceFile, WritePastTheEndIsRefusedAndWritesNothing) {
    ScratchFolder dir;
    CListFile set(dir / L"img.dat", 2500, 1000);
    set.OpenList(CVelmoraDiskFile::kCreateFlags);
    std::vector<char> data = Pattern(20, 'q');
    auto e = CatchFileException([&] { set.WriteList(data.data(), 2490, data.size()); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_lOsError, 87);
    set.CloseList();
    EXPECT_EQ(ScratchFolder::Size(dir / L"img2.dat"), 500);
    EXPECT_EQ(ScratchFolder::Read(dir / L"img2.dat"), std::vector<char>(500, 0));
}

TEST(ImagePieceFile, SectorPairAcrossTheFirstRealPieceBorder) {
    ScratchFolder dir;
    std::wstring base = dir / L"VelmoraEX.dat";
    CListFile set(base, 2 * kPiece, kPiece);
    set.OpenList(CVelmoraDiskFile::kCreateFlags);  // sparse pieces
    std::vector<char> data = Pattern(8192, 'A');
    set.WriteList(data.data(), 2097147904ull, data.size());
    set.CloseList();
    EXPECT_EQ(ScratchFolder::Read(dir / L"VelmoraEX0.dat", kPiece - 4096),
              std::vector<char>(data.begin(), data.begin() + 4096));
    EXPECT_EQ(ScratchFolder::Read(dir / L"VelmoraEX1.dat", 0, 4096),
              std::vector<char>(data.begin() + 4096, data.end()));
    EXPECT_EQ(ScratchFolder::Size(dir / L"VelmoraEX0.dat"), static_cast<int64_t>(kPiece));
    EXPECT_EQ(ScratchFolder::Size(dir / L"VelmoraEX1.dat"), static_cast<int64_t>(kPiece));
}

TEST(ImagePieceVerify, AShortOrMissingPieceIsError87NamingIt) {
    ScratchFolder dir;
    {
        CListFile set(dir / L"img.dat", 2500, 1000);
        set.OpenList(CVelmoraDiskFile::kCreateFlags);
    }
    ASSERT_TRUE(ScratchFolder::Resize(dir / L"img1.dat", 999));
    CListFile shortSet(dir / L"img.dat", 2500, 1000);
    auto e = CatchFileException([&] { shortSet.OpenList(CVelmoraDiskFile::kFormatFlags); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_lOsError, 87);
    EXPECT_EQ(e->m_strFileName, dir / L"img1.dat");
    EXPECT_FALSE(shortSet.IsPieceOpen());

    ASSERT_TRUE(ScratchFolder::Resize(dir / L"img1.dat", 1001));  // one byte long is as wrong
    e = CatchFileException([&] { shortSet.OpenList(CVelmoraDiskFile::kFormatFlags); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_strFileName, dir / L"img1.dat");

    ASSERT_TRUE(ScratchFolder::Resize(dir / L"img1.dat", 1000));
    ASSERT_TRUE(ScratchFolder::Remove(dir / L"img2.dat"));
    e = CatchFileException([&] { shortSet.OpenList(CVelmoraDiskFile::kFormatFlags); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_lOsError, 87);
    EXPECT_EQ(e->m_strFileName, dir / L"img2.dat");
}

TEST(ImagePieceVerify, AFolderInThePlaceOfAPieceKeepsItsOwnError) {
    ScratchFolder dir;
    CListFile set(dir / L"img.dat", 1000, 1000);
    ASSERT_TRUE(ScratchFolder::MakeFolder(dir / L"img0.dat"));
    set.SetOpenMode(CVelmoraDiskFile::kFormatFlags);
    auto e = CatchFileException([&] { set.VerifyAllPieces(); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_lOsError, 5);
    EXPECT_EQ(e->m_strFileName, dir / L"img0.dat");
}

TEST(ImagePieceSelect, ThePieceStaysOpenWhileWritesFallIntoIt) {
    ScratchFolder dir;
    OpenPieceView set(dir / L"img.dat", 2500, 1000);
    set.OpenList(CVelmoraDiskFile::kCreateFlags);
    intptr_t first = set.Piece().m_hFile;
    set.WriteList("ab", 10, 2);
    set.WriteList("cd", 990, 2);
    EXPECT_EQ(set.Piece().m_hFile, first);
    set.WriteList("ef", 1500, 2);
    EXPECT_EQ(set.Piece().GetFilePath(), dir / L"img1.dat");
    set.SelectPiece(2);
    EXPECT_EQ(set.Piece().GetFilePath(), dir / L"img2.dat");
    set.CloseList();
    EXPECT_FALSE(set.IsPieceOpen());
    EXPECT_EQ(ScratchFolder::Read(dir / L"img1.dat", 500, 2), std::vector<char>({'e', 'f'}));
}

TEST(ImagePieceSelect, AnOpenPieceWhoseNameDiffersOnlyInCaseIsKept) {
    ScratchFolder dir;
    OpenPieceView set(dir / L"img.dat", 1000, 1000);
    set.SetOpenMode(CVelmoraDiskFile::kFormatFlags);
    // The same piece opened under another spelling (a distinct file where names are case-sensitive).
    std::wstring other = dir / L"IMG0.DAT";
    ASSERT_TRUE(set.Piece().Open(other, CVelmoraDiskFile::kCreateFlags));
    set.SelectPiece(0);
    EXPECT_EQ(set.Piece().GetFilePath(), other);
    set.WriteList("Z", 0, 1);
    set.CloseList();
    EXPECT_EQ(ScratchFolder::Read(other), std::vector<char>({'Z'}));
}

TEST(ImagePieceSelect, AMissingPieceThrowsWhatTheOpenSaidWithItsName) {
    ScratchFolder dir;
    CListFile set(dir / L"img.dat", 2500, 1000);
    set.OpenList(CVelmoraDiskFile::kCreateFlags);
    set.CloseList();
    ASSERT_TRUE(ScratchFolder::Remove(dir / L"img1.dat"));
    auto e = CatchFileException([&] { set.SelectPiece(1); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_lOsError, 2);
    EXPECT_EQ(e->m_cause, CFileException::fileNotFound);
    EXPECT_EQ(e->m_strFileName, dir / L"img1.dat");
}

TEST(ImageOutputOperations, ParamsDescribeTheVolume) {
    CVelmoraDiskFile image(L"x.dat", 16777216);
    const FormatParams& p = image.Params();
    EXPECT_EQ(p.context, static_cast<void*>(static_cast<CFormatObject*>(&image)));
    EXPECT_EQ(p.position, 0u);
    EXPECT_EQ(p.size, 16777216u);
    EXPECT_EQ(p.bytesPerSector, 512u);
    EXPECT_TRUE(p.label.empty());
    EXPECT_EQ(image.GetPieceSize(), kPiece);
}

TEST(ImageOutputOperations, TableWritesReachThePiecesAndFailuresKeepTheFileError) {
    ScratchFolder dir;
    CVelmoraDiskFile image(dir / L"img.dat", 2500, 1000);
    image.OpenList(CVelmoraDiskFile::kCreateFlags);
    image.CloseList();
    const FormatIo* io = image.Io();
    void* context = image.Params().context;
    ASSERT_TRUE(io->Open(context));
    EXPECT_TRUE(image.IsPieceOpen());
    EXPECT_EQ(io->WriteAt(context, "0123", 998, 4), 4);
    EXPECT_EQ(io->Seek(context, 1500, 0), 1500);
    EXPECT_EQ(io->Write(context, "xy", 2), 2);
    EXPECT_EQ(image.Params().position, 1502u);
    EXPECT_EQ(io->Seek(context, 1, 2), -1);  // past the end
    EXPECT_FALSE(image.HasCaughtException());

    ASSERT_TRUE(ScratchFolder::Remove(dir / L"img2.dat"));
    EXPECT_EQ(io->WriteAt(context, "late", 2100, 4), -1);
    ASSERT_TRUE(image.HasCaughtException());
    CException* caught = image.TakeCaughtException();
    CFileException* file = dynamic_cast<CFileException*>(caught);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->m_lOsError, 2);
    EXPECT_EQ(file->m_strFileName, dir / L"img2.dat");
    caught->Delete();
    io->Close(context);
    EXPECT_FALSE(image.IsPieceOpen());

    EXPECT_EQ(ScratchFolder::Read(dir / L"img0.dat", 998), std::vector<char>({'0', '1'}));
    EXPECT_EQ(ScratchFolder::Read(dir / L"img1.dat", 0, 2), std::vector<char>({'2', '3'}));
    EXPECT_EQ(ScratchFolder::Read(dir / L"img1.dat", 500, 2), std::vector<char>({'x', 'y'}));
    EXPECT_FALSE(ScratchFolder::Exists(dir / L"img2.dat"));  // not re-created by the failed write
}

// A piece set whose writes fail with a full disk after a number of bytes.
class FillingDisk : public CVelmoraDiskFile {
public:
    FillingDisk(const std::wstring& base, uint64_t size, uint64_t room) : CVelmoraDiskFile(base, size), m_room(room) {}
    void WriteList(const void* buffer, uint64_t offset, uint64_t length) override {
        if (length > m_room) throw new CFileException(CFileException::diskFull, 112, PieceName(offset / kPieceSize));
        m_room -= length;
        CVelmoraDiskFile::WriteList(buffer, offset, length);
    }

private:
    uint64_t m_room;
};

TEST(ImageOutputOperations, DiskFullDuringFormattingSurfacesAsTheFileError) {
    ScratchFolder dir;
    std::wstring base = dir / L"VelmoraEX.dat";
    FillingDisk image(base, 16777216, 64 * 1024);
    image.OpenList(CVelmoraDiskFile::kCreateFlags);
    CFormatter formatter(&image);
    try {
        formatter.Format(2);
        FAIL() << "formatting a full disk succeeded";
    } catch (CException* e) {
        CFileException* file = dynamic_cast<CFileException*>(e);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->m_lOsError, 112);
        EXPECT_EQ(file->m_cause, CFileException::diskFull);
        EXPECT_EQ(file->m_strFileName, dir / L"VelmoraEX0.dat");
        e->Delete();
    } catch (...) {
        FAIL() << "the file error was replaced by another exception";
    }
    EXPECT_FALSE(image.HasCaughtException());  // handed over, not kept twice
}

TEST(ImageZeroFill, OnlyExFatNamesNeedIt) {
    EXPECT_TRUE(CVelmoraDiskFile::NeedsZeroFill(L"exFAT"));
    EXPECT_TRUE(CVelmoraDiskFile::NeedsZeroFill(L"EXFAT"));
    EXPECT_TRUE(CVelmoraDiskFile::NeedsZeroFill(L"exfat"));
    EXPECT_FALSE(CVelmoraDiskFile::NeedsZeroFill(L"FAT32"));
    EXPECT_FALSE(CVelmoraDiskFile::NeedsZeroFill(L"NTFS"));
    EXPECT_FALSE(CVelmoraDiskFile::NeedsZeroFill(L"exFAT2"));
    EXPECT_FALSE(CVelmoraDiskFile::NeedsZeroFill(L""));
}

std::wstring g_askedPath;
std::wstring ExFatVolume(const std::wstring& path) {
    g_askedPath = path;
    return L"exFAT";
}

TEST(ImageZeroFill, OnExFatStaleContentIsOverwrittenWithZerosInBlocks) {
    ScratchFolder dir;
    const uint64_t size = 2 * CVelmoraDiskFile::kZeroBlock + 12345;  // blocks plus a shorter one
    std::wstring piece = dir / L"img0.dat";
    ASSERT_TRUE(ScratchFolder::Write(piece, Pattern(static_cast<size_t>(size + 999), 'S')));
    auto previous = CVelmoraDiskFile::SetFileSystemNameQuery(ExFatVolume);
    CVelmoraDiskFile image(dir / L"img.dat", size, size);
    image.OpenList(CVelmoraDiskFile::kCreateFlags);
    CVelmoraDiskFile::SetFileSystemNameQuery(previous);
    image.CloseList();
    EXPECT_EQ(g_askedPath, dir / L"img.dat");
    std::vector<char> content = ScratchFolder::Read(piece);
    ASSERT_EQ(content.size(), size);
    EXPECT_EQ(content, std::vector<char>(static_cast<size_t>(size), 0));
}

}  // namespace
