# Wine settings shared by every script that starts a Windows program (sourced).
_vmx_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${VMX_WINEPREFIX:-$_vmx_root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
VMX_WINE64=/usr/lib/wine/wine64
VMX_WINE32=/usr/lib/wine/wine
export WINELOADER="$VMX_WINE64"
export WINESERVER=/usr/lib/wine/wineserver

# Machine field of a PE file: 8664 (x64), 14c (x86).
vmx_pe_machine() {
    local off
    off=$(od -An -t u4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ') || return 1
    od -An -t x2 -j $((off + 4)) -N 2 "$1" 2>/dev/null | tr -d ' '
}

# True when this kernel runs 32-bit Linux programs, which Wine's 32-bit loader is: runs a
# 94-byte i386 program that exits with 7. VMX_KERNEL_32BIT=yes|no overrides (tests of setup).
vmx_kernel_runs_32bit() {
    case "${VMX_KERNEL_32BIT:-}" in yes) return 0 ;; no) return 1 ;; esac
    local probe rc
    probe="$(mktemp)" || return 1
    printf '\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08\x34\0\0\0\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\0\0\0\0\0\0\x01\0\0\0\0\0\0\0\0\x80\x04\x08\0\x80\x04\x08\x5e\0\0\0\x5e\0\0\0\x05\0\0\0\0\x10\0\0\xb8\x01\0\0\0\xbb\x07\0\0\0\xcd\x80' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    rc=$?
    rm -f "$probe"
    [ "$rc" -eq 7 ]
}

# True when Wine's 32-bit loader is installed and starts.
vmx_can_run_wine32() {
    [ -x "$VMX_WINE32" ] && "$VMX_WINE32" --version >/dev/null 2>&1
}

# Why 32-bit Windows programs cannot run here (empty when they can).
vmx_wine32_missing_reason() {
    if ! vmx_kernel_runs_32bit; then
        echo "this machine's kernel refuses 32-bit Linux programs, so Wine cannot start 32-bit Windows programs"
    elif ! [ -x "$VMX_WINE32" ]; then
        echo "wine32:i386 is not installed (setup could not install it; its reason is printed above)"
    elif ! vmx_can_run_wine32; then
        echo "Wine's 32-bit loader does not start ($VMX_WINE32 --version fails)"
    fi
}

vmx_wine_loader_for() {
    case "$(vmx_pe_machine "$1")" in
        14c|014c)
            if vmx_can_run_wine32; then
                echo "$VMX_WINE32"
            else
                echo "wine-run: cannot run 32-bit programs here: $(vmx_wine32_missing_reason): $1" >&2
                return 1
            fi ;;
        *) echo "$VMX_WINE64" ;;
    esac
}
