# Counts GoogleTest XML test cases: prints "passed failed skipped".
/<testcase / {
    if (open) { if (bad) f++; else if (skip) s++; else p++ }
    open = 1; bad = ($0 ~ /<failure/); skip = ($0 ~ /result="skipped"/)
    # A case on one line: self-closing, or closed after its failure on the same line.
    if ($0 ~ /\/>[[:space:]]*$/ || $0 ~ /<\/testcase>/) { if (bad) f++; else if (skip) s++; else p++; open = 0 }
    next
}
/<failure/ { if (open) bad = 1 }
/<\/testcase>/ { if (open) { if (bad) f++; else if (skip) s++; else p++ }; open = 0 }
END { printf "%d %d %d\n", p + 0, f + 0, s + 0 }
