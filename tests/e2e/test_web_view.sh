#!/usr/bin/env bash
# The web view of a serving host, driven by curl from other hosts: nothing without the owner's
# code, then the share list, folders, downloads with byte ranges and validators, every hostile
# spelling of a path refused, and a revoked browser shut out again.
# Usage: test_web_view.sh <directory of wendaro-cli>
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
e2e_init "$1"
e2e_need_tools curl cmp

e2e_add_host 1
e2e_add_host 2
e2e_add_host 3
T=$E2E_TMP
BASE="http://$(e2e_addr 1):12348"

TREE="$T/tree"
mkdir -p "$TREE/one/two" "$T/outside"
head -c 300000 /dev/urandom >"$TREE/one/two/data.bin"
head -c 5000 /dev/urandom >"$TREE/grün ü.bin"
echo "hidden" >"$TREE/one/plain.txt"
: >"$TREE/<img src=x onerror=alert(1)> \"q'.txt"
echo "secret" >"$T/outside/secret.txt"
echo "secret" >"$T/secret.txt"
ln -s "$T/outside" "$TREE/link-out"
ln -s "$T/outside/secret.txt" "$TREE/link-file"

e2e_start_web_serve 1 "$T/server.ini" pc-a tree "$TREE" "$T/server.out"

# curl in host i: web <i> args...
web() { timeout -s KILL 20 ip netns exec "$(e2e_ns "$1")" curl -sS --path-as-is -m 15 "${@:2}"; }
status() { web "$1" -o /dev/null -w '%{http_code}' "${@:2}"; }

e2e_expect "serve prints the web view's address" "$T/server.out" \
    "^Web view: http://10\.77\.0\.1:12348/$" 10
e2e_check "and a QR code of it as text" grep -q "█" "$T/server.out"

# --- Approval
e2e_check "an unknown browser gets the waiting page (403)" \
    test "$(web 2 -o "$T/wait.html" -w '%{http_code}' "$BASE/")" = 403
e2e_check "which asks for the code" grep -q 'name="code"' "$T/wait.html"
e2e_expect "the owner is told a code for it" "$T/server.out" \
    "^A browser on 10\.77\.0\.2 \(curl on Linux|curl\) wants to see your shares\. To let it in, type [0-9]{6} on its page\.$" 5
status 2 "$BASE/s/tree/" >/dev/null
e2e_check "a second visit asks no second question" \
    test "$(grep -c "A browser on 10\.77\.0\.2 " "$T/server.out")" = 1
e2e_check "nothing of a share is served before approval" \
    test "$(status 2 "$BASE/s/tree/one/plain.txt")" = 403
CODE=$(grep -oE "A browser on 10\.77\.0\.2 .* type [0-9]{6}" "$T/server.out" | grep -oE "[0-9]{6}$")

