// Builds volumes into sparse image files and lets the ntfs-3g tools judge them: the
// checker, the info and listing tools, and a mount that writes files into the volume.
#include "utility/disk/FormatObject.h"
#include "utility/disk/NtfsBuilder.h"
#include "utility/disk/NtfsLayout.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kMiB = 1ull << 20;
constexpr uint64_t kGiB = 1ull << 30;

struct CommandResult {
    int status;
    std::string output;
};

CommandResult RunCommand(const std::string& command) {
    CommandResult r{-1, {}};
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
    const int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

bool HaveTool(const char* name) { return RunCommand(std::string("command -v ") + name).status == 0; }

std::string Quote(const std::string& s) { return "'" + s + "'"; }

int64_t PwriteAll(void* context, const void* buffer, uint64_t offset, uint64_t length) {
    const int fd = *static_cast<int*>(context);
    const char* p = static_cast<const char*>(buffer);
    for (uint64_t done = 0; done < length;) {
        const ssize_t n = pwrite(fd, p + done, length - done, static_cast<off_t>(offset + done));
        if (n <= 0) return -1;
        done += static_cast<uint64_t>(n);
    }
    return static_cast<int64_t>(length);
}

// Formats a new sparse file of the given size the way image pieces are formatted (it reads as
// zeros, so the free stretches of the bitmap are left unwritten); returns the builder's result.
int MakeImage(const std::string& path, uint64_t size, uint32_t sectorSize = 512) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return -1;
    int result = -1;
    if (ftruncate(fd, static_cast<off_t>(size)) == 0) {
        FormatParams params;
        params.context = const_cast<int*>(&fd);
        params.size = size;
        params.bytesPerSector = sectorSize;
        FormatIo io{};
        io.WriteAt = &PwriteAll;
        result = FormatNtfsOverZeros(&params, &io);
    }
    close(fd);
    return result;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

// The checker's whole report for a volume with nothing to fix.
void ExpectClean(const std::string& image) {
    const CommandResult r = RunCommand("ntfsfix -n " + Quote(image));
    EXPECT_EQ(0, r.status) << r.output;
    EXPECT_EQ(
        (std::vector<std::string>{"Mounting volume... OK", "Processing of $MFT and $MFTMirr completed successfully.",
                                  "Checking the alternate boot sector... OK", "NTFS volume version is 3.1.",
                                  "NTFS partition " + image + " was processed successfully."}),
        Lines(r.output));
}

// A FUSE mount of an image by ntfs-3g, kept in the foreground so that unmounting can wait
// for it to finish writing; unmounted on every path.
class CMount {
public:
    CMount(const std::string& image, const std::string& dir) : m_dir(dir) {
        fs::create_directories(dir);
        struct stat parent {};
        stat(fs::path(dir).parent_path().c_str(), &parent);
        m_pid = fork();
        if (m_pid == 0) {
            const int log = open((dir + ".log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(log, 1);
            dup2(log, 2);
            execlp("ntfs-3g", "ntfs-3g", "-o", "no_detach", image.c_str(), dir.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 200 && m_pid > 0; ++i) {
            struct stat st {};
            if (stat(dir.c_str(), &st) == 0 && st.st_dev != parent.st_dev) {
                m_mounted = true;
                break;
            }
            int status;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
    }

    ~CMount() { Unmount(); }

    bool Mounted() const { return m_mounted; }
    std::string Log() const { return ReadFile(m_dir + ".log"); }

    // Unmounts and waits for ntfs-3g to end; true when it ended cleanly.
    bool Unmount() {
        bool clean = true;
        if (m_mounted) {
            clean = RunCommand("umount " + Quote(m_dir)).status == 0;
            if (!clean) RunCommand("umount -l " + Quote(m_dir));
            m_mounted = false;
        }
        if (m_pid > 0) {
            int status = 0;
            bool ended = false;
            for (int i = 0; i < 600 && !ended; ++i) {
                ended = waitpid(m_pid, &status, WNOHANG) == m_pid;
                if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(25));
            }
            if (!ended) {
                kill(m_pid, SIGKILL);
                waitpid(m_pid, &status, 0);
            }
            clean = clean && ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
            m_pid = -1;
        }
        return clean;
    }

private:
    std::string m_dir;
    pid_t m_pid = -1;
    bool m_mounted = false;
};

class NtfsChecks : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"ntfsfix", "ntfsinfo", "ntfsls", "ntfscat", "ntfs-3g"}) {
            if (!HaveTool(tool)) GTEST_SKIP() << tool << " missing (Debian package ntfs-3g)";
        }
        char pattern[] = "/tmp/vmx-ntfs-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        m_dir = pattern;
    }

    void TearDown() override {
        if (!m_dir.empty()) {
            std::error_code ec;
            fs::remove_all(m_dir, ec);
        }
    }

    std::string Path(const std::string& name) const { return m_dir + "/" + name; }

    std::string m_dir;
};

// ---- Images of every size class -------------------------------------------------------

