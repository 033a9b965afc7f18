#!/usr/bin/env bash
# Three hosts: two of ours share folders, the third speaks only the common protocol. `search`
# from a fourth host finds the matching names on the two, reports the third once as unable to
# search (asking it the extension word list once, never the search word), and a file added to a
# share after its index was built is found within the refresh bound.
# Usage: test_search.sh <directory of wendaro-cli>
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
e2e_init "$1"
e2e_search_hosts 4 4 6 5
T=$E2E_TMP
e2e_config "$T/client.ini" pc-d
search() { e2e_cli 4 20 --config "$T/client.ini" search "$@"; }

e2e_check "pc-a has built its index (answers by address)" \
    e2e_until 10 eval 'search --host 10.77.0.1 opening | grep -q Opening'

search --wait 2 NIGHT >"$T/night.out" 2>"$T/night.err"
status=$?
e2e_check "search exits 0 when something matched (status $status)" test "$status" -eq 0
e2e_check "it finds the matches on both hosts of ours, with paths and sizes" test \
    "$(sort "$T/night.out")" = "$(printf '%s\n' \
        $'pc-a (10.77.0.1)\t\\music\\Live 2024\\Opening Night.mp3\t4' \
        $'pc-a (10.77.0.1)\t\\music\\closing night.MP3\t4' \
        $'pc-b (10.77.0.2)\t\\photos\\2023\\night sky.jpg\t6')"
e2e_check "the common host is reported once as unable to search" \
    test "$(grep -c 'old-pc (10.77.0.3) cannot search' "$T/night.err")" -eq 1
e2e_check "and nothing else went wrong" test "$(wc -l <"$T/night.err")" -eq 1
e2e_check "it was asked the word list once and never the search word" \
    test "$(grep -c '^wdx-' "$T/common.out")$(grep -c '^wdx-search' "$T/common.out")" = "10"

search --wait 2 '*.JPG' >"$T/jpg.out" 2>/dev/null
e2e_check "a pattern matches whole names, any letter case" test \
    "$(sort "$T/jpg.out" | cut -f2)" = "$(printf '%s\n' '\photos\2023\beach.jpg' '\photos\2023\night sky.jpg')"

search --wait 2 'no such name' >"$T/none.out" 2>/dev/null
status=$?
e2e_check "no match: exit 1 and no lines (status $status)" test "$status$(wc -c <"$T/none.out")" = "10"

LANGUAGE=de search --host 10.77.0.3 x >/dev/null 2>"$T/de.err"
e2e_check "the message is translated" grep -q "kann nicht suchen" "$T/de.err"

echo "late" >"$T/photos/late arrival.png"
e2e_check "a file added after indexing is found within the refresh bound" \
    e2e_until 5 eval 'search --host 10.77.0.2 arrival | grep -q "late arrival.png"'

e2e_finish night.out night.err common.out pc-a.out pc-b.out
