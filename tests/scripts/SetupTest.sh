#!/usr/bin/env bash
# The setup command's decisions, against stand-in apt-get, dpkg and dpkg-query on PATH that
# record what they are asked and fail the way fresh machines do. Writes a GoogleTest-style XML
# report to $1 (when given) so the test command counts each case.
set -u
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
report="${1:-}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Stand-ins. State lives in $FAKE: installed (one package per line), arches, calls.log, and
# the knobs update_fails (how many updates fail, each naming the i386 security list), refuse
# (packages the installer refuses) and keep_lists (0: a failed update leaves no lists).
mkdir -p "$work/bin"
cat >"$work/bin/dpkg-query" <<'EOF'
#!/usr/bin/env bash
pkg="${!#}"
if [ "$pkg" = '*:i386' ]; then grep ':i386$' "$FAKE/installed"; exit 0; fi
grep -qx "$pkg" "$FAKE/installed" && { echo "install ok installed"; exit 0; }
exit 1
EOF
cat >"$work/bin/dpkg" <<'EOF'
#!/usr/bin/env bash
echo "dpkg $*" >>"$FAKE/calls.log"
case "$1" in
    --print-foreign-architectures) cat "$FAKE/arches" ;;
    --add-architecture) echo "$2" >>"$FAKE/arches" ;;
    --remove-architecture) sed -i "/^$2\$/d" "$FAKE/arches" ;;
esac
EOF
cat >"$work/bin/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE/calls.log"
case " $* " in
    *" update "*)
        n=$(cat "$FAKE/update_fails")
        if [ "$n" -gt 0 ]; then
            echo $((n - 1)) >"$FAKE/update_fails"
            [ "$(cat "$FAKE/keep_lists")" = 1 ] || rm -f "$FAKE/lists/"*
            echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 1.2.3.4 80]" >&2
            echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
            exit 100
        fi
        touch "$FAKE/lists/deb.debian.org_debian_dists_bookworm_main_binary-amd64_Packages.lz4"
        exit 0 ;;
esac
for p in "$@"; do
    case "$p" in -*|install) continue ;; esac
    if grep -qx "$p" "$FAKE/refuse"; then
        echo "E: Unable to correct problems, you have held broken packages." >&2
        exit 100
    fi
done
case " $* " in *" -s "*) exit 0 ;; esac
for p in "$@"; do case "$p" in -*|install) ;; *) echo "$p" >>"$FAKE/installed" ;; esac; done
EOF
chmod +x "$work/bin/"*

all_required() { sed -n '/^required=(/,/)/p' "$root/scripts/setup.sh" | tr -d '()' | sed 's/required=//' | tr ' ' '\n' | grep -v '^$'; }

# fresh_machine <installed: all|none> <update_fails> <refuse...>
fresh_machine() {
    export FAKE="$work/case$((++case_no))"
    mkdir -p "$FAKE/lists"
    : >"$FAKE/calls.log"; : >"$FAKE/arches"; : >"$FAKE/refuse"
    echo 1 >"$FAKE/keep_lists"
    touch "$FAKE/lists/old_Packages"
    if [ "$1" = all ]; then all_required >"$FAKE/installed"; else : >"$FAKE/installed"; fi
    echo "$2" >"$FAKE/update_fails"
    shift 2
    for p in "$@"; do echo "$p" >>"$FAKE/refuse"; done
}

run_setup() {
    out="$(PATH="$work/bin:$PATH" VMX_APT_LISTS="$FAKE/lists" bash "$root/scripts/setup.sh" 2>&1)"
    rc=$?
}

results=() failures=0 case_no=0
check() { # check <case> <condition text> <command...>
    local name="$1" what="$2"
    shift 2
    if "$@"; then return 0; fi
    echo "FAILED $name: $what"
    echo "  output: $out"
    echo "  calls: $(tr '\n' ';' <"$FAKE/calls.log")"
    bad=1
}
finish() { # finish <case>
    if ((bad)); then results+=("$1 F"); failures=$((failures + 1)); else results+=("$1 P"); echo "ok $1"; fi
}
calls() { grep -c -- "$1" "$FAKE/calls.log"; }
has() { grep -q -- "$1" <<<"$out"; }
count_in_calls() { [ "$(calls "$1")" -eq "$2" ]; }

