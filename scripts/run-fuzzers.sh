#!/usr/bin/env bash
# Runs every fuzz target in the given folder for a few seconds each; any crash fails.
set -euo pipefail
dir=$1
seconds=${2:-20}
shopt -s nullglob
found=0
for fuzzer in "$dir"/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  found=1
  name=$(basename "$fuzzer")
  corpus=$(mktemp -d)
  seeds="$(dirname "$0")/../fuzz/corpus/${name#fuzz_}"
  [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/
  echo "== $name for ${seconds}s"
  "$fuzzer" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=1024 -print_final_stats=0 "$corpus" 2>&1 | tail -n 3
  rc=${PIPESTATUS[0]}
  rm -rf "$corpus"
  [ "$rc" -eq 0 ] || { echo "$name failed"; exit 1; }
done
[ "$found" -eq 1 ] || { echo "no fuzzers built in $dir"; exit 1; }
