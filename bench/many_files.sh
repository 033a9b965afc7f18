#!/usr/bin/env bash
# A folder of many small files (1 KiB each) fetched with `wendaro-cli get` from a `serve` host:
# files per second end to end, the rates of the first and the last 1,000 files (a cost per file
# that grows with the files done before shows as a last rate below the first), and the CPU time
# the serving host spent. Each count runs against a fresh host.
# Target: >= 2,000 files/s for 10,000 files, last 1,000 at least as fast as the first 1,000, and
# the time per file about the same for 100,000 files.
# Usage: sudo [GET_WAY=per-file] bench/many_files.sh <directory of wendaro-cli> [file counts, default: 10000 100000]
# GET_WAY=per-file fetches the files one connection each with resume and digest ("wdx-get"), as
# from a host that offers that but not the folder stream; GET_WAY=common the common way
# (--common-protocol --no-verify). The default is the stream.
# shellcheck source=bench/bench_lib.sh
. "$(dirname "$0")/bench_lib.sh"
bench_init "$1"
shift
COUNTS=("$@")
[ ${#COUNTS[@]} -gt 0 ] || COUNTS=(10000 100000)
GLOBAL_OPTIONS=()
GET_OPTIONS=()
case "${GET_WAY:-stream}" in
    stream) ;;
    per-file) GLOBAL_OPTIONS=(--common-protocol) ;;
    common) GLOBAL_OPTIONS=(--common-protocol) GET_OPTIONS=(--no-verify) ;;
    *) echo "GET_WAY is stream, per-file or common" >&2; exit 1 ;;
esac


run_count() {  # run_count <files>
    local files=$1 ns="${BENCH_PREFIX}n$1" dir="$BENCH_TMP/$1"
    bench_add_namespace "$ns"
    mkdir -p "$dir/get"
    bench_serve_many_files "$ns" "$dir" "$files"
    local cpuBefore start end cpuAfter
    cpuBefore=$(bench_cpu_ticks "$BENCH_SERVE_PID")
    start=$(bench_now_ns)
    ip netns exec "$ns" /usr/bin/time -f "%U %S" -o "$dir/t.get" "$BENCH_CLI" --config "$dir/c.ini" "${GLOBAL_OPTIONS[@]}" get "${GET_OPTIONS[@]}" \
        127.0.0.1 /data/many "$dir/get" \
        >/dev/null || { echo "get of $files files failed" >&2; exit 1; }
    end=$(bench_now_ns)
    cpuAfter=$(bench_cpu_ticks "$BENCH_SERVE_PID")
    local getCpu
    getCpu=$(awk '{ print $1 + $2 }' "$dir/t.get")
    diff -rq "$dir/share/many" "$dir/get/many" >/dev/null || { echo "$files files: content differs" >&2; exit 1; }
    # A file's modification time is when its last byte was written: the order and pace in which
    # the files arrived.
    find "$dir/get/many" -type f -printf '%T@\n' | sort -n >"$dir/times"
    awk -v n="$files" -v ns=$((end - start)) -v cpu=$((cpuAfter - cpuBefore)) -v tck="$BENCH_HZ" -v getcpu="$getCpu" '
        { t[NR] = $1 }
        END {
            if (NR != n) { printf "%d files: %d arrived\n", n, NR; exit 1 }
            w = (n >= 2000) ? 1000 : int(n / 2)
            first = (w - 1) / (t[w] - t[1]); last = (w - 1) / (t[n] - t[n - w + 1])
            printf "%d files of 1 KiB: %.2f s, %.0f files/s (%.0f us a file); first %d: %.0f files/s, last %d: %.0f files/s (last/first %.2f); serve CPU %.2f s, get CPU %.2f s\n",
                n, ns / 1e9, n / (ns / 1e9), ns / 1e3 / n, w, first, w, last, last / first, cpu / tck, getcpu
        }' "$dir/times" || exit 1
    kill "$BENCH_SERVE_PID" 2>/dev/null
    rm -rf "$dir"
}

echo "way: ${GET_WAY:-stream}; load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for count in "${COUNTS[@]}"; do run_count "$count"; done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
