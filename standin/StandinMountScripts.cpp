#include "standin/StandinMountScripts.h"

namespace UStandinMountScripts {

namespace {

// Polls in steps of 10 ms.
std::string Steps(unsigned timeoutMs) { return std::to_string(timeoutMs / 10 + 1); }

// alive PID: the process exists and is not a zombie waiting for a parent to reap it.
const char kAlive[] =
    "alive() { [ -n \"$1\" ] && [ -e \"/proc/$1\" ] && ! grep -qs '^State:[[:space:]]*Z' \"/proc/$1/status\"; }\n";

// mounted FOLDER: something is mounted there, also a FUSE volume whose program has gone (which
// mountpoint cannot stat: "not connected").
const char kMounted[] = "mounted() { mountpoint -q \"$1\" || findmnt -rn --mountpoint \"$1\" >/dev/null 2>&1; }\n";

}  // namespace

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::string Probe() {
    return "r=0\n"
           "[ -c /dev/fuse ] && command -v mountpoint >/dev/null && command -v findmnt >/dev/null || r=1\n"
           "command -v ntfs-3g >/dev/null || r=$((r | 2))\n"
           "command -v fusefat >/dev/null || r=$((r | 4))\n"
           "exit $r\n";
}

std::string Mount(bool ntfs, const std::string& image, const std::string& folder, const std::string& pidFile,
                  const std::string& logFile, unsigned timeoutMs) {
    const std::string dir = Quote(folder);
    // The program stays in the foreground of its own session: its process id is then the one
    // to wait for when the volume is unmounted.
    const std::string program =
        ntfs ? "ntfs-3g -o no_detach " + Quote(image) + " " + dir : "fusefat -f -o rw+ " + Quote(image) + " " + dir;
    return std::string(kAlive) + "mkdir -p " + dir + " || exit 3\n" + "mountpoint -q " + dir + " && exit 3\n" +
           "setsid " + program + " >" + Quote(logFile) + " 2>&1 </dev/null &\n" + "p=$!\n" + "i=0\n" +
           "while [ $i -lt " + Steps(timeoutMs) + " ]; do\n" + "  if mountpoint -q " + dir + "; then echo $p >" +
           Quote(pidFile) + "; exit 0; fi\n" + "  alive $p || { rmdir " + dir + " 2>/dev/null; exit 4; }\n" +
           "  sleep 0.01; i=$((i + 1))\n" + "done\n" + "kill $p; rmdir " + dir + " 2>/dev/null; exit 5\n";
}

std::string Unmount(const std::string& folder, const std::string& pidFile, bool lazy, unsigned timeoutMs) {
    const std::string dir = Quote(folder);
    return std::string(kAlive) + kMounted + "p=$(cat " + Quote(pidFile) + " 2>/dev/null)\n" + "if mounted " + dir +
           "; then umount " + (lazy ? "-l " : "") + dir + " 2>/dev/null || exit 6; fi\n" + "i=0\n" +
           "while alive \"$p\"; do\n" + "  [ $i -ge " + Steps(timeoutMs) + " ] && exit 7\n" +
           "  sleep 0.01; i=$((i + 1))\n" + "done\n" + "rm -f " + Quote(pidFile) + "\n" + "rmdir " + dir +
           " 2>/dev/null\n" + "exit 0\n";
}

std::string HeldElsewhere(const std::string& file, const std::string& pidFile) {
    // Every process's open files, as "/proc/PID/fd<TAB>target"; the FUSE program's do not count.
    return "p=$(cat " + Quote(pidFile) + " 2>/dev/null)\n" +
           "find /proc/[0-9]*/fd -maxdepth 1 -type l -printf '%h\\t%l\\n' 2>/dev/null |\n" + "  F=" + Quote(file) +
           " S=\"/proc/$p/fd\" awk -F '\\t' '$2 == ENVIRON[\"F\"] && $1 != ENVIRON[\"S\"] { held = 1 } END { exit "
           "!held }'\n";
}

std::string Running(const std::string& pidFile) {
    return std::string(kAlive) + "alive \"$(cat " + Quote(pidFile) + " 2>/dev/null)\"\n";
}

}  // namespace UStandinMountScripts
