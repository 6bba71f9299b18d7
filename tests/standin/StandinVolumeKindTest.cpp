// Boot sectors as mkfs.fat and mkntfs write them, and the same sectors broken in the ways that
// must keep a volume from being handed to a file-system program.
#include "standin/StandinVolumeKind.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using UStandinVolumeKind::Kind;

namespace {

// The first sector of a volume the command makes in the file $1; empty when it failed.
std::vector<uint8_t> Made(const std::string& make) {
    char path[] = "/tmp/vmx-volume-kind-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return {};
    close(fd);
    std::vector<uint8_t> sector(512);
    const std::string command = "set -- " + std::string(path) + "; " + make + " >/dev/null 2>&1";
    bool made = std::system(command.c_str()) == 0;
    if (FILE* f = made ? std::fopen(path, "rb") : nullptr) {
        made = std::fread(sector.data(), 1, sector.size(), f) == sector.size();
        std::fclose(f);
    }
    std::remove(path);
    return made ? sector : std::vector<uint8_t>();
}

}  // namespace

TEST(StandinVolumeKind, VolumesOfTheLinuxToolsAndBrokenSectors) {
    struct Volume {
        const char* make;
        Kind kind;
    };
    const Volume volumes[] = {
        {"truncate -s 8M \"$1\" && mkfs.fat -F 12 \"$1\"", Kind::Fat},
        {"truncate -s 64M \"$1\" && mkfs.fat -F 16 \"$1\"", Kind::Fat},
        {"truncate -s 64M \"$1\" && mkfs.fat -F 32 \"$1\"", Kind::Fat32},
        {"truncate -s 16M \"$1\" && mkntfs -F -Q -q \"$1\"", Kind::Ntfs},
    };
    struct Break {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> apply;
    };
    const Break breaks[] = {
        {"no boot mark", [](std::vector<uint8_t>& s) { s[511] = 0; }},
        {"sector size 0", [](std::vector<uint8_t>& s) { s[11] = s[12] = 0; }},
        {"sector size 768", [](std::vector<uint8_t>& s) { s[11] = 0, s[12] = 3; }},
        {"sector size 8192", [](std::vector<uint8_t>& s) { s[11] = 0, s[12] = 0x20; }},
        {"cluster of 0 sectors", [](std::vector<uint8_t>& s) { s[13] = 0; }},
        {"cluster of 3 sectors", [](std::vector<uint8_t>& s) { s[13] = 3; }},
    };
    for (const Volume& volume : volumes) {
        SCOPED_TRACE(volume.make);
        std::vector<uint8_t> sector = Made(volume.make);
        if (sector.empty()) {
            std::printf("[ SKIPPED  ] %s\n", volume.make);
            continue;
        }
        EXPECT_EQ(UStandinVolumeKind::Of(sector.data(), sector.size()), volume.kind);
        EXPECT_EQ(UStandinVolumeKind::Of(sector.data(), 511), Kind::None) << "a short read";
        for (const Break& b : breaks) {
            std::vector<uint8_t> broken = sector;
            b.apply(broken);
            EXPECT_EQ(UStandinVolumeKind::Of(broken.data(), broken.size()), Kind::None) << b.what;
        }
        if (volume.kind == Kind::Fat32) {
            sector[36] = sector[37] = sector[38] = sector[39] = 0;
            EXPECT_EQ(UStandinVolumeKind::Of(sector.data(), sector.size()), Kind::None) << "no FAT size at all";
        }
    }
}

#endif
