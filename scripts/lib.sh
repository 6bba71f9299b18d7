# Shared helpers of the build, test and run commands (sourced, not run).
VMX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
VMX_BUILD="${VMX_BUILD:-$VMX_ROOT/build}"
export VMX_WINEPREFIX="${VMX_WINEPREFIX:-$VMX_BUILD/wineprefix}"
source "$VMX_ROOT/scripts/wine-env.sh"

vmx_log() { printf '== %s\n' "$*" >&2; }

# Configures (once) and builds one tree: native | native-asan | win64 | win32.
vmx_build_tree() {
    local tree="$1" dir="$VMX_BUILD/$1"
    local -a args=(-G Ninja -DCMAKE_BUILD_TYPE=Release)
    mkdir -p "$VMX_BUILD" "$(dirname "$VMX_WINEPREFIX")"
    # Compiler cache keyed on paths relative to the checkout, so another clone reuses it.
    if command -v ccache >/dev/null 2>&1; then
        args+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        export CCACHE_BASEDIR="$VMX_ROOT" CCACHE_NOHASHDIR=1
    fi
    case "$tree" in
        native)      ;;
        native-asan) args+=(-DVMX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1") ;;
        win64)       args+=(-DCMAKE_TOOLCHAIN_FILE="$VMX_ROOT/cmake/toolchain-x86_64-w64-mingw32.cmake") ;;
        win32)       args+=(-DCMAKE_TOOLCHAIN_FILE="$VMX_ROOT/cmake/toolchain-i686-w64-mingw32.cmake") ;;
        fuzz)        args+=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVMX_FUZZ=ON -DVMX_TESTS=OFF
                           -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
        *) echo "unknown tree $tree" >&2; return 2 ;;
    esac
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$VMX_ROOT" -B "$dir" "${args[@]}" >"$VMX_BUILD/$tree-configure.log" 2>&1 \
            || { cat "$VMX_BUILD/$tree-configure.log" >&2; return 1; }
    fi
    cmake --build "$dir" -- -j"$(nproc)" >"$VMX_BUILD/$tree-build.log" 2>&1 \
        || { tail -n 60 "$VMX_BUILD/$tree-build.log" >&2; return 1; }
}

# Starts Xvfb when there is no display; records its pid for vmx_stop_services.
vmx_start_display() {
    if [ -z "${DISPLAY:-}" ]; then
        local n=97
        while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
        Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
        VMX_XVFB_PID=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    fi
}

# Creates the prefix once (with CJK fonts behind the dialog fonts) and waits until its
# wineserver has written it out: the test programs run in copies of it.
vmx_prepare_wine_prefix() {
    local changed=0
    mkdir -p "$VMX_BUILD" "$(dirname "$VMX_WINEPREFIX")"
    if [ ! -f "$VMX_WINEPREFIX/system.reg" ]; then
        changed=1
        vmx_log "creating Wine prefix $VMX_WINEPREFIX"
        timeout 300 "$VMX_WINE64" wineboot --init >/dev/null 2>&1 || true
    fi
    # Japanese text needs a CJK font behind the fonts dialogs and menus ask for (also added to
    # prefixes made before this was done).
    if ! grep -q 'Fonts\\\\Replacements' "$VMX_WINEPREFIX/user.reg" 2>/dev/null; then
        local font
        changed=1
        for font in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "MS UI Gothic" "Segoe UI" "Liberation Sans"; do
            timeout 60 "$VMX_WINE64" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" \
                /d "Noto Sans CJK JP" /f >/dev/null 2>&1 || true
        done
    fi
    ((changed == 0)) || timeout 120 "$WINESERVER" -w || true
}

# Prepares the prefix and keeps its wineserver warm for the programs of a run.
vmx_start_wine() {
    vmx_prepare_wine_prefix
    "$WINESERVER" -p >/dev/null 2>&1 || true
    timeout 120 "$VMX_WINE64" wineboot >/dev/null 2>&1 || true
}

vmx_stop_services() {
    timeout 30 "$WINESERVER" -k >/dev/null 2>&1 || true
    # What test programs killed from outside left behind: their prefixes, servers and displays.
    local left
    for left in "$VMX_BUILD"/*/prefixes/*; do
        [ -e "$left" ] || continue
        if [ -f "$left" ] && [[ "$left" == *.xvfb ]]; then
            kill "$(cat "$left")" 2>/dev/null || true
        elif [ -d "$left" ]; then
            WINEPREFIX="$left" timeout 30 "$WINESERVER" -k >/dev/null 2>&1 || true
        fi
        rm -rf "$left"
    done
    if [ -n "${VMX_XVFB_PID:-}" ]; then
        kill "$VMX_XVFB_PID" 2>/dev/null || true
        wait "$VMX_XVFB_PID" 2>/dev/null || true
        VMX_XVFB_PID=
    fi
}

# A Japanese locale for Windows programs that list names through the ANSI code page (Wine's file
# manager does): made from the installed locale data when missing. Prints its name; fails when
# there is none.
vmx_japanese_locale() {
    if ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
        localedef -i ja_JP -f UTF-8 ja_JP.UTF-8 >/dev/null 2>&1 || return 1
    fi
    echo ja_JP.UTF-8
}
