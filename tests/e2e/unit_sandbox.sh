#!/usr/bin/env bash
# Runs a command confined the way systemd confines the unit's service, for machines where systemd
# does not run the tests: the whole tree read-only but for the unit's ReadWritePaths (ProtectSystem=
# strict, ProtectHome=read-only), a private /tmp and /var/tmp (PrivateTmp), no new privileges.
# Usage: unit_sandbox.sh <unit file> <home> command...
unit=$1 home=$2
shift 2
setting() { sed -n "s/^$1=//p" "$unit"; }
[ "$(setting ProtectSystem)" = strict ] && [ "$(setting ProtectHome)" = read-only ] &&
    [ "$(setting PrivateTmp)" = yes ] && [ "$(setting NoNewPrivileges)" = yes ] ||
    { echo "unit_sandbox.sh: the unit does not confine its service" >&2 && exit 2; }
writable=()
for path in $(setting ReadWritePaths); do
    path=${path#-}
    path=${path//%h/$home}
    [ -d "$path" ] && writable+=("$path")
done
# shellcheck disable=SC2016  # expanded by the inner shell
exec unshare --mount --propagation private bash -c '
    set -e
    for path in /tmp /var/tmp; do mount -t tmpfs -o mode=1777 tmpfs "$path"; done
    count=$1
    shift
    for path in "${@:1:$count}"; do mount --bind "$path" "$path"; done
    findmnt -rno TARGET | while read -r target; do
        case "$target" in /proc* | /sys* | /dev* | /tmp | /var/tmp) continue ;; esac
        for path in "${@:1:$count}"; do [ "$target" = "$path" ] && continue 2; done
        mount -o remount,bind,ro "$target" 2>/dev/null || true
    done
    exec setpriv --no-new-privs "${@:$((count + 1))}"
' sandbox "${#writable[@]}" "${writable[@]}" "$@"