struct SizeCase {
    const char* name;
    uint64_t size;
    uint32_t sectorSize;
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }

class NtfsSizes : public NtfsChecks, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(NtfsSizes, ToolsAcceptTheVolume) {
    const SizeCase& c = GetParam();
    const std::string image = Path("volume.img");
    ASSERT_EQ(0, MakeImage(image, c.size, c.sectorSize));
    CNtfsLayout layout;
    ASSERT_TRUE(layout.Compute(c.size, c.sectorSize));

    ExpectClean(image);

    const CommandResult info = RunCommand("ntfsinfo -m " + Quote(image));
    EXPECT_EQ(0, info.status) << info.output;
    const std::vector<std::string> lines = Lines(info.output);
    auto has = [&lines](const std::string& text) {
        for (const std::string& l : lines) {
            if (l.find(text) != std::string::npos) return true;
        }
        return false;
    };
    EXPECT_TRUE(has("Volume Version: 3.1")) << info.output;
    EXPECT_TRUE(has("Volume Flags: 0x0000")) << info.output;
    EXPECT_TRUE(has("Sector Size: " + std::to_string(c.sectorSize))) << info.output;
    EXPECT_TRUE(has("Cluster Size: " + std::to_string(layout.clusterSize))) << info.output;
    EXPECT_TRUE(has("Volume Size in Clusters: " + std::to_string(layout.clusters))) << info.output;
    EXPECT_TRUE(has("LCN of Data Attribute for File_MFTMirr: " + std::to_string(layout.mirrorLcn))) << info.output;

    const CommandResult root = RunCommand("ntfsls -a -s " + Quote(image));
    EXPECT_EQ(0, root.status);
    EXPECT_EQ((std::vector<std::string>{".", "..", "$AttrDef", "$BadClus", "$Bitmap", "$Boot", "$Extend", "$LogFile",
                                        "$MFT", "$MFTMirr", "$Secure", "$UpCase", "$Volume"}),
              Lines(root.output));
    const CommandResult extend = RunCommand("ntfsls -a -s -p '/$Extend' " + Quote(image));
    EXPECT_EQ(0, extend.status);
    // The lister cannot tell the kind of the view-index files and says so for each, on
    // volumes of every formatter.
    std::vector<std::string> children;
    for (const std::string& line : Lines(extend.output)) {
        if (line.rfind("Could not decode the type of inode", 0) != 0) children.push_back(line);
    }
    EXPECT_EQ((std::vector<std::string>{".", "..", "$ObjId", "$Quota", "$Reparse"}), children);

    const CommandResult log = RunCommand("ntfscat " + Quote(image) + " '$LogFile' | wc -c");
    EXPECT_EQ(std::to_string(layout.logSize), Lines(log.output).at(0));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, NtfsSizes,
    ::testing::Values(SizeCase{"2MiB", 2 * kMiB, 512}, SizeCase{"3MiB", 3 * kMiB, 512}, SizeCase{"5MiB", 5 * kMiB, 512},
                      SizeCase{"200MiB", 200 * kMiB, 512}, SizeCase{"201MiB", 201 * kMiB, 512},
                      SizeCase{"1GiBAndABit", kGiB + 12345, 512}, SizeCase{"12GiBLess1MiB", 12 * kGiB - kMiB, 512},
                      SizeCase{"12GiB", 12 * kGiB, 512}, SizeCase{"256GiB", 256 * kGiB, 512},
                      SizeCase{"2TiB", 2048 * kGiB, 512}, SizeCase{"64MiBSectors4096", 64 * kMiB, 4096}),
    [](const ::testing::TestParamInfo<SizeCase>& info) { return std::string(info.param.name); });

// ---- $UpCase against the table another formatter writes ---------------------------------

TEST_F(NtfsChecks, UpCaseMatchesTheTableOfMkntfs) {
    if (!HaveTool("mkntfs")) GTEST_SKIP() << "mkntfs missing";
    const std::string ours = Path("ours.img");
    const std::string theirs = Path("theirs.img");
    ASSERT_EQ(0, MakeImage(ours, 8 * kMiB));
    ASSERT_EQ(
        0,
        RunCommand("truncate -s 8M " + Quote(theirs) + " && mkntfs -F -Q -q -s 512 -c 4096 " + Quote(theirs)).status);
    ASSERT_EQ(0, RunCommand("ntfscat " + Quote(ours) + " '$UpCase' > " + Quote(Path("ours.bin"))).status);
    ASSERT_EQ(0, RunCommand("ntfscat " + Quote(theirs) + " '$UpCase' > " + Quote(Path("theirs.bin"))).status);
    const std::string a = ReadFile(Path("ours.bin"));
    const std::string b = ReadFile(Path("theirs.bin"));
    ASSERT_EQ(131072u, a.size());
    size_t differences = 0;
    for (size_t i = 0; i + 1 < a.size() && i + 1 < b.size(); i += 2) differences += a.compare(i, 2, b, i, 2) != 0;
    EXPECT_EQ(a.size(), b.size());
    EXPECT_EQ(0u, differences) << "units whose upper case differs";
}

