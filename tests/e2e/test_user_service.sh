#!/usr/bin/env bash
# The installed systemd user unit's command, run as systemd runs it (no terminal, standard input
# from /dev/null, the user's usual settings file, the unit's confinement): it serves, another host
# lists and downloads, and SIGTERM ends it with status 0, which systemd counts as a clean stop and
# does not restart.
# Usage: test_user_service.sh <directory of wendaro-cli>, inside a CMake build tree
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
e2e_init "$1"
e2e_need_tools unshare findmnt setpriv
e2e_add_host 1
e2e_add_host 2
# Outside /tmp, which the confinement replaces with an empty one of its own.
rm -rf "$E2E_TMP"
E2E_TMP=$(mktemp -d "$(cd "$1/.." && pwd)/e2e-user-service.XXXXXX")

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
for setting in NoNewPrivileges=yes ProtectSystem=strict ProtectHome=read-only PrivateTmp=yes \
    "RestrictAddressFamilies=AF_UNIX AF_INET AF_NETLINK"; do
    e2e_check "the unit confines its service: $setting" grep -qx "$setting" "$unit"
done
if command -v systemd-analyze >/dev/null; then
    mkdir -m 700 "$E2E_TMP/runtime"
    XDG_RUNTIME_DIR="$E2E_TMP/runtime" systemd-analyze --user verify "$unit" >"$E2E_TMP/verify.out" 2>&1
    # The installed files are staged, not in /usr: only the unit's own lines are judged here.
    e2e_check_fails "systemd accepts every line of the unit" \
        grep -iE "unknown|invalid|failed to parse|ignoring" "$E2E_TMP/verify.out"
fi

home="$E2E_TMP/home"
mkdir -p "$home/share"
head -c 300000 /dev/urandom >"$home/share/data.bin"
HOME=$home XDG_CONFIG_HOME="" "${command[0]}" name office-pc
e2e_check "the name went to the user's usual settings file" \
    grep -qx "hostname=office-pc" "$home/.config/wendaro/wendaro.ini"
HOME=$home XDG_CONFIG_HOME="" "${command[0]}" share add pub "$home/share" >/dev/null
# Hosts that nobody announced may download, so that a plain client can fetch.
sed -i '/^allowunknown=/d; /^\[global\]/a allowunknown=1' "$home/.config/wendaro/wendaro.ini"

confined() { bash "$(dirname "$0")/unit_sandbox.sh" "$unit" "$home" env -i HOME="$home" PATH=/usr/bin:/bin "$@"; }
e2e_check_fails "confined, the home folder is read-only" confined touch "$home/probe"
e2e_check "confined, the settings can still be written" confined "${command[0]}" name office-pc

ip netns exec "$(e2e_ns 1)" bash "$(dirname "$0")/unit_sandbox.sh" "$unit" "$home" \
    env -i HOME="$home" PATH=/usr/bin:/bin "${command[@]}" </dev/null >"$E2E_TMP/serve.out" 2>&1 &
pid=$!
E2E_PIDS+=("$pid")
e2e_expect "serving under the name from the usual settings file" "$E2E_TMP/serve.out" \
    "^host appeared: 127.0.0.1 office-pc\$" 5
sleep 1
e2e_check "still serving after its standard input ended" kill -0 "$pid"

e2e_config "$E2E_TMP/client.ini" pc-client
e2e_check "another host lists the share" \
    e2e_cli 2 20 --config "$E2E_TMP/client.ini" ls "$(e2e_addr 1)" /pub
mkdir -p "$E2E_TMP/dest"
e2e_check "another host downloads from it" \
    e2e_cli 2 20 --config "$E2E_TMP/client.ini" get "$(e2e_addr 1)" /pub/data.bin "$E2E_TMP/dest"
e2e_check "what it got is whole" cmp -s "$home/share/data.bin" "$E2E_TMP/dest/data.bin"

e2e_expect_stop "serve on SIGTERM" "$pid" TERM 5
e2e_finish serve.out verify.out
