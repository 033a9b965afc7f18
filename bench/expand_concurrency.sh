#!/usr/bin/env bash
# 200 "expand" requests sent at the same moment to one serve; all must be answered.
# Usage: sudo bench/expand_concurrency.sh <directory of wendaro-cli> [count]
# shellcheck source=bench/bench_lib.sh
. "$(dirname "$0")/bench_lib.sh"
bench_init "$1"
COUNT=${2:-200}
NS="${BENCH_PREFIX}srv"
bench_add_namespace "$NS"
mkdir -p "$BENCH_TMP/share"
for i in $(seq 50); do head -c $((i * 100)) /dev/zero >"$BENCH_TMP/share/file$i.dat"; done
bench_config "$BENCH_TMP/s.ini" srv
"$BENCH_CLI" --config "$BENCH_TMP/s.ini" share add data "$BENCH_TMP/share"
bench_start_serve "$NS" "$BENCH_TMP/s.ini" "$BENCH_TMP/s.out"
bench_wait_ready "$NS" "$BENCH_TMP/s.ini" 127.0.0.1
ip netns exec "$NS" python3 "$(dirname "$0")/expand_concurrency.py" 127.0.0.1 12346 '\data' "$COUNT"