// ---- Mount, write, remount --------------------------------------------------------------

std::string Content(int folder, int file) {
    // Mostly small files kept in their records, some that need clusters of their own.
    const size_t size = file % 7 == 0 ? 9000 + 131 * file : 20 + 3 * file;
    std::string s;
    s.reserve(size);
    for (size_t i = 0; s.size() < size; ++i)
        s += "d" + std::to_string(folder) + "f" + std::to_string(file) + "ü" + std::to_string(i) + ";";
    s.resize(size);
    return s;
}

// Writes folders and files with names from several scripts; returns path -> content.
std::map<std::string, std::string> WriteTree(const std::string& root, int folders, int files) {
    static const char* const kFolderNames[] = {"フォルダ", "Ordner_äöü",  "Κατάλογος", "папка",
                                               "文件夹",   "dossier_été", "emoji_😀",   "ÅÄÖ"};
    static const char* const kFileNames[] = {"ファイル", "Datei_ß", "αρχείο", "файл", "파일", "naïve", "ÿ"};
    std::map<std::string, std::string> tree;
    for (int d = 0; d < folders; ++d) {
        const std::string folder = std::string(kFolderNames[d % 8]) + "_" + std::to_string(d);
        fs::create_directories(fs::u8path(root + "/" + folder + "/sub_ü"));
        tree[folder + "/sub_ü"] = "<dir>";
        for (int f = 0; f < files; ++f) {
            const std::string name = folder + "/" + kFileNames[f % 7] + "_" + std::to_string(f) + ".txt";
            std::ofstream(fs::u8path(root + "/" + name), std::ios::binary) << Content(d, f);
            tree[name] = Content(d, f);
        }
    }
    // Names that differ only in case are distinct files.
    std::ofstream(fs::u8path(root + "/Ä.txt")) << "upper";
    std::ofstream(fs::u8path(root + "/ä.txt")) << "lower";
    tree["Ä.txt"] = "upper";
    tree["ä.txt"] = "lower";
    // Some files go again, so the indexes also shrink.
    for (int d = 0; d < folders; d += 3) {
        const std::string name =
            std::string(kFolderNames[d % 8]) + "_" + std::to_string(d) + "/" + kFileNames[1] + "_1.txt";
        fs::remove(fs::u8path(root + "/" + name));
        tree.erase(name);
    }
    return tree;
}

std::map<std::string, std::string> ReadTree(const std::string& root) {
    std::map<std::string, std::string> tree;
    for (const auto& e : fs::recursive_directory_iterator(fs::u8path(root))) {
        const std::string rel = fs::relative(e.path(), fs::u8path(root)).u8string();
        if (e.is_directory()) {
            if (!fs::is_empty(e.path())) continue;
            tree[rel] = "<dir>";
            continue;
        }
        tree[rel] = ReadFile(e.path().string());
    }
    return tree;
}

struct MountCase {
    const char* name;
    uint64_t size;
    uint32_t sectorSize;
    int folders;
    int files;
};

void PrintTo(const MountCase& c, std::ostream* os) { *os << c.name; }

class NtfsMounts : public NtfsChecks, public ::testing::WithParamInterface<MountCase> {};

TEST_P(NtfsMounts, FilesWrittenThroughAMountSurviveARemount) {
    const MountCase& c = GetParam();
    if (geteuid() != 0 || access("/dev/fuse", R_OK | W_OK) != 0) GTEST_SKIP() << "mounting needs root and /dev/fuse";
    const std::string image = Path("volume.img");
    const std::string dir = Path("mnt");
    ASSERT_EQ(0, MakeImage(image, c.size, c.sectorSize));

    std::map<std::string, std::string> written;
    {
        CMount mount(image, dir);
        ASSERT_TRUE(mount.Mounted()) << "ntfs-3g could not mount the volume: " << mount.Log();
        written = WriteTree(dir, c.folders, c.files);
        ASSERT_GE(written.size(), 200u);
        EXPECT_EQ(written, ReadTree(dir));
        ASSERT_TRUE(mount.Unmount()) << mount.Log();
    }
    ExpectClean(image);
    {
        CMount mount(image, dir);
        ASSERT_TRUE(mount.Mounted()) << "ntfs-3g could not mount the volume again: " << mount.Log();
        EXPECT_EQ(written, ReadTree(dir));
        ASSERT_TRUE(mount.Unmount()) << mount.Log();
    }
    ExpectClean(image);
}

INSTANTIATE_TEST_SUITE_P(Sizes, NtfsMounts,
                         ::testing::Values(MountCase{"2MiB", 2 * kMiB, 512, 10, 22},
                                           MountCase{"1GiB", kGiB, 512, 16, 25},
                                           MountCase{"64MiBSectors4096", 64 * kMiB, 4096, 10, 22},
                                           MountCase{"2TiB", 2048 * kGiB, 512, 16, 25}),
                         [](const ::testing::TestParamInfo<MountCase>& info) { return std::string(info.param.name); });

}  // namespace
