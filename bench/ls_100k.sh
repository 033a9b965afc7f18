#!/usr/bin/env bash
# `wendaro-cli ls` of a shared folder with 100,000 files, end to end (target: below 1 s).
# Usage: sudo bench/ls_100k.sh <directory of wendaro-cli> [files]
# shellcheck source=bench/bench_lib.sh
. "$(dirname "$0")/bench_lib.sh"
bench_init "$1"
FILES=${2:-100000}
NS="${BENCH_PREFIX}srv"
bench_add_namespace "$NS"
mkdir -p "$BENCH_TMP/share/many"
(cd "$BENCH_TMP/share/many" && seq -f "file-%06g.dat" 1 "$FILES" | xargs touch)
bench_config "$BENCH_TMP/s.ini" srv
"$BENCH_CLI" --config "$BENCH_TMP/s.ini" share add data "$BENCH_TMP/share"
bench_start_serve "$NS" "$BENCH_TMP/s.ini" "$BENCH_TMP/s.out"
bench_wait_ready "$NS" "$BENCH_TMP/s.ini" 127.0.0.1
best=0
for round in 1 2 3; do
    start=$(bench_now_ns)
    ip netns exec "$NS" "$BENCH_CLI" --config "$BENCH_TMP/c.ini" ls 127.0.0.1 /data/many \
        >"$BENCH_TMP/ls.out" || { echo "ls failed" >&2; exit 1; }
    end=$(bench_now_ns)
    took=$((end - start))
    { [ "$best" -eq 0 ] || [ "$took" -lt "$best" ]; } && best=$took
    echo "round $round: $((took / 1000000)) ms, $(($(wc -l <"$BENCH_TMP/ls.out") - 1)) entries"
done
echo "ls of a folder with $FILES files, best of 3: $((best / 1000000)) ms"
