// The link procedures on real folders with SHFileOperationW. Junctions are kept by the
// reparse-point double, except where Wine's own refusal drives the roll-back.
#include <windows.h>
#include <gtest/gtest.h>

#include "common/Junction.h"
#include "framework/Handle.h"
#include "framework/ScratchFolder.h"
#include "tests/common/FakeReparsePoints.h"
#include "tools/VlinkProcedures.h"

using UVelmoraVlink::CSHFileOperationMethod;

namespace {

// A user's folder O with one file, its RAM-disk folder R under ram\Vlink, its backup name B.
struct LinkFixture {
    ScratchFolder scratch;
    CVelmoraEXVlinkData link;
    CSHFileOperationMethod method1;

    LinkFixture() {
        link = CVelmoraEXVlinkData(scratch / L"Docs", scratch / L"ram\\Vlink\\Docs", scratch / L"Docs_Backup");
        EXPECT_TRUE(ScratchFolder::MakeFolder(link.src));
        EXPECT_TRUE(ScratchFolder::MakeFolder(scratch / L"ram"));
        EXPECT_TRUE(ScratchFolder::Write(File(link.src), {'d', 'a', 't', 'a'}));
    }
    static std::wstring File(const std::wstring& folder) { return ScratchFolder::Join(folder, L"note.txt"); }
    static bool HasData(const std::wstring& folder) { return ScratchFolder::Size(File(folder)) == 4; }
    static bool Exists(const std::wstring& path) { return ScratchFolder::Exists(path); }
    std::wstring Target(const std::wstring& path) {
        std::wstring target;
        return UJunction::IsJunction(path, &target) ? UJunction::StripNtPrefix(target) : L"(none)";
    }
};

}  // namespace

TEST(VlinkProceduresTest, CreateThenRemoveMovesTheFolderAndBringsItBack) {
    LinkFixture f;
    FakeReparsePoints points;
    const CCreateLinkRecord created = UVelmoraVlink::CreateLink(f.method1, f.link);
    EXPECT_EQ(1, created.linked);
    EXPECT_EQ(1, created.method);
    EXPECT_EQ(1, created.copied);
    EXPECT_EQ(1, created.renamed);
    EXPECT_EQ(1, created.junctioned);
    EXPECT_EQ(0, created.copyDeleted + created.backupRestored + created.shResult + created.junctionError);
    EXPECT_EQ(f.link.dst, f.Target(f.link.src));
    EXPECT_TRUE(f.HasData(f.link.dst));
    EXPECT_TRUE(f.HasData(f.link.backup));

    const CRemoveLinkRecord removed = UVelmoraVlink::RemoveLink(f.method1, f.link);
    EXPECT_EQ(1, removed.ramFolderFree);
    EXPECT_EQ(1, removed.junctionRemoved);
    EXPECT_EQ(1, removed.restoredFromCopy);
    EXPECT_EQ(0, removed.restoredFromBackup);
    EXPECT_EQ(L"(none)", f.Target(f.link.src));
    EXPECT_TRUE(f.HasData(f.link.src));
    EXPECT_FALSE(f.Exists(f.link.dst));
    EXPECT_FALSE(f.Exists(f.link.backup));
}

TEST(VlinkProceduresTest, ARefusedJunctionRollsBackToTheUntouchedFolder) {
    LinkFixture f;  // no double: Wine refuses to set the reparse point
    const CCreateLinkRecord r = UVelmoraVlink::CreateLink(f.method1, f.link);
    EXPECT_EQ(0, r.linked);
    EXPECT_EQ(1, r.copied);
    EXPECT_EQ(1, r.renamed);
    EXPECT_EQ(0, r.junctioned);
    EXPECT_NE(0, r.junctionError);
    EXPECT_EQ(1, r.backupRestored);
    EXPECT_EQ(1, r.copyDeleted);
    EXPECT_EQ(0, r.rollbackShResult);
    EXPECT_TRUE(f.HasData(f.link.src));
    EXPECT_FALSE(f.Exists(f.link.backup));
    EXPECT_FALSE(f.Exists(f.link.dst));
    EXPECT_FALSE(f.Exists(f.scratch / L"ram\\Vlink"));  // the parent made for the copy goes too
}

