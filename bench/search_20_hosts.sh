#!/usr/bin/env bash
# `wendaro-cli search` across 20 serving hosts in network namespaces on one bridge (target: every
# host's answer within 1 s). Each host shares a folder of 2,000 files; the pattern matches 20 of
# them on every host. Prints when the first and the last host's answer arrived, counted from the
# start of the command, and the command's whole time (it listens for --wait 1 s, then waits for
# the answers still on their way).
# Usage: sudo bench/search_20_hosts.sh <directory of wendaro-cli> [hosts=20]
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/../tests/e2e/netns_lib.sh"
e2e_init "$1"
HOSTS=${2:-20}
T=$E2E_TMP
CLIENT=$((HOSTS + 1))
for i in $(seq "$HOSTS"); do
    e2e_add_host "$i"
    mkdir -p "$T/share$i/sub"
    (cd "$T/share$i/sub" && seq -f "file-%04g.dat" 1 2000 | xargs touch)
    e2e_config "$T/h$i.ini" "host$i"
    e2e_share "$T/h$i.ini" data "$T/share$i"
    e2e_serve_host "$i" "h$i"
done
e2e_add_host "$CLIENT"
e2e_config "$T/client.ini" client
for i in $(seq "$HOSTS"); do
    e2e_until 20 eval "e2e_cli $CLIENT 10 --config '$T/client.ini' search --host $(e2e_addr "$i") file-0001 | grep -q dat" ||
        { echo "host $i does not answer" >&2; exit 1; }
done
# Every host has been heard announcing by now; each round starts a fresh command.
for round in 1 2 3; do
    # Stamped by the shell itself: a process per line would be slower than the answers.
    start=${EPOCHREALTIME/./}
    e2e_cli "$CLIENT" 20 --config "$T/client.ini" search --wait 1 'file-??99.dat' 2>"$T/err" |
        while IFS= read -r line; do echo "$(((${EPOCHREALTIME/./} - start) / 1000)) $line"; done >"$T/out"
    total=$(((${EPOCHREALTIME/./} - start) / 1000))
    answered=$(cut -d' ' -f2 "$T/out" | sort -u | wc -l)
    first=$(head -1 "$T/out" | cut -d' ' -f1)
    last=$(sort -n "$T/out" | tail -1 | cut -d' ' -f1)
    echo "round $round: $answered of $HOSTS hosts answered, $(wc -l <"$T/out") lines;" \
        "first answer at $first ms, last at $last ms; command $total ms; $(wc -l <"$T/err") errors"
    # Each host's first line, when asked to show them.
    [ -n "$BENCH_SHOW" ] && sort -n "$T/out" | awk '!seen[$2]++ {print $1, $2}' | tr '\n' ' ' && echo
done
