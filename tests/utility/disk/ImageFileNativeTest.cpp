// The image code on Linux volumes, and the format-image tool judged by fsck.fat.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "framework/CaughtFileException.h"
#include "framework/NativePath.h"
#include "framework/ScratchFolder.h"
#include "utility/disk/BackupImage.h"
#include "utility/disk/ListFile.h"
#include "utility/disk/NtfsLayout.h"
#include "utility/disk/VelmoraDiskFile.h"

namespace {

std::string N(const std::wstring& path) { return UNativePath::FromWide(path); }

struct Result {
    int status;
    std::string output;
};

Result Shell(const std::string& command) {
    Result r{-1, {}};
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) return r;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), p)) > 0) r.output.append(buffer, n);
    int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string Tool() { return FORMAT_IMAGE_TOOL; }

// What fsck.fat -n finds beyond the notes on the fields an empty volume leaves blank on purpose
// (the blank label, FAT32's unknown free-cluster count); empty when the volume is sound.
std::string FsckProblems(const std::string& image) {
    Result r = Shell("fsck.fat -n " + image);
    std::string problems, line;
    for (size_t at = 0; at < r.output.size();) {
        size_t end = r.output.find('\n', at);
        if (end == std::string::npos) end = r.output.size();
        line = r.output.substr(at, end - at);
        at = end + 1;
        if (line.empty() || line.rfind("fsck.fat ", 0) == 0 || line == "Leaving filesystem unchanged." ||
            line == "Label '' stored in boot sector is not valid." ||
            line == "  Auto-removing label from boot sector." ||
            line.rfind("Free cluster summary uninitialized", 0) == 0 ||
            (line.find(" files, ") != std::string::npos && line.find(" clusters") != std::string::npos))
            continue;
        problems += line + "\n";
    }
    if (r.status != 0 && r.status != 1) problems += "exit status " + std::to_string(r.status) + "\n";
    if (r.output.find(" clusters") == std::string::npos) problems += "no summary line\n";
    return problems;
}

