// Formats image files and has tools we did not write judge them: fsck.fat, then mtools
// (copy files in, list and read them back), then fsck.fat again.
#include "utility/disk/Formatter.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "framework/Exception.h"
#include "utility/disk/FatGeometry.h"
#include "utility/disk/FatReaderRule.h"

namespace {
const uint64_t MiB = 1ull << 20;
const uint64_t GiB = 1ull << 30;

class ImageFile : public CFormatObject {
public:
    ImageFile(const std::string& path, uint64_t size) {
        m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
        if (m_fd >= 0 && ::ftruncate(m_fd, off_t(size)) != 0) Close();
        m_params.size = size;
    }
    ~ImageFile() override { Close(); }
    bool Open() override { return m_fd >= 0; }
    void Close() override {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }
    int64_t WriteAt(const void* buffer, uint64_t offset, uint64_t length) override {
        const char* p = static_cast<const char*>(buffer);
        for (uint64_t done = 0; done < length;) {
            ssize_t n = ::pwrite(m_fd, p + done, size_t(length - done), off_t(offset + done));
            if (n <= 0) {
                KeepCaughtException(new CException);
                return -1;
            }
            done += uint64_t(n);
        }
        return int64_t(length);
    }

private:
    int m_fd = -1;
};

struct Result {
    int status;
    std::string output;
};

Result RunTool(const std::string& command) {
    Result r{-1, std::string()};
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return r;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) r.output.append(chunk, n);
    int status = ::pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string Fsck() { return ::access("/usr/sbin/fsck.fat", X_OK) == 0 ? "/usr/sbin/fsck.fat" : "fsck.fat"; }

// fsck.fat -n must find nothing beyond two notes on fields the layout leaves unset on purpose:
// the blank volume label and FAT32's unknown free-cluster count. Returns the problems found and
// the numbers of files and clusters it reports.
std::string FsckProblems(const std::string& image, long* files, long* clusters) {
    Result r = RunTool(Fsck() + " -n '" + image + "'");
    auto startsWith = [](const std::string& line, const char* prefix) { return line.rfind(prefix, 0) == 0; };
    std::istringstream lines(r.output);
    std::string line, problems;
    *files = *clusters = -1;
    for (; std::getline(lines, line);) {
        size_t colon = line.rfind(": ");
        long used;
        char tail[16] = "";
        if (colon != std::string::npos &&
            std::sscanf(line.c_str() + colon + 2, "%ld files, %ld/%ld %15s", files, &used, clusters, tail) == 4 &&
            std::string(tail) == "clusters")
            continue;
        if (line.empty() || startsWith(line, "fsck.fat ") || line == "Leaving filesystem unchanged." ||
            line == "Label '' stored in boot sector is not valid." ||
            line == "  Auto-removing label from boot sector." ||
            startsWith(line, "Free cluster summary uninitialized (should be "))
            continue;
        problems += line + "\n";
    }
    if (r.status != 0 && r.status != 1) problems += "exit status " + std::to_string(r.status) + "\n";
    if (*clusters < 0) problems += "no summary line\n";
    return problems;
}

class FormatterChecks : public ::testing::TestWithParam<std::pair<uint64_t, int>> {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/vmx-formatter-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        s_folder = pattern;
        std::ofstream(s_folder + "/small.txt") << "RAM disk check\n";
        std::ofstream big(s_folder + "/big.bin", std::ios::binary);
        for (int i = 0; i < 200000; ++i) big.put(char(i * 7 + i / 251));
    }
    static void TearDownTestSuite() { RunTool("rm -rf '" + s_folder + "'"); }
    static std::string s_folder;
};
std::string FormatterChecks::s_folder;

