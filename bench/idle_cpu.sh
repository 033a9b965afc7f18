#!/usr/bin/env bash
# CPU time of an idle serve that knows 20 peers, over 30 s (target: below 1% of one core).
# Every host is a namespace on one bridge, each running its own serve, so the target keeps 20
# keep-alive connections, answers 20 peers' pings and hears 20 announcements a second.
# Usage: sudo bench/idle_cpu.sh <directory of wendaro-cli> [peers] [seconds]
# shellcheck source=bench/bench_lib.sh
. "$(dirname "$0")/bench_lib.sh"
bench_init "$1"
PEERS=${2:-20}
SECONDS_MEASURED=${3:-30}

bench_add_bridge
for i in $(seq 1 $((PEERS + 1))); do
    ns="${BENCH_PREFIX}h$i"
    bench_add_bridged_host "$i" "10.78.0.$i"
    bench_config "$BENCH_TMP/h$i.ini" "host$i" 0
    bench_start_serve "$ns" "$BENCH_TMP/h$i.ini" "$BENCH_TMP/h$i.out"
    [ "$i" -eq 1 ] && TARGET=$BENCH_SERVE_PID
done

# Wait until the target has named all its peers (bounded), then let it settle.
for _ in $(seq 300); do
    [ "$(grep -c '^host named: 10\.78' "$BENCH_TMP/h1.out")" -ge "$PEERS" ] && break
    sleep 0.1
done
known=$(grep -c '^host named: 10\.78' "$BENCH_TMP/h1.out")
sleep 2

bench_watch_cpu "$TARGET" "$SECONDS_MEASURED"
gone=$(grep -c '^host gone' "$BENCH_TMP/h1.out")

awk -v t="$BENCH_CPU_TICKS" -v hz="$BENCH_HZ" -v ns="$BENCH_WALL_NS" -v peers="$known" -v gone="$gone" \
    -v threads="$(find /proc/"$TARGET"/task -mindepth 1 -maxdepth 1 | wc -l)" 'BEGIN {
    cpu = t / hz; wall = ns / 1e9;
    printf "idle serve with %d named peers: %.2f s CPU in %.1f s = %.2f%% of a core (%d threads, %d peers lost)\n",
           peers, cpu, wall, 100 * cpu / wall, threads, gone
}'
