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

# True when this kernel runs 32-bit Linux programs (Wine's 32-bit loader needs that).
vmx_can_run_wine32() {
    [ -x "$VMX_WINE32" ] && "$VMX_WINE32" --version >/dev/null 2>&1
}

vmx_wine_loader_for() {
    case "$(vmx_pe_machine "$1")" in
        14c|014c)
            if vmx_can_run_wine32; then
                echo "$VMX_WINE32"
            else
                echo "wine-run: this machine cannot run 32-bit programs (its kernel refuses 32-bit Linux binaries): $1" >&2
                return 1
            fi ;;
        *) echo "$VMX_WINE64" ;;
    esac
}
