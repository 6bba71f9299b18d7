#!/usr/bin/env bash
# The test command: installs what is missing, builds every tree, runs all suites
# (native, native under ASan/UBSan, Windows 64- and 32-bit under Wine) and ends with
# the line "N passed, N failed".
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

bash "$VMX_ROOT/scripts/setup.sh" || exit 1
trap vmx_stop_services EXIT

trees=(${VMX_TREES:-native native-asan win64 win32 fuzz})
start=$SECONDS
for t in "${trees[@]}"; do
    vmx_log "building $t"
    tree_start=$SECONDS
    vmx_build_tree "$t" || { echo "build of $t failed"; echo "0 passed, 1 failed"; exit 1; }
    vmx_log "$t built in $((SECONDS - tree_start)) s"
done
vmx_log "built in $((SECONDS - start)) s"

vmx_start_display
vmx_prepare_wine_prefix
# Test programs run in copies of the prefix (scripts/wine-run): nothing may be writing it.
timeout 30 "$WINESERVER" -k >/dev/null 2>&1 || true

passed=0 failed=0 skipped=0 status=0
for t in "${trees[@]}"; do
    dir="$VMX_BUILD/$t"
    rm -f "$dir"/test-results/*.xml
    if [ "$t" = fuzz ]; then
        # Every fuzz target for a few seconds from its corpus (scripts/fuzz for longer runs).
        vmx_log "fuzzing ${VMX_FUZZ_SECONDS:-4} s a target"
        tree_start=$SECONDS
        mkdir -p "$dir/test-results"
        VMX_FUZZ_REPORT="$dir/test-results/fuzz.xml" bash "$VMX_ROOT/scripts/fuzz" "${VMX_FUZZ_SECONDS:-4}" || status=1
        read -r p f s < <(awk -f "$VMX_ROOT/scripts/gtest-count.awk" /dev/null "$dir/test-results/fuzz.xml")
        vmx_log "fuzz: $p passed, $f failed, $s skipped in $((SECONDS - tree_start)) s"
        passed=$((passed + p)) failed=$((failed + f)) skipped=$((skipped + s))
        continue
    fi
    if [ "$t" = win32 ] && ! vmx_can_run_wine32; then
        n=$(ctest --test-dir "$dir" -N | awk '/Total Tests:/ {print $3}')
        vmx_log "win32: built; not run: $(vmx_wine32_missing_reason) ($n test programs counted as skipped)"
        skipped=$((skipped + n))
        continue
    fi
    vmx_log "testing $t"
    tree_start=$SECONDS
    export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    # Wine suites mostly wait (windows, pipes, timers) and each has its own prefix: run many.
    jobs=$(nproc)
    [[ "$t" == win* ]] && jobs=$((4 * jobs))
    ctest --test-dir "$dir" --output-on-failure -j"$jobs" ${VMX_CTEST_ARGS:-} || status=1
    shopt -s nullglob
    reports=("$dir"/test-results/*.xml)
    shopt -u nullglob
    read -r p f s < <(awk -f "$VMX_ROOT/scripts/gtest-count.awk" /dev/null "${reports[@]}")
    # A suite that died before writing its report still counts as one failure.
    if [ -f "$dir/Testing/Temporary/LastTestsFailed.log" ]; then
        while IFS=: read -r _ name; do
            [ -f "$dir/test-results/$name.xml" ] || f=$((f + 1))
        done <"$dir/Testing/Temporary/LastTestsFailed.log"
    fi
    vmx_log "$t: $p passed, $f failed, $s skipped in $((SECONDS - tree_start)) s"
    passed=$((passed + p)) failed=$((failed + f)) skipped=$((skipped + s))
done
vmx_log "tests took $((SECONDS - start)) s in all"
[ "$failed" -eq 0 ] || status=1
echo "$passed passed, $failed failed, $skipped skipped"
exit $status