// A tmpfs of a few pages mounted on a scratch folder (needs root); unmounted at the end.
class TinyVolume {
public:
    explicit TinyVolume(const std::wstring& at, const char* size) : m_at(N(at)) {
        std::string options = std::string("size=") + size;
        m_mounted = mount("tmpfs", m_at.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~TinyVolume() {
        if (m_mounted) umount2(m_at.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return m_mounted; }

private:
    std::string m_at;
    bool m_mounted = false;
};

TEST(ImageOnLinuxVolumes, DiskFullDuringFormattingSurfacesAsTheFileError) {
    ScratchFolder dir;
    std::wstring mountPoint = dir / L"tiny";
    ASSERT_TRUE(ScratchFolder::MakeFolder(mountPoint));
    TinyVolume volume(mountPoint, "32k");
    if (!volume.Mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
    std::wstring folder = ScratchFolder::Join(mountPoint, L"backup");
    UBackupImage::CreateImage(folder, 16777216);  // sparse: fits
    auto e = CatchFileException([&] { UBackupImage::FormatImage(folder, 16777216, 2); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->m_lOsError, 112);
    EXPECT_EQ(e->m_cause, CFileException::diskFull);
    EXPECT_EQ(e->m_strFileName, ScratchFolder::Join(folder, L"VelmoraEX0.dat"));

    Result tool = Shell(Tool() + " --type 2 --size 16777216 --dir " + N(folder));
    EXPECT_EQ(tool.status, 1);
    EXPECT_NE(tool.output.find("file error 112"), std::string::npos) << tool.output;
    EXPECT_NE(tool.output.find("VelmoraEX0.dat"), std::string::npos) << tool.output;
}

TEST(ImageOnLinuxVolumes, PiecesOutsideExFatAreOnlyGivenTheirLength) {
    ScratchFolder dir;
    UBackupImage::CreateImage(dir.Path(), 64 << 20);
    struct stat st;
    ASSERT_EQ(stat(N(ScratchFolder::Join(dir.Path(), L"VelmoraEX0.dat")).c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 64 << 20);
    EXPECT_LT(st.st_blocks * 512, 1 << 20);  // nothing written out
}

TEST(ImageOnLinuxVolumes, NtfsLeavesTheFreeStretchesOfItsBitmapUnwritten) {
    // 256 GiB: an 8 MiB cluster bitmap, nearly all free, in pieces that still read as zeros.
    ScratchFolder dir;
    const uint64_t size = 256ull << 30;
    UBackupImage::CreateImage(dir.Path(), size);
    UBackupImage::FormatImage(dir.Path(), size, 4);
    CNtfsLayout layout;
    ASSERT_TRUE(layout.Compute(size, 512));
    ASSERT_EQ(layout.clusterBitmapBytes, 8u << 20);
    uint64_t allocated = 0;
    const std::wstring base = UBackupImage::ImageBasePath(dir.Path());
    for (uint64_t i = 0; i < CListFile::PieceCount(size, CVelmoraDiskFile::kPieceSize); ++i) {
        struct stat st;
        ASSERT_EQ(stat(N(CListFile::MakePieceName(base, i)).c_str(), &st), 0);
        allocated += uint64_t(st.st_blocks) * 512;
    }
    EXPECT_GE(allocated, layout.logSize) << "the log's 0xFF bytes are written";
    EXPECT_LT(allocated, layout.logSize + layout.clusterBitmapBytes / 2);
}

TEST(FormatImageTool, VolumesOfEachFatTypePassFsck) {
    struct Case {
        const char* type;
        const char* size;
        const char* fsType;
    } cases[] = {
        {"1", "2097152", "FAT12"},
        {"0x10000", "16777216", "FAT16"},
        {"2", "268435456", "FAT16"},
        {"0x20000", "2097152000", "FAT32"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.size);
        ScratchFolder dir;
        std::string folder = N(dir / L"img");
        Result r = Shell(Tool() + " --type " + c.type + " --size " + c.size + " --dir " + folder);
        ASSERT_EQ(r.status, 0) << r.output;
        EXPECT_NE(r.output.find("1 piece"), std::string::npos) << r.output;
        std::string piece = folder + "/VelmoraEX0.dat";
        EXPECT_EQ(FsckProblems(piece), "");
        Result kind = Shell("dd if=" + piece + " bs=1 skip=" + (std::string(c.fsType) == "FAT32" ? "82" : "54") +
                            " count=5 status=none");
        EXPECT_EQ(kind.output, c.fsType);
    }
}

TEST(FormatImageTool, APieceSetJoinedBackIsOneVolume) {
    ScratchFolder dir;
    std::string folder = N(dir / L"img");
    Result r = Shell(Tool() + " --type 0x20000 --size 2097156096 --dir " + folder);
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("2 pieces"), std::string::npos) << r.output;
    std::string joined = N(dir / L"joined.img");
    Result join = Shell("cp --sparse=always " + folder + "/VelmoraEX0.dat " + joined + " && cat " + folder +
                        "/VelmoraEX1.dat >> " + joined);
    ASSERT_EQ(join.status, 0) << join.output;
    EXPECT_EQ(ScratchFolder::Size(dir / L"joined.img"), 2097156096);
    EXPECT_EQ(FsckProblems(joined), "");
}

TEST(FormatImageTool, MalformedCommandLinesGetTheUsageLineAndCreateNothing) {
    ScratchFolder dir;
    std::string folder = N(dir / L"img");
    const char* bad[] = {
        "",
        "--type 2 --size 16777216",
        "--type 2 --size 16777216 --dir",
        "--type two --size 16777216 --dir F",
        "--type 0x --size 16777216 --dir F",
        "--type 5 --size 16777216 --dir F",
        "--type -2 --size 16777216 --dir F",
        "--type 2 --size 16M --dir F",
        "--type 2 --size 0 --dir F",
        "--type 2 --size 99999999999999999999999 --dir F",
        "--type 2 --size 16777216 --dir F --dir F",
        "--type 2 --size 16777216 --dir F --verbose",
    };
    for (const char* args : bad) {
        std::string line = args;
        size_t at = line.find(" F");
        if (at != std::string::npos) line.replace(at + 1, 1, folder);
        Result r = Shell(Tool() + " " + line);
        EXPECT_EQ(r.status, 2) << args << ": " << r.output;
        EXPECT_NE(r.output.find("usage: format-image --type <FormatType> --size <bytes> --dir <folder>"),
                  std::string::npos)
            << args;
        EXPECT_FALSE(ScratchFolder::Exists(dir / L"img")) << args;
    }
}

TEST(FormatImageTool, FailuresNameTheErrorAndReportNoSuccess) {
    ScratchFolder dir;
    Result missing = Shell(Tool() + " --type 2 --size 16777216 --dir " + N(dir / L"no") + "/img");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("file error 3"), std::string::npos) << missing.output;
    EXPECT_EQ(missing.output.find("piece"), std::string::npos) << missing.output;

    Result ntfs = Shell(Tool() + " --type 4 --size 268435456 --dir " + N(dir / L"ntfs"));
    if (ntfs.status != 0) {  // until NTFS volumes are built
        EXPECT_EQ(ntfs.status, 1);
        EXPECT_NE(ntfs.output.find("FormatError 1"), std::string::npos) << ntfs.output;
        EXPECT_EQ(ntfs.output.find('\n'), ntfs.output.size() - 1) << "one line: " << ntfs.output;
    }
}

}  // namespace
