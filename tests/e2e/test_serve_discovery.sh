#!/usr/bin/env bash
# Two serving hosts on one bridge: they find each other, stay alive, notice a killed peer and its
# return, exchange chat lines both ways, and stop promptly on SIGTERM.
# Usage: test_serve_discovery.sh <directory of wendaro-cli>
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
e2e_require_root
e2e_init "$1"

e2e_add_host 1
e2e_add_host 2
e2e_add_host 3
A=$(e2e_addr 1)
B=$(e2e_addr 2)
e2e_config "$E2E_TMP/a.ini" pc-a
e2e_config "$E2E_TMP/b.ini" pc-b

e2e_log "starting both hosts"
e2e_start_serve 1 "$E2E_TMP/a.ini" "$E2E_TMP/a.out"
# shellcheck disable=SC2034  # read through ${!pid_var} below
PID_A=$E2E_SERVE_PID FD_A=$E2E_SERVE_FD
e2e_start_serve 2 "$E2E_TMP/b.ini" "$E2E_TMP/b.out"
PID_B=$E2E_SERVE_PID FD_B=$E2E_SERVE_FD

# Found within 2 s (the first announcement leaves within a second of the start).
if ms=$(e2e_wait_for_line "$E2E_TMP/a.out" "^host appeared: $B\$" 2); then
    e2e_log "ok: pc-a found pc-b after $ms ms"
else
    e2e_fail "pc-a did not find pc-b within 2 s"
fi
if ms=$(e2e_wait_for_line "$E2E_TMP/b.out" "^host appeared: $A\$" 2); then
    e2e_log "ok: pc-b found pc-a after $ms ms"
else
    e2e_fail "pc-b did not find pc-a within 2 s"
fi
e2e_check "each host sees itself under its own name" \
    grep -qx "host appeared: 127.0.0.1 pc-a" "$E2E_TMP/a.out"
e2e_check "pc-a learns pc-b's name" e2e_wait_for_line "$E2E_TMP/a.out" "^host named: $B pc-b\$" 5
e2e_check "pc-b learns pc-a's name" e2e_wait_for_line "$E2E_TMP/b.out" "^host named: $A pc-a\$" 5

# Keep-alive: several announcement and ping periods later nobody has gone.
sleep 3
e2e_check "no host reported gone while both run" \
    bash -c "! grep -q '^host gone' '$E2E_TMP/a.out' '$E2E_TMP/b.out'"
e2e_check "each found the other once" \
    test "$(grep -c "^host appeared: $B" "$E2E_TMP/a.out")" -eq 1

e2e_log "chat both ways"
echo "hello from a" >&"$FD_A"
echo "hello from b" >&"$FD_B"
e2e_check "pc-b shows pc-a's text" e2e_wait_for_line "$E2E_TMP/b.out" "^pc-a: hello from a\$" 5
e2e_check "pc-a shows pc-b's text" e2e_wait_for_line "$E2E_TMP/a.out" "^pc-b: hello from b\$" 5
e2e_check "pc-a sees its own text through loopback" \
    e2e_wait_for_line "$E2E_TMP/a.out" "^pc-a: hello from a\$" 5

# A third host runs only short commands: it finds both by listening, reaches a host by its name,
# and sends a chat text as a host nobody knows.
e2e_config "$E2E_TMP/c.ini" pc-c
e2e_cli 3 20 --config "$E2E_TMP/c.ini" hosts --wait 2 >"$E2E_TMP/hosts.out" 2>&1
e2e_check "hosts lists pc-a" grep -qx "$A  pc-a" "$E2E_TMP/hosts.out"
e2e_check "hosts lists pc-b" grep -qx "$B  pc-b" "$E2E_TMP/hosts.out"
e2e_check "hosts lists nothing else" test "$(wc -l <"$E2E_TMP/hosts.out")" -eq 2
e2e_cli 3 20 --config "$E2E_TMP/c.ini" info pc-b >"$E2E_TMP/info.out" 2>&1
e2e_check "info finds a host by the name it announces" grep -qx "Name:     pc-b" "$E2E_TMP/info.out"
e2e_check "chat to one host" e2e_cli 3 20 --config "$E2E_TMP/c.ini" chat "$A" "direct text"
e2e_check "the text shows with the unknown sender's address" \
    e2e_wait_for_line "$E2E_TMP/a.out" "^$(e2e_addr 3): direct text\$" 5
e2e_check "only the addressed host got it" bash -c "! grep -q 'direct text' '$E2E_TMP/b.out'"
e2e_check "a listening host appears nowhere" bash -c "! grep -q '$(e2e_addr 3)' '$E2E_TMP/b.out'"

e2e_log "killing pc-b"
kill -9 "$PID_B"
wait "$PID_B" 2>/dev/null
if ms=$(e2e_wait_for_line "$E2E_TMP/a.out" "^host gone: $B" 5); then
    e2e_log "ok: pc-a reported pc-b gone after $ms ms"
else
    e2e_fail "pc-a did not report pc-b gone within 5 s"
fi

e2e_log "restarting pc-b"
e2e_start_serve 2 "$E2E_TMP/b.ini" "$E2E_TMP/b2.out"
PID_B=$E2E_SERVE_PID
if ms=$(e2e_wait_for_line "$E2E_TMP/a.out" "^host appeared: $B\$" 3 2); then
    e2e_log "ok: pc-a found pc-b again after $ms ms"
else
    e2e_fail "pc-a did not find the restarted pc-b within 3 s"
fi
e2e_check "the restarted pc-b finds pc-a" e2e_wait_for_line "$E2E_TMP/b2.out" "^host appeared: $A" 3
# A host that returns is asked for its information again, as every host that appears is.
e2e_check "pc-a asks the returned pc-b for its name" \
    e2e_wait_for_line "$E2E_TMP/a.out" "^host named: $B pc-b\$" 5 2
e2e_check "the restarted pc-b asks pc-a for its name" \
    e2e_wait_for_line "$E2E_TMP/b2.out" "^host named: $A pc-a\$" 5

for host in a b; do
    pid_var="PID_${host^^}"
    if e2e_stop "${!pid_var}" TERM 2; then
        e2e_check "pc-$host exits 0 on SIGTERM (status $E2E_STOP_STATUS after $E2E_STOP_MS ms)" \
            test "$E2E_STOP_STATUS" -eq 0
    else
        e2e_fail "pc-$host did not stop within 2 s of SIGTERM"
    fi
done

if [ "$E2E_FAILURES" -ne 0 ]; then
    for f in a.out b.out b2.out; do
        echo "--- $f"
        cat "$E2E_TMP/$f"
    done
fi
e2e_finish