TEST_P(FormatterChecks, FsckAndMtoolsAcceptTheVolumeBeforeAndAfterCopying) {
    const uint64_t size = GetParam().first;
    const int formatType = GetParam().second;
    FatGeometry g;
    ASSERT_TRUE(UFatGeometry::Choose(size, 512, formatType, &g));
    const std::string image = s_folder + "/volume.img";
    {
        ImageFile file(image, size);
        ASSERT_TRUE(file.Open());
        CFormatter(&file).Format(formatType);
    }

    // Our own reading of the boot sector, FSInfo and backup, since fsck.fat lets some of it pass.
    std::vector<uint8_t> head(16 * 512);
    std::ifstream(image, std::ios::binary).read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()));
    FatReaderView view = FatReaderView::FromBootSector(head.data());
    EXPECT_EQ(view.Problem(g.type), "");
    EXPECT_EQ(view.totalSectors, size / 512);
    EXPECT_EQ(FatReaderView::Le(&head[510], 2), 0xAA55u);
    EXPECT_EQ(head[g.type == 3 ? 66 : 38], 0x29);
    // The jump lands just past the boot parameter block, in the boot sector and its FAT32 copy.
    const std::vector<uint8_t> jump = {0xEB, uint8_t(g.type == 3 ? 0x58 : 0x3C), 0x90};
    EXPECT_EQ(std::vector<uint8_t>(&head[0], &head[3]), jump);
    if (g.type == 3) {
        EXPECT_EQ(std::vector<uint8_t>(&head[6 * 512], &head[6 * 512 + 3]), jump);
        EXPECT_EQ(FatReaderView::Le(&head[512], 4), 0x41615252u);
        EXPECT_EQ(FatReaderView::Le(&head[512 + 484], 4), 0x61417272u);
        EXPECT_EQ(FatReaderView::Le(&head[512 + 508], 4), 0xAA550000u);
        EXPECT_TRUE(std::equal(&head[0], &head[3 * 512], &head[6 * 512])) << "backup boot region";
    }

    long files, clusters;
    EXPECT_EQ(FsckProblems(image, &files, &clusters), "");
    EXPECT_EQ(clusters, view.Clusters());
    EXPECT_EQ(files, 0);

    const std::string mtools = "MTOOLS_SKIP_CHECK=1 ";
    const std::string target = " -i '" + image + "' ";
    Result r = RunTool(mtools + "mmd" + target + "::/DIR");
    EXPECT_EQ(r.status, 0) << r.output;
    r = RunTool(mtools + "mcopy" + target + "'" + s_folder + "/small.txt' '" + s_folder + "/big.bin' ::/");
    EXPECT_EQ(r.status, 0) << r.output;
    r = RunTool(mtools + "mcopy" + target + "'" + s_folder + "/big.bin' ::/DIR/copy.bin");
    EXPECT_EQ(r.status, 0) << r.output;
    r = RunTool(mtools + "mdir -b" + target + "::/");
    EXPECT_EQ(r.status, 0) << r.output;
    for (const char* name : {"small.txt", "big.bin", "DIR"})
        EXPECT_NE(r.output.find(name), std::string::npos) << name << " missing from\n" << r.output;
    r = RunTool(mtools + "mtype" + target + "::/DIR/copy.bin | cmp - '" + s_folder + "/big.bin'");
    EXPECT_EQ(r.status, 0) << "file read back differs: " << r.output;

    EXPECT_EQ(FsckProblems(image, &files, &clusters), "");
    EXPECT_EQ(files, 4) << "three files and a folder";
    EXPECT_EQ(::unlink(image.c_str()), 0);
}

// Sizes at and around the type borders, mended layouts, the cluster-table limits and
// several plain sizes per type.
INSTANTIATE_TEST_SUITE_P(
    Volumes, FormatterChecks,
    ::testing::Values(
        // FAT12
        std::make_pair(MiB, 0x10000), std::make_pair(uint64_t(1071104), 0x10000), std::make_pair(2 * MiB, 0x20000),
        std::make_pair(uint64_t(2120704), 0x20000), std::make_pair(uint64_t(2122752), 0x10000),
        std::make_pair(3 * MiB, 1), std::make_pair(40 * MiB, 1), std::make_pair(255 * MiB, 1),
        // FAT16
        std::make_pair(uint64_t(2124800), 0x10000), std::make_pair(uint64_t(2129920), 0x20000),
        std::make_pair(16 * MiB, 0x20000), std::make_pair(0x2000000 - 512, 2), std::make_pair(uint64_t(0x2000000), 2),
        std::make_pair(256 * MiB, 0x20000), std::make_pair(uint64_t(268669440), 0x20000),
        std::make_pair(300 * MiB, 0x10000), std::make_pair(1009 * MiB, 2), std::make_pair(4095 * MiB, 0x10000),
        // FAT32
        std::make_pair(257 * MiB, 0x20000), std::make_pair(258 * MiB, 0x20000),
        std::make_pair(uint64_t(268931072), 0x20000), std::make_pair(33 * MiB, 3), std::make_pair(100 * MiB, 3),
        std::make_pair(GiB, 0x20000), std::make_pair(2 * GiB, 0x20000), std::make_pair(8 * GiB, 0x20000),
        std::make_pair(32 * GiB, 3)));
}  // namespace
