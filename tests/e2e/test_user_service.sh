#!/usr/bin/env bash
# The installed systemd user unit's command, run as systemd runs it (no terminal, standard input
# from /dev/null, the user's usual settings file): it serves, and SIGTERM ends it with status 0,
# which systemd counts as a clean stop and does not restart.
# Usage: test_user_service.sh <directory of wendaro-cli>, inside a CMake build tree
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
e2e_init "$1"
e2e_add_host 1

stage="$E2E_TMP/stage"
if ! DESTDIR="$stage" cmake --install "$1/.." --prefix /usr >"$E2E_TMP/install.log" 2>&1; then
    cat "$E2E_TMP/install.log" >&2
    e2e_fail "cmake --install"
    e2e_finish
fi
unit="$stage/usr/lib/systemd/user/wendaro-serve.service"
read -r -a command <<<"$(sed -n 's/^ExecStart=//p' "$unit")"
e2e_check "the unit runs wendaro-cli serve" test "${command[*]}" = "/usr/bin/wendaro-cli serve"
command[0]="$stage${command[0]}"
e2e_check "the unit restarts serve on failure" grep -qx "Restart=on-failure" "$unit"

home="$E2E_TMP/home"
mkdir -p "$home"
HOME=$home XDG_CONFIG_HOME="" "${command[0]}" name office-pc
e2e_check "the name went to the user's usual settings file" \
    grep -qx "hostname=office-pc" "$home/.config/wendaro/wendaro.ini"

ip netns exec "$(e2e_ns 1)" env -i HOME="$home" PATH=/usr/bin:/bin "${command[@]}" \
    </dev/null >"$E2E_TMP/serve.out" 2>&1 &
pid=$!
E2E_PIDS+=("$pid")
e2e_expect "serving under the name from the usual settings file" "$E2E_TMP/serve.out" \
    "^host appeared: 127.0.0.1 office-pc\$" 5
sleep 1
e2e_check "still serving after its standard input ended" kill -0 "$pid"

e2e_expect_stop "serve on SIGTERM" "$pid" TERM 5
e2e_finish serve.out
