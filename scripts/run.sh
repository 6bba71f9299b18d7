#!/usr/bin/env bash
# The run command: installs what is missing, builds what is stale, then starts the driver
# stand-in and the utility under Wine (on Xvfb when there is no display) and leaves them running.
#   bash scripts/run.sh          start (programs not built yet are named, not started)
#   bash scripts/run.sh --stop   stop the stand-in, the utility, Wine and our Xvfb
set -uo pipefail
export VMX_WINEPREFIX="${VMX_WINEPREFIX:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/run-prefix}"
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

state="$VMX_BUILD/run"
standin="$VMX_BUILD/win64/VelmoraEXStandin.exe"
utility="$VMX_BUILD/win64/VelmoraEXUtility.exe"

stop() {
    if [ -f "$standin" ] && [ -f "$VMX_WINEPREFIX/system.reg" ]; then
        DISPLAY="$(cat "$state/display" 2>/dev/null || echo "${DISPLAY:-}")" \
            VMX_WINE_TIMEOUT=30 "$VMX_ROOT/scripts/wine-run" "$standin" --stop >/dev/null 2>&1 || true
        # It saves its disks and closes their drives before it ends: give it that time.
        for _ in $(seq 600); do
            pgrep -f 'VelmoraEXStandin\.exe' >/dev/null || break
            sleep 0.1
        done
    fi
    timeout 30 "$WINESERVER" -k >/dev/null 2>&1 || true
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    fi
    rm -rf "$state"
    echo "stopped"
}

if [ "${1:-}" = "--stop" ]; then
    stop
    exit 0
fi

bash "$VMX_ROOT/scripts/setup.sh" || exit 1
for t in ${VMX_TREES:-native win64 win32}; do
    vmx_log "building $t"
    vmx_build_tree "$t" || exit 1
done

mkdir -p "$state"
if [ -z "${DISPLAY:-}" ]; then
    vmx_start_display
    echo "$VMX_XVFB_PID" >"$state/xvfb.pid"
    VMX_XVFB_PID=
fi
echo "$DISPLAY" >"$state/display"
vmx_start_wine

# A first run gets one disk set to start with Windows: 64 MiB on R:, NTFS, no backup.
data="$VMX_WINEPREFIX/drive_c/ProgramData/Norvane/VelmoraEX"
if [ -f "$utility" ] && ! ls "$data"/VelmoraEX*.ini >/dev/null 2>&1; then
    mkdir -p "$data"
    printf '[RamDisk]\r\nDriveSize=67108864\r\nDriveLetter=R\r\nFormatType=4\r\nMemType=1\r\nSaveType=0\r\nLoadType=1\r\n' \
        >"$data/VelmoraEX0.ini"
    timeout 60 "$VMX_WINE64" reg add 'HKLM\SYSTEM\CurrentControlSet\Services\VelmoraEX\Parameters\LoadSettings' \
        /v StartUp0 /t REG_SZ /d 'C:\ProgramData\Norvane\VelmoraEX\VelmoraEX0.ini' /f >/dev/null 2>&1 || true
    echo "made a 64 MiB disk R: set to start with Windows ($data/VelmoraEX0.ini)"
fi

log="$state/programs.log"
started=()
if [ -f "$standin" ]; then
    setsid env VMX_WINE_TIMEOUT="${VMX_RUN_SECONDS:-604800}" "$VMX_ROOT/scripts/wine-run" "$standin" >>"$log" 2>&1 &
    started+=("driver stand-in ($standin)")
fi
if [ -f "$utility" ]; then
    setsid env VMX_WINE_TIMEOUT="${VMX_RUN_SECONDS:-604800}" "$VMX_ROOT/scripts/wine-run" "$utility" "$@" >>"$log" 2>&1 &
    started+=("utility ($utility)")
else
    echo "The utility (VelmoraEXUtility.exe) is not built yet; it would start next."
fi
for s in "${started[@]}"; do echo "started: $s"; done
echo "display $DISPLAY, Wine prefix $VMX_WINEPREFIX, output in $log"
echo "stop with: bash scripts/run.sh --stop"
