// The mount scripts run for real by /bin/sh: quoting, and mounting NTFS and FAT images through
// FUSE where this machine can (root, /dev/fuse, ntfs-3g, fusefat).
#include "standin/StandinMountScripts.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace Scripts = UStandinMountScripts;

namespace {

// Runs script with /bin/sh; its exit code and what it printed.
int Shell(const std::string& script, std::string* output = nullptr) {
    FILE* pipe = popen(("/bin/sh -c " + Scripts::Quote(script)).c_str(), "r");
    if (!pipe) return -1;
    std::string text;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
    int status = pclose(pipe);
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class MountScripts : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/dev/shm/vmx-mount-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        Shell("umount -l " + Scripts::Quote(dir) + "/*.mnt 2>/dev/null; rm -rf " + Scripts::Quote(dir));
    }

    bool CanMount(bool ntfs) {
        const int missing = Shell(Scripts::Probe());
        return geteuid() == 0 && missing >= 0 &&
               !(missing & (Scripts::kNoFuse | (ntfs ? Scripts::kNoNtfsProgram : Scripts::kNoFatProgram)));
    }
    int Mount(bool ntfs, const std::string& image, unsigned timeoutMs = 10000) {
        return Shell(Scripts::Mount(ntfs, image, dir + "/v.mnt", dir + "/v.pid", dir + "/v.log", timeoutMs));
    }
    int Unmount(bool lazy) { return Shell(Scripts::Unmount(dir + "/v.mnt", dir + "/v.pid", lazy, 10000)); }
    bool Exists(const std::string& path) {
        struct stat st;
        return stat(path.c_str(), &st) == 0;
    }

    std::string dir;
};

}  // namespace

TEST_F(MountScripts, QuotedWordsReachTheShellUnchanged) {
    for (const std::string text : {"plain", "two words", "it's", "'", "$HOME `id` \\n \"x\"", "日本語 フォルダ", ""}) {
        std::string printed;
        ASSERT_EQ(Shell("printf %s " + Scripts::Quote(text), &printed), 0) << text;
        EXPECT_EQ(printed, text);
    }
}

TEST_F(MountScripts, VolumesMountWriteAndUnmountWithTheirProgramEnded) {
    struct Case {
        bool ntfs;
        const char* make;  // makes $1 an empty volume
        const char* list;  // lists the root of image $1 without mounting it
    };
    const Case cases[] = {
        {true, "truncate -s 32M \"$1\" && mkntfs -F -Q -q \"$1\" >/dev/null 2>&1", "ntfsls \"$1\""},
        {false, "truncate -s 32M \"$1\" && mkfs.fat -F 16 \"$1\" >/dev/null",
         "MTOOLS_SKIP_CHECK=1 mdir -b -i \"$1\" ::/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ntfs ? "NTFS" : "FAT");
        if (!CanMount(c.ntfs)) {
            std::printf("[ SKIPPED  ] %s: cannot mount here\n", c.ntfs ? "NTFS" : "FAT");
            continue;
        }
        const std::string image = dir + "/v.ram";
        ASSERT_EQ(Shell("set -- " + Scripts::Quote(image) + "; " + c.make), 0);
        ASSERT_EQ(Mount(c.ntfs, image), 0);
        EXPECT_EQ(Mount(c.ntfs, image), Scripts::kFolderUnusable) << "a second mount on the same folder";
        ASSERT_EQ(Shell("echo data >" + Scripts::Quote(dir + "/v.mnt/FILE.TXT")), 0);

        // A file open on the volume holds it, unless the unmount is lazy.
        std::ifstream held(dir + "/v.mnt/FILE.TXT");
        ASSERT_TRUE(held.is_open());
        EXPECT_EQ(Unmount(false), Scripts::kBusy);
        EXPECT_EQ(Shell("mountpoint -q " + Scripts::Quote(dir + "/v.mnt")), 0);
        held.close();

        ASSERT_EQ(Unmount(false), 0);
        EXPECT_FALSE(Exists(dir + "/v.mnt"));
        EXPECT_FALSE(Exists(dir + "/v.pid"));
        std::string listing;
        ASSERT_EQ(Shell("set -- " + Scripts::Quote(image) + "; " + c.list, &listing), 0);
        EXPECT_NE(listing.find("FILE.TXT"), std::string::npos) << listing;
        EXPECT_EQ(Unmount(false), 0) << "nothing mounted any more";

        // A program that dies leaves a volume nobody can stat: it is unmounted all the same, and
        // the image mounts again with what was written before.
        ASSERT_EQ(Mount(c.ntfs, image), 0);
        const std::string pid = Scripts::Quote(dir + "/v.pid");
        EXPECT_EQ(Shell(Scripts::Running(dir + "/v.pid")), 0);
        ASSERT_EQ(Shell("kill -KILL \"$(cat " + pid + ")\""), 0);
        ASSERT_EQ(Shell("i=0; while [ $i -lt 500 ]; do { " + Scripts::Running(dir + "/v.pid") +
                        "} || exit 0; sleep 0.01; i=$((i + 1)); done; exit 1"),
                  0)
            << "the program ends";
        EXPECT_EQ(Unmount(false), 0);
        std::string left;
        EXPECT_NE(Shell("grep -F " + Scripts::Quote(dir) + " /proc/mounts", &left), 0) << left;
        EXPECT_FALSE(Exists(dir + "/v.mnt"));
        ASSERT_EQ(Mount(c.ntfs, image), 0);
        std::string text;
        EXPECT_EQ(Shell("cat " + Scripts::Quote(dir + "/v.mnt/FILE.TXT"), &text), 0);
        EXPECT_EQ(text, "data\n");
        EXPECT_EQ(Unmount(false), 0);
    }
}

// A RAM file is another stand-in's while any process but its FUSE program has it open.
TEST_F(MountScripts, AFileIsHeldElsewhereOnlyByProcessesOtherThanTheProgram) {
    const std::string file = dir + "/v.ram", pidFile = dir + "/v.pid";
    ASSERT_EQ(Shell("echo x >" + Scripts::Quote(file)), 0);
    struct Case {
        bool open;    // this process holds the file
        bool ownPid;  // the pid file names this process (as the FUSE program)
        int expected;
    };
    const Case cases[] = {{false, false, 1}, {true, false, 0}, {true, true, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.open) + std::to_string(c.ownPid));
        std::ofstream(pidFile) << (c.ownPid ? getpid() : 999999999) << "\n";
        // Not passed on to the shell, which would hold it as well.
        const int held = c.open ? open(file.c_str(), O_RDONLY | O_CLOEXEC) : -1;
        EXPECT_EQ(Shell(Scripts::HeldElsewhere(file, pidFile)), c.expected);
        if (held >= 0) close(held);
    }
}

TEST_F(MountScripts, AVolumeThatCannotBeMountedEndsWithItsCode) {
    if (!CanMount(true)) GTEST_SKIP() << "cannot mount NTFS here";
    const std::string image = dir + "/v.ram";
    ASSERT_EQ(Shell("truncate -s 1M " + Scripts::Quote(image)), 0);
    EXPECT_EQ(Mount(true, image), Scripts::kMountFailed);
    EXPECT_FALSE(Exists(dir + "/v.mnt")) << "the folder made for it is gone again";
}

#endif