status 3 "$BASE/" >/dev/null
e2e_expect "a second browser is asked about too" "$T/server.out" "A browser on 10\.77\.0\.3 " 5
WRONG=$(printf '%06d' $(((10#$CODE + 1) % 1000000)))
e2e_check "another address's code, or a wrong one, lets nobody in" \
    test "$(status 3 -d "code=$CODE" "$BASE/_/approve")$(status 3 -d "code=$WRONG" "$BASE/_/approve")" = 403403
status 3 "$BASE/" >/dev/null
e2e_check "a refused browser is not asked about again within 10 s" \
    test "$(grep -c "A browser on 10\.77\.0\.3 " "$T/server.out")" = 1

e2e_check "the right code lets the browser in (303)" \
    test "$(status 2 -D "$T/approve.head" -c "$T/jar" -d "code=$CODE" "$BASE/_/approve")" = 303
e2e_check "with a cookie kept from scripts and other sites" \
    grep -qiE "^set-cookie: wendaro=[0-9a-f]{48}; Path=/; Max-Age=[0-9]+; HttpOnly; SameSite=Strict" "$T/approve.head"
e2e_check "and remembered with its address and name" \
    grep -qE "^[0-9a-f]{48}=10\.77\.0\.2 curl" "$T/server.ini"
browse() { web 2 -b "$T/jar" "$@"; }

# --- Pages
browse -D "$T/root.head" -o "$T/root.html" "$BASE/"
e2e_check "the share list links the share" grep -q 'href="/s/tree/"' "$T/root.html"
e2e_check "pages forbid scripts" grep -qi "^content-security-policy: default-src 'none';" "$T/root.head"
browse -H "Accept-Language: fr-CH;q=0.3, de-DE, ja;q=0.9" -o "$T/root.de.html" "$BASE/"
e2e_check "pages speak the browser's language" grep -q '<html lang="de">.*>Freigaben<' "$T/root.de.html"
browse -o "$T/tree.html" "$BASE/s/tree/"
e2e_check "a folder lists its entries" grep -q 'href="/s/tree/one/"' "$T/tree.html"
e2e_check "names are escaped" grep -qF '&lt;img src=x onerror=alert(1)&gt; &quot;q&#39;.txt' "$T/tree.html"
e2e_check_fails "and never appear raw" grep -qF '<img src=x' "$T/tree.html"
e2e_check "symbolic links out of the share are not listed" \
    test "$(grep -c 'link-' "$T/tree.html")" = 0
browse -o "$T/two.html" "$BASE/s/tree/one/two/"
e2e_check "two folders down, the file is there" grep -q 'href="/s/tree/one/two/data.bin"' "$T/two.html"
e2e_check "a folder without its final / is redirected" \
    test "$(browse -o /dev/null -w '%{http_code} %{redirect_url}' "$BASE/s/tree/one")" = "301 $BASE/s/tree/one/"
browse -o "$T/sorted.html" "$BASE/s/tree/?sort=size&order=desc&q=R%C3%BCN"
e2e_check "the filter keeps matching names only" \
    test "$(grep -o '<li>' "$T/sorted.html" | wc -l)" = 1

# --- Downloads
FILE="$TREE/one/two/data.bin"
URL="$BASE/s/tree/one/two/data.bin"
browse -D "$T/file.head" -o "$T/data.bin" "$URL"
e2e_check "a file downloads byte for byte" cmp "$FILE" "$T/data.bin"
e2e_check "with its length" grep -qi "^content-length: 300000" "$T/file.head"
e2e_check "as an attachment" grep -qi "^content-disposition: attachment; filename=\"data.bin\"" "$T/file.head"
browse -D "$T/utf.head" -o "$T/utf.bin" "$BASE/s/tree/gr%C3%BCn%20%C3%BC.bin"
e2e_check "a UTF-8 name is given the RFC 5987 way" \
    grep -qi "^content-disposition: attachment; filename=\"gr__n __.bin\"; filename\*=UTF-8''gr%C3%BCn%20%C3%BC.bin" "$T/utf.head"
e2e_check "and its bytes arrive" cmp "$TREE/grün ü.bin" "$T/utf.bin"
range() { # range <header> <expected status> <first byte> <count>
    local got
    got=$(browse -H "Range: $1" -o "$T/part" -w '%{http_code}' "$URL")
    [ "$got" = "$2" ] && cmp "$T/part" <(tail -c +$(($3 + 1)) "$FILE" | head -c "$4")
}
e2e_check "Range: the first bytes" range "bytes=0-99" 206 0 100
e2e_check "Range: the middle" range "bytes=1000-1999" 206 1000 1000
e2e_check "Range: a suffix" range "bytes=-500" 206 299500 500
e2e_check "Range: open to the end" range "bytes=299990-" 206 299990 10
e2e_check "Range: past the end is 416" \
    test "$(browse -H "Range: bytes=300000-" -D "$T/416.head" -o /dev/null -w '%{http_code}' "$URL")" = 416
e2e_check "naming the size" grep -qi "^content-range: bytes \*/300000" "$T/416.head"
ETAG=$(grep -i "^etag:" "$T/file.head" | cut -d' ' -f2 | tr -d '\r')
e2e_check "If-Range with the current tag resumes" \
    test "$(browse -H "Range: bytes=10-19" -H "If-Range: $ETAG" -o /dev/null -w '%{http_code}' "$URL")" = 206
printf 'changed' | dd of="$FILE" bs=1 seek=5 conv=notrunc status=none
touch -d '+1 minute' "$FILE"
e2e_check "If-Range with the tag of a changed file sends it whole" \
    test "$(browse -H "Range: bytes=10-19" -H "If-Range: $ETAG" -o "$T/whole" -w '%{http_code}' "$URL")" = 200
e2e_check "the new version" cmp "$FILE" "$T/whole"
e2e_check "HEAD gives the headers and no body" \
    test "$(browse -I -o "$T/head.out" -w '%{http_code}' "$URL")$(grep -ci '^content-length: 300000' "$T/head.out")" = 2001

# --- A folder as a ZIP made while it streams
e2e_check "a folder page offers its ZIP" grep -q 'href="/z/tree/"' "$T/tree.html"
browse -D "$T/zip.head" -o "$T/one.zip" "$BASE/z/tree/one/"
e2e_check "the ZIP is an attachment named after the folder" \
    grep -qi '^content-disposition: attachment; filename="one.zip"' "$T/zip.head"
mkdir "$T/unzipped"
e2e_check "the ZIP holds the folder, every file byte for byte" python3 -c '
import sys, zipfile
zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$T/one.zip" "$T/unzipped"
e2e_check "and nothing else" test "$(e2e_tree "$TREE/one")" = "$(e2e_tree "$T/unzipped/one")"

# --- Hostile spellings: each 400 or 404, and nothing from outside the share.
for path in "/s/tree/../secret.txt" "/s/tree/%2e%2e/secret.txt" "/s/tree/%2E%2E/outside/secret.txt" \
    "/s/tree/..%2fsecret.txt" "/s/tree/%2e%2e%2fsecret.txt" "/s/tree/..%5csecret.txt" \
    "/s/tree/%5c..%5c..%5csecret.txt" "/s/tree/one/plain.txt%00.bin" "/s/tree/%00" \
    "/s/tree/%c0%ae%c0%ae/secret.txt" "/s/tree/%c0%af" "/s/tree/%e0%80%ae%e0%80%ae/secret.txt" \
    "/s/tree/%252e%252e/secret.txt" "/s/tree/%25%32%65%25%32%65/secret.txt" \
    "/s/tree/link-out/secret.txt" "/s/tree/link-file" "/s/tree/link-out/" "/s/%2e%2e/" \
    "/s/../../etc/passwd" "/s/tree/./one/plain.txt" "/s/tree//one/plain.txt" "/s/tree/%zz" \
    "/s/nosuchshare/" "/s/tree/one/missing.txt" "/etc/passwd" "/s/tree\\..\\secret.txt" \
    "/z/tree/../" "/z/tree/%2e%2e/" "/z/tree/link-out/" "/z/tree/one/plain.txt"; do
    got=$(browse -o "$T/hostile" -w '%{http_code}' "$BASE$path")
    case "$got" in
    400 | 404) grep -q secret "$T/hostile" && e2e_fail "$path served a secret" ;;
    *) e2e_fail "$path gave $got, not 400 or 404" ;;
    esac
done
e2e_log "ok: every hostile spelling gives 400 or 404"

# --- Bounds
e2e_check "an oversized header is refused" \
    test "$(browse -H "X-Big: $(head -c 40000 /dev/zero | tr '\0' a)" -o /dev/null -w '%{http_code}' "$BASE/")" -ge 400
e2e_check "other methods are refused" test "$(browse -X DELETE -o /dev/null -w '%{http_code}' "$URL")" = 405

# --- Revoking: the token goes from the settings, and the browser waits again.
sed -i -E '/^[0-9a-f]{48}=/d' "$T/server.ini"
e2e_check "a revoked browser is refused" test "$(browse -o /dev/null -w '%{http_code}' "$URL")" = 403

# --- Off by default: a serve without --web or the setting opens no web port.
e2e_config "$T/plain.ini" pc-c
e2e_start_serve 3 "$T/plain.ini" "$T/plain.out"
e2e_expect "a plain serve runs" "$T/plain.out" "^host appeared: 10\.77\.0\.1$" 10
e2e_check_fails "and serves no web view" web 2 -o /dev/null 2>/dev/null "http://$(e2e_addr 3):12348/"
e2e_check_fails "nor offers one" grep -q "Web view" "$T/plain.out"

e2e_finish server.out
