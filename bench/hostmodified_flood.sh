#!/usr/bin/env bash
# One host keeps a serving host busy: it lists a million shares (about 10 MB) and sends
# "hostmodified" every 0.2 s for 30 s. Measures the serving host's CPU during the flood, its peak
# RSS, and its RSS at rest again (20 s after the flood), from /proc/PID.
# Targets: well below one core; peak and resting RSS near the size of an idle serve.
# Usage: sudo bench/hostmodified_flood.sh <directory of wendaro-cli> [shares=1000000] [seconds=30]
# shellcheck source=bench/bench_lib.sh
. "$(dirname "$0")/bench_lib.sh"
bench_init "$1"
SHARES=${2:-1000000}
FLOOD_SECONDS=${3:-30}

bench_add_bridge
for i in 1 2; do
    ns="${BENCH_PREFIX}h$i"
    bench_add_bridged_host "$i" "10.79.0.$i"
done
TARGET_NS="${BENCH_PREFIX}h1"
HOSTILE_NS="${BENCH_PREFIX}h2"

# The hostile host announces itself with a real serve whose request server listens elsewhere;
# its request port 12346 is the script's.
FLOOD_PY="$(dirname "$0")/hostmodified_flood.py"
timeout -s KILL $((FLOOD_SECONDS + 120)) ip netns exec "$HOSTILE_NS" python3 "$FLOOD_PY" \
    serve 10.79.0.2 "$SHARES" $((FLOOD_SECONDS + 90)) >"$BENCH_TMP/lists.out" 2>&1 &
BENCH_PIDS+=($!)
LISTS_PID=$!
for _ in $(seq 300); do grep -q '^ready' "$BENCH_TMP/lists.out" && break; sleep 0.1; done
bench_config "$BENCH_TMP/hostile.ini" hostile 0
ip netns exec "$HOSTILE_NS" "$BENCH_CLI" --config "$BENCH_TMP/hostile.ini" --request-port 23456 \
    serve </dev/null >"$BENCH_TMP/hostile.out" 2>&1 &
BENCH_PIDS+=($!)

bench_config "$BENCH_TMP/target.ini" target 0
bench_start_serve "$TARGET_NS" "$BENCH_TMP/target.ini" "$BENCH_TMP/target.out"
TARGET=$BENCH_SERVE_PID
rss() { awk -v k="$1:" '$1 == k { print $2 }' "/proc/$TARGET/status"; }

for _ in $(seq 300); do grep -q '^host appeared: 10\.79\.0\.2' "$BENCH_TMP/target.out" && break; sleep 0.1; done
grep -q '^host appeared: 10\.79\.0\.2' "$BENCH_TMP/target.out" || { echo "the hostile host never appeared" >&2; exit 1; }
# Let the first share list arrive and settle.
sleep 5
start_rss=$(rss VmRSS)
timeout -s KILL $((FLOOD_SECONDS + 10)) ip netns exec "$HOSTILE_NS" python3 "$FLOOD_PY" \
    notify 10.79.0.1 "$FLOOD_SECONDS" >"$BENCH_TMP/notify.out" 2>&1 &
NOTIFY_PID=$!
BENCH_PIDS+=("$NOTIFY_PID")
before=$(bench_cpu_ticks "$TARGET")
start=$(bench_now_ns)
peak_during=0
for _ in $(seq "$FLOOD_SECONDS"); do
    sleep 1
    now_rss=$(rss VmRSS)
    [ "$now_rss" -gt "$peak_during" ] && peak_during=$now_rss
done
after=$(bench_cpu_ticks "$TARGET")
end=$(bench_now_ns)
wait "$NOTIFY_PID"
flood_rss=$(rss VmRSS)
sleep 20
rest_rss=$(rss VmRSS)
peak_rss=$(rss VmHWM)
# Where the resting memory lies: the largest mappings by resident size.
echo "largest mappings at rest (KiB resident):"
awk '/^[0-9a-f]+-[0-9a-f]+ / { name = ($6 == "" ? "[anon]" : $6) } $1 == "Rss:" { rss[name] += $2 }
     END { for (n in rss) print rss[n], n }' "/proc/$TARGET/smaps" | sort -rn | head -5
kill "$LISTS_PID" 2>/dev/null
echo "hostile host: $(cat "$BENCH_TMP/notify.out")"
echo "serving host: $(grep -c . "$BENCH_TMP/target.out") output lines, threads now $(find /proc/"$TARGET"/task -mindepth 1 -maxdepth 1 | wc -l)"
awk -v t=$((after - before)) -v hz="$BENCH_HZ" -v ns=$((end - start)) -v s="$SHARES" \
    -v r0="$start_rss" -v rf="$flood_rss" -v rr="$rest_rss" -v rp="$peak_rss" -v rd="$peak_during" 'BEGIN {
    cpu = t / hz; wall = ns / 1e9;
    printf "%d shares, hostmodified every 0.2 s: %.2f s CPU in %.1f s = %.1f%% of a core\n",
           s, cpu, wall, 100 * cpu / wall
    printf "RSS: %.1f MiB before the flood, at most %.1f MiB sampled during it (peak of the process %.1f MiB), %.1f MiB at its end, %.1f MiB 20 s later\n",
           r0 / 1024, rd / 1024, rp / 1024, rf / 1024, rr / 1024
}'