# Everything present, kernel without 32-bit: no update, no install, one line on wine32.
bad=0; fresh_machine all 0; VMX_KERNEL_32BIT=no run_setup
check NothingMissing "exit 0" [ "$rc" -eq 0 ]
check NothingMissing "no apt-get call" count_in_calls "apt-get" 0
check NothingMissing "no i386 architecture added" count_in_calls "add-architecture" 0
check NothingMissing "says wine32 is skipped and why" has "wine32:i386 skipped: this kernel refuses 32-bit"
finish NothingMissing

# One stale index on both tries, lists still there: go on, name it, install everything at once.
bad=0; fresh_machine none 2; VMX_KERNEL_32BIT=no run_setup
check StaleIndexGoesOn "exit 0" [ "$rc" -eq 0 ]
check StaleIndexGoesOn "update tried twice" count_in_calls "apt-get update" 2
check StaleIndexGoesOn "names the failed list" has "failed (100) for: http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz"
check StaleIndexGoesOn "one install call" count_in_calls "apt-get install -y" 1
check StaleIndexGoesOn "installed ninja-build" grep -qx ninja-build "$FAKE/installed"
finish StaleIndexGoesOn

# A failure that the retry mends is not reported as a failed list.
bad=0; fresh_machine none 1; VMX_KERNEL_32BIT=no run_setup
check RetryMends "exit 0" [ "$rc" -eq 0 ]
check RetryMends "says it retries" has "retrying once"
check RetryMends "no failed list" eval '! has "going on with the lists"'
finish RetryMends

# No lists at all after the failures: nothing can be installed, and setup says so.
bad=0; fresh_machine none 2; echo 0 >"$FAKE/keep_lists"; VMX_KERNEL_32BIT=no run_setup
check NoListsFails "exit 1" [ "$rc" -eq 1 ]
check NoListsFails "says there are no lists" has "no package lists"
check NoListsFails "no install" count_in_calls "apt-get install -y" 0
finish NoListsFails

# A required package refused: setup fails loudly, naming that package only.
bad=0; fresh_machine none 0 msitools; VMX_KERNEL_32BIT=no run_setup
check RefusedPackageNamed "exit 1" [ "$rc" -eq 1 ]
check RefusedPackageNamed "names it" has "cannot install: msitools $"
finish RefusedPackageNamed

# 32-bit kernel, wine32:i386 refused: tried on its own after the rest, reason printed, tolerated,
# and the i386 architecture it added is taken back.
bad=0; fresh_machine none 2 wine32:i386; VMX_KERNEL_32BIT=yes run_setup
check Wine32Tolerated "exit 0" [ "$rc" -eq 0 ]
check Wine32Tolerated "required installed first, without i386" \
    bash -c 'grep -n "" "$FAKE/calls.log" | grep -m1 "install -y" | grep -qv wine32'
check Wine32Tolerated "wine32 in its own install" grep -qx "apt-get install -y -qq --no-install-recommends wine32:i386" "$FAKE/calls.log"
check Wine32Tolerated "reason printed" has "wine32:i386 not installed, skipped: E: Unable to correct problems"
check Wine32Tolerated "architecture removed again" bash -c '! grep -qx i386 "$FAKE/arches"'
finish Wine32Tolerated

# 32-bit kernel, wine32 installable: it is installed and i386 stays.
bad=0; fresh_machine all 0; VMX_KERNEL_32BIT=yes run_setup
check Wine32Installed "exit 0" [ "$rc" -eq 0 ]
check Wine32Installed "installed" grep -qx wine32:i386 "$FAKE/installed"
check Wine32Installed "i386 kept" grep -qx i386 "$FAKE/arches"
finish Wine32Installed

if [ -n "$report" ]; then
    {
        echo '<?xml version="1.0" encoding="UTF-8"?>'
        echo "<testsuites tests=\"${#results[@]}\" failures=\"$failures\" name=\"AllTests\">"
        echo "  <testsuite name=\"SetupTest\" tests=\"${#results[@]}\" failures=\"$failures\">"
        for r in "${results[@]}"; do
            if [ "${r##* }" = P ]; then
                echo "    <testcase name=\"${r% *}\" classname=\"SetupTest\" />"
            else
                echo "    <testcase name=\"${r% *}\" classname=\"SetupTest\"><failure message=\"see output\" /></testcase>"
            fi
        done
        echo "  </testsuite>"
        echo "</testsuites>"
    } >"$report"
fi
((failures == 0))
