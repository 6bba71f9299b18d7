# Counts GoogleTest XML test cases: prints "passed failed skipped".
/<testcase / {
    if (open) { if (bad) f++; else if (skip) s++; else p++ }
    open = 1; bad = 0; skip = ($0 ~ /result="skipped"/)
    if ($0 ~ /\/>[[:space:]]*$/) { if (skip) s++; else p++; open = 0 }
    next
}
/<failure/ { if (open) bad = 1 }
/<\/testcase>/ { if (open) { if (bad) f++; else if (skip) s++; else p++ }; open = 0 }
END { printf "%d %d %d\n", p + 0, f + 0, s + 0 }
