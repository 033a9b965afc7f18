#!/usr/bin/env bash
# Two serving hosts on one bridge: they find each other, stay alive, notice a killed peer and its
# return, exchange chat lines both ways, and stop promptly on SIGTERM.
# Usage: test_serve_discovery.sh <directory of wendaro-cli>
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
e2e_init "$1"

for i in 1 2 3; do e2e_add_host $i; done
A=$(e2e_addr 1)
B=$(e2e_addr 2)
C=$(e2e_addr 3)
A_OUT=$E2E_TMP/pc-a.out
B_OUT=$E2E_TMP/pc-b.out

e2e_serve_host 1 pc-a
PID_A=$E2E_SERVE_PID FD_A=$E2E_SERVE_FD
e2e_serve_host 2 pc-b
PID_B=$E2E_SERVE_PID FD_B=$E2E_SERVE_FD

# Found within 2 s (the first announcement leaves within a second of the start).
e2e_expect "pc-a found pc-b" "$A_OUT" "^host appeared: $B\$" 2
e2e_expect "pc-b found pc-a" "$B_OUT" "^host appeared: $A\$" 2
e2e_check "each host sees itself under its own name" grep -qx "host appeared: 127.0.0.1 pc-a" "$A_OUT"
e2e_expect "pc-a learns pc-b's name" "$A_OUT" "^host named: $B pc-b\$" 5
e2e_expect "pc-b learns pc-a's name" "$B_OUT" "^host named: $A pc-a\$" 5

# Keep-alive: several announcement and ping periods later nobody has gone.
sleep 3
e2e_check_fails "no host reported gone while both run" grep -q '^host gone' "$A_OUT" "$B_OUT"
e2e_check "each found the other once" test "$(grep -c "^host appeared: $B" "$A_OUT")" -eq 1

echo "hello from a" >&"$FD_A"
echo "hello from b" >&"$FD_B"
e2e_expect "pc-b shows pc-a's text" "$B_OUT" "^pc-a: hello from a\$" 5
e2e_expect "pc-a shows pc-b's text" "$A_OUT" "^pc-b: hello from b\$" 5
e2e_expect "pc-a sees its own text through loopback" "$A_OUT" "^pc-a: hello from a\$" 5

# A third host runs only short commands: it finds both by listening, reaches a host by its name,
# and sends a chat text as a host nobody knows.
e2e_config "$E2E_TMP/c.ini" pc-c
e2e_cli 3 20 --config "$E2E_TMP/c.ini" hosts --wait 2 >"$E2E_TMP/hosts.out" 2>&1
e2e_check "hosts lists pc-a and pc-b and nothing else" \
    test "$(sort "$E2E_TMP/hosts.out")" = "$(printf '%s  pc-a\n%s  pc-b' "$A" "$B")"
e2e_cli 3 20 --config "$E2E_TMP/c.ini" info pc-b >"$E2E_TMP/info.out" 2>&1
e2e_check "info finds a host by the name it announces" grep -qx "Name:     pc-b" "$E2E_TMP/info.out"
e2e_check "chat to one host" e2e_cli 3 20 --config "$E2E_TMP/c.ini" chat "$A" "direct text"
e2e_expect "the text shows with the unknown sender's address" "$A_OUT" "^$C: direct text\$" 5
e2e_check_fails "only the addressed host got it" grep -q 'direct text' "$B_OUT"
e2e_check_fails "a listening host appears nowhere" grep -q "$C" "$B_OUT"

kill -9 "$PID_B"
wait "$PID_B" 2>/dev/null
e2e_expect "pc-a reported pc-b gone" "$A_OUT" "^host gone: $B" 5

e2e_start_serve 2 "$E2E_TMP/pc-b.ini" "$E2E_TMP/b2.out"
PID_B=$E2E_SERVE_PID
e2e_expect "pc-a found the restarted pc-b" "$A_OUT" "^host appeared: $B\$" 3 2
# A host that returns is asked for its information again, as every host that appears is.
e2e_expect "pc-a asks the returned pc-b for its name" "$A_OUT" "^host named: $B pc-b\$" 5 2

e2e_expect_stop "pc-a on SIGTERM" "$PID_A" TERM 2
e2e_expect_stop "pc-b on SIGTERM" "$PID_B" TERM 2
e2e_finish pc-a.out pc-b.out b2.out
