#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the run need; quiet when all are present.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    NEED_UPDATE=1
fi

for p in cmake ninja-build g++ mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix \
         wine wine64 wine32:i386 xvfb googletest dosfstools mtools ntfs-3g msitools \
         fonts-noto-cjk imagemagick fuse3 xauth unicode-data ccache; do
    have "$p" || need+=("$p")
done

if ((${#need[@]})); then
    echo "setup: installing ${need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
