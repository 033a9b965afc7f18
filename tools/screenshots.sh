#!/usr/bin/env bash
# Screenshots of the desktop program for the README: runs the two-host end-to-end test (two
# copies, each in a network namespace and on an Xvfb display of its own) and keeps PNGs of the
# downloading host's window, in English and in German: hosts found, a share browsed, a finished download, the chat. Then the
# first-start test: the splash screen, the first-run wizard in English and German, the share
# wizard and the options.
# Needs root (network namespaces). Usage: sudo tools/screenshots.sh [binary dir] [output dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="${1:-$root/build/bin}"
out="${2:-$root/docs/screenshots}"
mkdir -p "$out"
SCREENSHOT_DIR="$out" LANGUAGE=en bash "$root/tests/e2e/test_gui_two_hosts.sh" "$bin"
# The same in German: no English may show in it.
SCREENSHOT_DIR="$out" SCREENSHOT_SUFFIX=_de LANGUAGE=de bash "$root/tests/e2e/test_gui_two_hosts.sh" "$bin"
SCREENSHOT_DIR="$out" bash "$root/tests/e2e/test_gui_first_start.sh" "$bin"
# The search box: its results and "Show in tree", in English and in German.
SCREENSHOT_DIR="$out" LANGUAGE=en bash "$root/tests/e2e/test_gui_search.sh" "$bin"
SCREENSHOT_DIR="$out" SCREENSHOT_SUFFIX=_de LANGUAGE=de bash "$root/tests/e2e/test_gui_search.sh" "$bin"
ls -1 "$out"/*.png
