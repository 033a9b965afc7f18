# shellcheck shell=bash
# The checks' bookkeeping shared by the install and package tests. Source it.
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
ok() { echo "ok: $*"; }
need_tools() {
    local tool
    for tool; do
        command -v "$tool" >/dev/null && continue
        echo "FAIL: needs $tool (scripts/install-deps.sh installs it)" >&2
        exit 1
    done
}
finish() {
    [ "$failures" -eq 0 ] || { echo "$(basename "$0"): $failures check(s) failed" >&2 && exit 1; }
    echo "$(basename "$0"): all checks passed"
}
