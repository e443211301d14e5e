#!/usr/bin/env bash
# Runs every benchmark program a few times and prints one table: each figure, its
# target, the median of the runs, and whether the median meets the target.
# Usage: scripts/run-benchmarks.sh BUILD_DIR [RUNS]
# BENCH_PROGRAMS="download_bench graph_bench" runs only those. The programs in BENCH_ONCE
# run once whatever RUNS says: download_bench paces a full ring at a console's speed
# (about three minutes) and its figures do not vary from run to run.
set -euo pipefail
build=${1:?usage: run-benchmarks.sh BUILD_DIR [RUNS]}
runs=${2:-3}
export QT_QPA_PLATFORM=offscreen

read -r -a programs <<< "${BENCH_PROGRAMS:-download_bench acquisition_bench import_bench history_bench graph_bench startup_bench web_bench}"
read -r -a once <<< "${BENCH_ONCE:-download_bench}"
figures=$(mktemp)
trap 'rm -f "$figures"' EXIT

for program in "${programs[@]}"; do
    [ -x "$build/bench/$program" ] || continue
    program_runs=$runs
    for single in "${once[@]}"; do
        if [ "$single" = "$program" ]; then program_runs=1; fi
    done
    for ((run = 1; run <= program_runs; run++)); do
        echo "bench: $program, run $run of $program_runs" >&2
        "$build/bench/$program" 2>/dev/null | grep '^@figure|' >> "$figures" ||
            echo "bench: $program failed in run $run" >&2
    done
done

awk -F'|' '
    !($2 in seen) { seen[$2] = 1; order[++count] = $2; target[$2] = $3; unit[$2] = $5;
                    direction[$2] = $6; limit[$2] = $7 }
    { values[$2, ++n[$2]] = $4 }
    END {
        printf "%-66s %-12s %12s  %s\n", "figure", "target", "median", "result"
        short = 0
        for (i = 1; i <= count; i++) {
            f = order[i]
            # Insertion sort of this figure'"'"'s runs, then the middle one.
            for (a = 1; a <= n[f]; a++) v[a] = values[f, a] + 0
            for (a = 2; a <= n[f]; a++) { x = v[a]; b = a - 1
                while (b >= 1 && v[b] > x) { v[b + 1] = v[b]; b-- } v[b + 1] = x }
            median = n[f] % 2 ? v[(n[f] + 1) / 2] : (v[n[f] / 2] + v[n[f] / 2 + 1]) / 2
            met = direction[f] == ">" ? median > limit[f] : median < limit[f]
            if (!met) short++
            printf "%-66s %-12s %10.4g %-3s %s\n", f, target[f], median, unit[f], met ? "pass" : "short"
        }
        if (short) printf "%d figure(s) short of target\n", short
    }' "$figures"