TEST(VlinkProceduresTest, AFileHeldOpenIsTheInUseCaseAndTheSourceStaysWhole) {
    LinkFixture f;
    FakeReparsePoints points;
    const std::wstring held = ScratchFolder::Join(f.link.src, L"held.bin");
    ASSERT_TRUE(ScratchFolder::Write(held, std::vector<char>(5000, 'h')));
    CHandle open(CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(open.IsValid());

    const CCreateLinkRecord r = UVelmoraVlink::CreateLink(f.method1, f.link);
    EXPECT_EQ(0, r.linked);
    EXPECT_EQ(0, r.copied);
    EXPECT_EQ(32, r.shResult);  // what the utility reads as a folder in use
    EXPECT_EQ(0, r.renamed);
    EXPECT_EQ(1, r.copyDeleted);
    open.Reset();
    EXPECT_TRUE(f.HasData(f.link.src));
    EXPECT_EQ(5000, ScratchFolder::Size(held));
    EXPECT_EQ(L"(none)", f.Target(f.link.src));
    EXPECT_FALSE(f.Exists(f.link.backup));
    EXPECT_FALSE(f.Exists(f.scratch / L"ram\\Vlink"));
}

TEST(VlinkProceduresTest, RemoveWithTheRamDiskOffRestoresFromTheBackup) {
    LinkFixture f;
    FakeReparsePoints points;
    ASSERT_EQ(1, UVelmoraVlink::CreateLink(f.method1, f.link).linked);
    ScratchFolder::RemoveTree(f.scratch / L"ram");  // the disk came back empty, without the folder

    const CRemoveLinkRecord r = UVelmoraVlink::RemoveLink(f.method1, f.link);
    EXPECT_EQ(1, r.ramFolderFree);
    EXPECT_EQ(1, r.junctionRemoved);
    EXPECT_EQ(0, r.restoredFromCopy);
    EXPECT_EQ(1, r.restoredFromBackup);
    EXPECT_TRUE(f.HasData(f.link.src));
    EXPECT_FALSE(f.Exists(f.link.backup));
}

TEST(VlinkProceduresTest, RelinkSeedsPointsOrLeavesAlone) {
    // After the disk came back empty: R is made from B and the dangling junction stays in place.
    {
        LinkFixture f;
        FakeReparsePoints points;
        ASSERT_EQ(1, UVelmoraVlink::CreateLink(f.method1, f.link).linked);
        ScratchFolder::RemoveTree(f.scratch / L"ram");
        ASSERT_TRUE(ScratchFolder::MakeFolder(f.scratch / L"ram"));
        const CRelinkRecord r = UVelmoraVlink::Relink(f.method1, f.link);
        EXPECT_EQ(1, r.folderReady);
        EXPECT_EQ(1, r.junctionInPlace);
        EXPECT_EQ(0, r.junctionError);
        EXPECT_TRUE(f.HasData(f.link.dst));
    }
    // A junction to another RAM-disk path is re-pointed to R.
    {
        LinkFixture f;
        FakeReparsePoints points;
        ASSERT_EQ(1, UVelmoraVlink::CreateLink(f.method1, f.link).linked);
        ASSERT_TRUE(UJunction::SetMountPoint(f.link.src, L"\\??\\Q:\\Vlink\\Docs", L"Q:\\Vlink\\Docs"));
        const CRelinkRecord r = UVelmoraVlink::Relink(f.method1, f.link);
        EXPECT_EQ(1, r.junctionInPlace);
        EXPECT_EQ(f.link.dst, f.Target(f.link.src));
    }
    // Nothing at O, no backup: R is made empty and the junction created.
    {
        LinkFixture f;
        FakeReparsePoints points;
        ScratchFolder::RemoveTree(f.link.src);
        const CRelinkRecord r = UVelmoraVlink::Relink(f.method1, f.link);
        EXPECT_EQ(1, r.folderReady);
        EXPECT_EQ(1, r.junctionInPlace);
        EXPECT_TRUE(f.Exists(f.link.dst));
        EXPECT_EQ(f.link.dst, f.Target(f.link.src));
    }
    // The user put a real folder back at O: nothing changes, junction error -1.
    {
        LinkFixture f;
        FakeReparsePoints points;
        const CRelinkRecord r = UVelmoraVlink::Relink(f.method1, f.link);
        EXPECT_EQ(-1, r.junctionError);
        EXPECT_EQ(0, r.junctionInPlace);
        EXPECT_EQ(0, points.sets);
        EXPECT_TRUE(f.HasData(f.link.src));
    }
}

TEST(VlinkProceduresTest, FailedSetUpOfTheFileOperationDoesNothing) {
    LinkFixture f;
    // Wine's IFileOperation refuses its set-up.
    UVelmoraVlink::CFileOperationMethod method2;
    if (method2.SetUpResult() >= 0) GTEST_SKIP() << "IFileOperation works here";
    const CCreateLinkRecord r = UVelmoraVlink::CreateLink(method2, f.link);
    EXPECT_EQ(2, r.method);
    EXPECT_EQ(method2.SetUpResult(), r.hresult);
    EXPECT_EQ(0, r.copied + r.renamed + r.junctioned + r.linked);
    EXPECT_TRUE(f.HasData(f.link.src));
    EXPECT_FALSE(f.Exists(f.scratch / L"ram\\Vlink"));
}
