#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the run need; quiet when all are present.
#   - a package index that fails to download is retried once; with package lists on the machine
#     afterwards setup goes on and names the lists that failed;
#   - the packages every machine needs are installed in one step; one that cannot be installed
#     fails setup, named;
#   - wine32:i386 (32-bit Windows programs) is tried on its own, only where the kernel runs 32-bit
#     programs; its failure is reported and tolerated (the win32 suites are then skipped).
# VMX_APT_LISTS names the folder of the package lists (default /var/lib/apt/lists).
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

lists="${VMX_APT_LISTS:-/var/lib/apt/lists}"
required=(cmake ninja-build g++ mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
          wine wine64 xvfb googletest dosfstools mtools ntfs-3g msitools wixl fonts-noto-cjk
          imagemagick fuse3 fusefat xauth unicode-data ccache clang libclang-rt-14-dev)
export DEBIAN_FRONTEND=noninteractive

say() { printf 'setup: %s\n' "$*" >&2; }
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
lists_present() { compgen -G "$lists/*_Packages*" >/dev/null; }

# apt-get update, retried once; goes on with the lists it has, naming those that failed.
updated=0
update_index() {
    ((updated)) && return 0
    local out rc attempt
    for attempt in 1 2; do
        out="$(apt-get update -qq 2>&1)"
        rc=$?
        ((rc == 0)) && { updated=1; return 0; }
        ((attempt == 1)) && say "apt-get update failed ($rc); retrying once"
    done
    local failed
    failed="$(grep -oE '(Failed to fetch|Err:[0-9]+) +[^ ]+' <<<"$out" | awk '{print $NF}' | sort -u)"
    if ! lists_present; then
        say "apt-get update failed ($rc) and there are no package lists in $lists: cannot install anything"
        printf '%s\n' "$out" >&2
        return 1
    fi
    say "apt-get update failed ($rc) for: ${failed:-(no list named; apt said: $(tail -n 1 <<<"$out"))}; going on with the lists there are"
    updated=1
}

# Names the packages of "$@" that apt cannot install (a dry run each).
uninstallable() {
    local p
    for p in "$@"; do
        apt-get install -s -qq --no-install-recommends "$p" >/dev/null 2>&1 || printf '%s ' "$p"
    done
}

need=()
for p in "${required[@]}"; do
    have "$p" || need+=("$p")
done
if ((${#need[@]})); then
    say "installing ${need[*]}"
    update_index || exit 1
    if ! out="$(apt-get install -y -qq --no-install-recommends "${need[@]}" 2>&1 >/dev/null)"; then
        bad="$(uninstallable "${need[@]}")"
        say "cannot install: ${bad:-one of ${need[*]}}"
        printf '%s\n' "$out" | grep -E '^(E:| )' | head -n 20 >&2
        exit 1
    fi
fi

# 32-bit Windows programs: optional, and only where they could run at all.
if ! vmx_kernel_runs_32bit; then
    say "wine32:i386 skipped: this kernel refuses 32-bit programs; the win32 test programs will be counted as skipped"
elif ! have wine32:i386; then
    added=0
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386 && added=1
        updated=0
    fi
    say "installing wine32:i386 (optional: runs the 32-bit test programs)"
    reason=""
    if ! update_index; then
        reason="no package lists"
    elif ! out="$(apt-get install -y -qq --no-install-recommends wine32:i386 2>&1 >/dev/null)"; then
        reason="$(grep -E '^E:|Depends:' <<<"$out" | head -n 3 | tr '\n' ' ')"
        reason="${reason:-apt-get install failed}"
    fi
    if [ -n "$reason" ]; then
        say "wine32:i386 not installed, skipped: $reason"
        say "the win32 tree is still built; its test programs are counted as skipped"
        # An i386 index we cannot use would only fail every later update.
        if ((added)) && ! dpkg-query -W -f='${Package}\n' '*:i386' 2>/dev/null | grep -q .; then
            dpkg --remove-architecture i386 2>/dev/null || true
        fi
    fi
fi
exit 0
