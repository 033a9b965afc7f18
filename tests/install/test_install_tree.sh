#!/usr/bin/env bash
# Installs the build tree under two prefixes and checks what a desktop and a user find there: the
# files in their places, the validators' verdicts, man pages and completion that know every
# command and option the program has.
# shellcheck disable=SC2015  # ok only prints, so "A && ok || fail" fails exactly when A does
set -uo pipefail
# shellcheck source=tests/install/check_lib.sh
. "$(dirname "$0")/check_lib.sh"
build=${1:?usage: test_install_tree.sh <build dir>}
cli="$build/bin/wendaro-cli"
need_tools desktop-file-validate appstreamcli man systemd-analyze
tmp=$(mktemp -d /tmp/wendaro-install.XXXXXX)
trap 'rm -rf "$tmp"' EXIT

# Every subcommand of the CLI, and every long option of each, as its own --help lists them.
mapfile -t subcommands < <("$cli" --help | awk '/^Subcommands:/ {on = 1; next} on && NF {print $1}')
[ ${#subcommands[@]} -gt 0 ] || fail "no subcommands found in wendaro-cli --help"
mapfile -t options < <( (
    "$cli" --help
    for c in "${subcommands[@]}"; do "$cli" "$c" --help; done
    "$cli" share --help | awk '/^Subcommands:/ {on = 1; next} on && NF {print $1}' |
        while read -r s; do "$cli" share "$s" --help; done
) | grep -oE -- '--[a-z][a-z-]+' | sort -u)

check_prefix() {  # check_prefix <prefix> <where ufw's profile belongs>
    local prefix=$1 etc=$2 root="$tmp/dest${1//\//_}"
    if ! DESTDIR="$root" cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
        cat "$tmp/install.log" >&2
        fail "cmake --install --prefix $prefix"
        return
    fi
    local missing=0 file
    for file in bin/wendaro-cli share/applications/org.wendaro.Wendaro.desktop \
        share/metainfo/org.wendaro.Wendaro.metainfo.xml share/icons/hicolor/scalable/apps/wendaro.svg \
        share/man/man1/wendaro.1.gz share/man/man1/wendaro-cli.1.gz \
        share/bash-completion/completions/wendaro-cli lib/systemd/user/wendaro-serve.service \
        share/doc/wendaro/copyright share/doc/wendaro/changelog.gz share/wendaro/help/en/index.html \
        share/locale/de/LC_MESSAGES/wendaro.mo; do
        [ -e "$root$prefix/$file" ] || {
            fail "$prefix: $file not installed"
            missing=1
        }
    done
    if [ -x "$build/bin/wendaro" ] && [ ! -x "$root$prefix/bin/wendaro" ]; then
        fail "$prefix: the desktop program was built but not installed"
    fi
    [ -z "$(find "$root" -name CMakeFiles -o -name '*.cmake')" ] || fail "$prefix: CMake files installed"
    [ -e "$root$etc/ufw/applications.d/wendaro" ] || fail "$prefix: ufw profile not in $etc"
    [ $missing -eq 0 ] && ok "$prefix: files in place"

    # Each PNG must really have the size its folder promises: the signature, then IHDR's width
    # and height as 32-bit big-endian numbers.
    local png size head
    for png in "$root$prefix"/share/icons/hicolor/*x*/apps/wendaro.png; do
        size=$(basename "$(dirname "$(dirname "$png")")")
        read -r -a head <<<"$(od -An -tu1 -w24 -N24 "$png")"
        if [ "${head[1]}${head[2]}${head[3]}" != "807871" ] ||
            [ $(((head[16] << 24) | (head[17] << 16) | (head[18] << 8) | head[19])) -ne "${size%x*}" ] ||
            [ $(((head[20] << 24) | (head[21] << 16) | (head[22] << 8) | head[23])) -ne "${size%x*}" ]; then
            fail "$prefix: $png is not a $size PNG"
        fi
    done

    local exec
    exec=$(sed -n 's/^ExecStart=\([^ ]*\) serve$/\1/p' "$root$prefix/lib/systemd/user/wendaro-serve.service")
    if [ "$exec" = "$prefix/bin/wendaro-cli" ] && [ -x "$root$exec" ]; then
        ok "$prefix: the user unit starts $exec serve"
    else
        fail "$prefix: the user unit's ExecStart names '$exec', not $prefix/bin/wendaro-cli"
    fi
}
check_prefix /usr /etc
check_prefix /opt/wendaro /opt/wendaro/etc
root="$tmp/dest_usr/usr"

desktop-file-validate "$root/share/applications/org.wendaro.Wendaro.desktop" &&
    ok "desktop entry valid" || fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$root/share/metainfo/org.wendaro.Wendaro.metainfo.xml" \
    >"$tmp/as.log" 2>&1 && ok "metainfo valid" || {
    cat "$tmp/as.log" >&2
    fail "appstreamcli validate"
}
# systemd checks that the program exists, so the copy it verifies points into the staged tree.
mkdir -p "$tmp/runtime" "$tmp/unit" && chmod 700 "$tmp/runtime"
sed "s#^ExecStart=/usr/#ExecStart=$root/#" "$root/lib/systemd/user/wendaro-serve.service" \
    >"$tmp/unit/wendaro-serve.service"
XDG_RUNTIME_DIR="$tmp/runtime" systemd-analyze verify --user --man=no \
    "$tmp/unit/wendaro-serve.service" >"$tmp/unit.log" 2>&1 && [ ! -s "$tmp/unit.log" ] &&
    ok "user unit verified" || {
    cat "$tmp/unit.log" >&2
    fail "systemd-analyze verify"
}

for page in wendaro wendaro-cli; do
    if MANWIDTH=100 man --warnings -E UTF-8 -l "$root/share/man/man1/$page.1.gz" \
        >"$tmp/$page.txt" 2>"$tmp/$page.warn" && [ ! -s "$tmp/$page.warn" ]; then
        ok "man $page renders without warnings"
    else
        cat "$tmp/$page.warn" >&2
        fail "man $page has warnings"
    fi
done
unmentioned=0
for word in "${subcommands[@]}" "${options[@]}" add list remove 12345/udp 12346/tcp 12347/tcp allowunknown \
    hostname XDG_CONFIG_HOME wendaro-serve "EXIT STATUS" EXAMPLES; do
    grep -qF -- "$word" "$tmp/wendaro-cli.txt" || {
        fail "man wendaro-cli does not mention $word"
        unmentioned=1
    }
done
[ $unmentioned -eq 0 ] && ok "man wendaro-cli mentions ${subcommands[*]} ${options[*]}"

complete_words() {  # complete_words <command line ending at the cursor>
    bash -c '
        source /usr/share/bash-completion/bash_completion
        source "$1"
        COMP_LINE=$2
        read -ra COMP_WORDS <<<"$COMP_LINE"
        [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        COMP_POINT=${#COMP_LINE}
        _wendaro_cli wendaro-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "
    ' _ "$root/share/bash-completion/completions/wendaro-cli" "$1"
}
expect_completion() {  # expect_completion <line> <expected, sorted, space-separated>
    local got
    got=$(complete_words "$1")
    [ "$got" = "$2 " ] && ok "completion of '$1'" || fail "completion of '$1': got '$got', want '$2'"
}
expected=$(printf '%s\n' "${subcommands[@]}" | sort | tr '\n' ' ')
expect_completion "wendaro-cli " "${expected% }"
expect_completion "wendaro-cli --config x.ini sh" "share"
expect_completion "wendaro-cli share " "add list remove"
expect_completion "wendaro-cli get --ov" "--overwrite"
expect_completion "wendaro-cli ls --timeout 5 " ""
finish
