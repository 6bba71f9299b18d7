#!/usr/bin/env bash
# The run command: installs what is missing, builds what is stale, then starts the suite
# under Wine (on Xvfb when there is no display). Programs not built yet are named, not started.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

bash "$VMX_ROOT/scripts/setup.sh" || exit 1
for t in ${VMX_TREES:-native win64 win32}; do
    vmx_log "building $t"
    vmx_build_tree "$t" || exit 1
done

standin="$VMX_BUILD/win64/VelmoraEXStandin.exe"
utility="$VMX_BUILD/win64/VelmoraEXUtility.exe"
if [ ! -f "$utility" ]; then
    echo "Built: $(cd "$VMX_BUILD" && ls win64/*.exe 2>/dev/null | tr '\n' ' ')"
    echo "Would start: $standin (the driver stand-in), then $utility under Wine;"
    echo "neither program exists yet, so nothing was started."
    exit 0
fi

trap vmx_stop_services EXIT
vmx_start_display
vmx_start_wine
[ -f "$standin" ] && { VMX_WINE_TIMEOUT=${VMX_RUN_SECONDS:-86400} "$VMX_ROOT/scripts/wine-run" "$standin" & }
VMX_WINE_TIMEOUT=${VMX_RUN_SECONDS:-86400} "$VMX_ROOT/scripts/wine-run" "$utility" "$@"
