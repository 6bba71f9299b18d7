#!/usr/bin/env bash
# The run command: installs what is missing, builds what is stale, then starts the driver
# stand-in and the utility under Wine (on Xvfb when there is no display) and leaves them running,
# waits for the first disk's drive and shows it in Wine's file manager.
#   bash scripts/run.sh          start (programs not built yet are named, not started)
#   bash scripts/run.sh --stop   stop the stand-in, the utility, Wine and our Xvfb
set -uo pipefail
export VMX_WINEPREFIX="${VMX_WINEPREFIX:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/run-prefix}"
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

state="$VMX_BUILD/run"
standin="$VMX_BUILD/win64/VelmoraEXStandin.exe"
utility="$VMX_BUILD/win64/VelmoraEXUtility.exe"
# A RAM folder of this prefix's own: a stand-in of another prefix takes the drives it finds in its
# folder for ones left behind.
ram_unix="/dev/shm/VelmoraEXStandin-run-$(printf '%s' "$VMX_WINEPREFIX" | cksum | cut -d' ' -f1)"
ram="Z:${ram_unix//\//\\}"

stop() {
    # The file manager first: a window open on the drive would keep it busy.
    if [ -f "$state/winefile.pid" ]; then
        kill "$(cat "$state/winefile.pid")" 2>/dev/null || true
        for _ in $(seq 50); do
            kill -0 "$(cat "$state/winefile.pid")" 2>/dev/null || break
            sleep 0.1
        done
    fi
    if [ -f "$standin" ] && [ -f "$VMX_WINEPREFIX/system.reg" ]; then
        DISPLAY="$(cat "$state/display" 2>/dev/null || echo "${DISPLAY:-}")" \
            VMX_WINE_TIMEOUT=30 "$VMX_ROOT/scripts/wine-run" "$standin" --stop >/dev/null 2>&1 || true
        # It saves its disks and closes their drives before it ends: give it that time.
        for _ in $(seq 600); do
            if [ -f "$state/standin.pid" ]; then
                kill -0 "$(cat "$state/standin.pid")" 2>/dev/null || break
            else
                pgrep -f 'VelmoraEXStandin\.exe' >/dev/null || break
            fi
            sleep 0.1
        done
    fi
    timeout 30 "$WINESERVER" -k >/dev/null 2>&1 || true
    rmdir "$ram_unix" 2>/dev/null || true
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
    setsid env VMX_WINE_TIMEOUT="${VMX_RUN_SECONDS:-604800}" "$VMX_ROOT/scripts/wine-run" "$standin" \
        --ram-dir "$ram" >>"$log" 2>&1 &
    echo $! >"$state/standin.pid"
    started+=("driver stand-in ($standin)")
fi
if [ -f "$utility" ]; then
    setsid env VMX_WINE_TIMEOUT="${VMX_RUN_SECONDS:-604800}" "$VMX_ROOT/scripts/wine-run" "$utility" "$@" >>"$log" 2>&1 &
    started+=("utility ($utility)")
else
    echo "The utility (VelmoraEXUtility.exe) is not built yet; it would start next."
fi
for s in "${started[@]}"; do echo "started: $s"; done

# The first disk's letter (R: unless its settings name another), once the stand-in has mounted its
# volume and defined the letter; meanwhile a stand-in that cannot open drives says why in the log.
letter="$(sed -n 's/^DriveLetter=\([A-Za-z]\)\r\?$/\1/p' "$data/VelmoraEX0.ini" 2>/dev/null | head -n 1)"
letter="${letter:-R}"
lower="$(printf '%s' "$letter" | tr 'A-Z' 'a-z')"
drive_ready() {
    local target
    target="$(readlink -f "$VMX_WINEPREFIX/dosdevices/$lower:" 2>/dev/null)" || return 1
    [ -n "$target" ] && mountpoint -q "$target" 2>/dev/null
}
if [ -f "$standin" ] && [ -f "$data/VelmoraEX0.ini" ]; then
    why=
    for _ in $(seq "${VMX_DRIVE_WAIT:-60}"); do
        drive_ready && break
        why="$(grep -a -m 1 -e 'disks are not opened as drives' -e "no drive $letter:" "$log" 2>/dev/null | tr -d '\r')"
        [ -n "$why" ] && break
        kill -0 "$(cat "$state/standin.pid")" 2>/dev/null || { why="the stand-in ended (see $log)"; break; }
        sleep 1
    done
    if drive_ready; then
        echo "drive $letter: is ready ($(readlink -f "$VMX_WINEPREFIX/dosdevices/$lower:"))"
        # It lists names through the ANSI code page: a Japanese locale keeps Japanese names. Given
        # a folder on the drive, it lists the drive; given the root, only its tree shows the drive.
        locale_name="$(vmx_japanese_locale)" || locale_name="${LC_ALL:-}"
        first="$(find "$(readlink -f "$VMX_WINEPREFIX/dosdevices/$lower:")" -mindepth 1 -maxdepth 1 -type d \
            -printf '%f\n' 2>/dev/null | head -n 1)"
        setsid env ${locale_name:+LC_ALL="$locale_name"} timeout -k 10 "${VMX_RUN_SECONDS:-604800}" \
            "$VMX_WINE64" winefile "$letter:\\$first" >>"$log" 2>&1 &
        echo $! >"$state/winefile.pid"
        echo "started: Wine's file manager on $letter:\\"
    else
        echo "drive $letter: did not come up: ${why:-not there after ${VMX_DRIVE_WAIT:-60} s}"
        echo "the disk runs in the stand-in without a drive letter; see $log"
    fi
fi
echo "display $DISPLAY, Wine prefix $VMX_WINEPREFIX, output in $log"
echo "stop with: bash scripts/run.sh --stop"
