#!/usr/bin/env bash
# CPU time of the idle desktop program that knows 20 peers, over 30 s (target: below 1% of one
# core); the same method as idle_cpu.sh, with the GUI as the measured host. The GUI runs on an
# Xvfb display of its own inside its namespace; the 20 peers run `wendaro-cli serve`.
# Usage: sudo bench/idle_cpu_gui.sh <directory of wendaro and wendaro-cli> [peers] [seconds]
# shellcheck source=bench/bench_lib.sh
. "$(dirname "$0")/bench_lib.sh"
bench_init "$1"
GUI="$1/wendaro"
[ -x "$GUI" ] || { echo "no wendaro in '$1' (a build with the GUI on)" >&2; exit 1; }
PEERS=${2:-20}
SECONDS_MEASURED=${3:-30}

bench_add_bridge
for i in $(seq 1 $((PEERS + 1))); do
    ns="${BENCH_PREFIX}h$i"
    bench_add_bridged_host "$i" "10.79.0.$i"
done

Xvfb -displayfd 3 -screen 0 1000x700x24 -nolisten tcp 3>"$BENCH_TMP/display" >/dev/null 2>&1 &
BENCH_PIDS+=("$!")
for _ in $(seq 100); do [ -s "$BENCH_TMP/display" ] && break; sleep 0.05; done
printf '[global]\nhostname=gui\nfirstinstalled=1\nskipsplash=1\n' >"$BENCH_TMP/gui.ini"
mkdir -m 700 "$BENCH_TMP/runtime"
DISPLAY=":$(head -n1 "$BENCH_TMP/display")" XDG_RUNTIME_DIR="$BENCH_TMP/runtime" \
    ip netns exec "${BENCH_PREFIX}h1" "$GUI" --config "$BENCH_TMP/gui.ini" >"$BENCH_TMP/gui.log" 2>&1 &
TARGET=$!
BENCH_PIDS+=("$TARGET")
for i in $(seq 2 $((PEERS + 1))); do
    bench_config "$BENCH_TMP/h$i.ini" "host$i" 0
    bench_start_serve "${BENCH_PREFIX}h$i" "$BENCH_TMP/h$i.ini" "$BENCH_TMP/h$i.out"
done

# The GUI prints no host lines: wait until every peer has heard of it (bounded), then let the
# GUI's own keep-alive connections and host-info requests settle.
for _ in $(seq 300); do
    known=$(grep -l '^host named: 10\.79\.0\.1 gui$' "$BENCH_TMP"/h*.out 2>/dev/null | wc -l)
    [ "$known" -ge "$PEERS" ] && break
    sleep 0.1
done
sleep 5

bench_watch_cpu "$TARGET" "$SECONDS_MEASURED"
# One keep-alive thread per known host: the thread count shows how many peers the GUI knows.
awk -v t="$BENCH_CPU_TICKS" -v hz="$BENCH_HZ" -v ns="$BENCH_WALL_NS" -v peers="$known" \
    -v threads="$(find /proc/"$TARGET"/task -mindepth 1 -maxdepth 1 | wc -l)" 'BEGIN {
    cpu = t / hz; wall = ns / 1e9;
    printf "idle GUI, %d peers that know it: %.2f s CPU in %.1f s = %.2f%% of a core (%d threads)\n",
           peers, cpu, wall, 100 * cpu / wall, threads
}'
