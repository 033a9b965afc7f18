#!/usr/bin/env bash
# Installs build/wendaro_*.deb into a bare Debian 12 root, as a user would with apt, and checks
# that apt brings what the package needs, that the programs, man pages and menu entry work there,
# and that removing and purging the package leaves nothing of it behind. Then lintian.
# The root made by debootstrap is kept in <build dir>/debian-root; each run works on an overlay
# of it, so the cached root stays clean.
# Usage: test_deb_install.sh <build dir holding the .deb>
# shellcheck disable=SC2015  # ok only prints, so "A && ok || fail" fails exactly when A does
set -uo pipefail
# shellcheck source=tests/install/check_lib.sh
. "$(dirname "$0")/../install/check_lib.sh"
out=${1:?usage: test_deb_install.sh <build dir>}
mirror=${WENDARO_DEBIAN_MIRROR:-http://deb.debian.org/debian}
started=$(date +%s)
note() { echo "[$(($(date +%s) - started)) s] $*"; }

if [ "$(id -u)" -ne 0 ]; then
    echo "### SKIP: $(basename "$0") needs root for debootstrap and chroot" >&2
    exit 0
fi
need_tools debootstrap lintian dpkg-deb chroot mount
debs=("$out"/wendaro_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] ||
    { echo "FAIL: expected exactly one wendaro_*.deb in $out (make package builds it)" >&2 && exit 1; }
deb=$(realpath "${debs[0]}")
cache=$(realpath "$out")/debian-root

# The test's own tools in the root: man to read the pages, desktop-file-validate for the entry,
# ufw for the firewall profile. None of them is a dependency of the package.
if [ ! -e "$cache/.complete" ]; then
    note "creating the Debian 12 root in $cache (a few minutes, once)"
    rm -rf "$cache.new"
    debootstrap --variant=minbase --include=man-db,desktop-file-utils,ufw bookworm "$cache.new" \
        "$mirror" >"$out/debootstrap.log" 2>&1 || {
        tail -20 "$out/debootstrap.log" >&2
        echo "FAIL: debootstrap (log: $out/debootstrap.log)" >&2 && rm -rf "$cache.new" && exit 1
    }
    touch "$cache.new/.complete" && rm -rf "$cache" && mv "$cache.new" "$cache"
fi

work=$(mktemp -d /tmp/wendaro-deb.XXXXXX)
root="$work/root"
mounts=()
cleanup() {
    local i
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount -l "${mounts[i]}" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
mkdir -p "$work/upper" "$work/work" "$root"
if mount -t overlay overlay -o "lowerdir=$cache,upperdir=$work/upper,workdir=$work/work" "$root" \
    2>/dev/null; then
    mounts+=("$root")
else
    note "no overlay file system here; copying the root instead"
    cp -a "$cache/." "$root/"
fi
mount -t proc proc "$root/proc" && mounts+=("$root/proc")
cp /etc/resolv.conf "$root/etc/resolv.conf"

in_root() {
    chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
        DEBIAN_FRONTEND=noninteractive "$@"
}
# logged <what> command...: its output kept in $work/log and shown when it fails.
logged() { "${@:2}" >"$work/log" 2>&1 && ok "$1" || { cat "$work/log" >&2 && fail "$1" && return 1; }; }
# Everything outside the package manager's own records, caches and logs.
snapshot() {
    in_root find / -xdev \( -path /proc -o -path /dev -o -path /run -o -path /tmp \
        -o -path /var/cache -o -path /var/lib/apt -o -path /var/lib/dpkg -o -path /var/log \
        -o -path /root -o -path /etc/resolv.conf \) -prune -o -print | sort
}

logged "apt-get update in the root" in_root apt-get update -qq || finish
snapshot >"$work/before"
listing=$(dpkg-deb -c "$deb")
cp "$deb" "$root/tmp/"
chmod 644 "$root/tmp/$(basename "$deb")"

note "installing $(basename "$deb"): Depends: $(dpkg-deb -f "$deb" Depends)"
logged "apt-get install ./$(basename "$deb")" \
    in_root apt-get install -y --no-install-recommends "/tmp/$(basename "$deb")" &&
    sed -n '/NEW packages/,/^[0-9]* upgraded/p' "$work/log" | sed 's/^/  apt: /'
dpkg-deb -f "$deb" Depends | grep -q "libc6 (>=" && ok "dependencies computed from the binaries" ||
    fail "Depends does not name libc6 with a version"
in_root apt-get check >/dev/null 2>&1 && ok "apt-get check" || fail "apt-get check"

package_files=$(awk '$1 !~ /^d/ {print substr($6, 2)}' <<<"$listing")
for binary in $(echo "$package_files" | grep '^/usr/bin/'); do
    in_root ldd "$binary" | grep "not found" >&2 && fail "$binary misses libraries" ||
        ok "$binary finds all its libraries"
done

in_root wendaro-cli --help >"$work/help.txt" 2>&1 && grep -q "^Usage: wendaro-cli" "$work/help.txt" &&
    ok "wendaro-cli --help" || fail "wendaro-cli --help: $(head -3 "$work/help.txt")"
for page in wendaro-cli wendaro; do
    in_root env MANPAGER=cat MANWIDTH=100 man "$page" >"$work/$page.man" 2>&1 &&
        grep -q "^SYNOPSIS" "$work/$page.man" && ok "man $page" ||
        fail "man $page: $(head -3 "$work/$page.man")"
done

entry=/usr/share/applications/org.wendaro.Wendaro.desktop
in_root desktop-file-validate "$entry" >"$work/desktop.log" 2>&1 && [ ! -s "$work/desktop.log" ] &&
    ok "desktop entry valid" || fail "desktop entry: $(cat "$work/desktop.log")"
icon=$(sed -n 's/^Icon=//p' "$root$entry")
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] &&
    [ -f "$root/usr/share/icons/hicolor/48x48/apps/$icon.png" ] &&
    ok "the entry's icon $icon is in the hicolor theme" || fail "icon $icon not installed"
program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$root$entry")
if grep -q "/usr/bin/$program\$" <<<"$listing"; then
    in_root sh -c "command -v $program" >/dev/null && ok "the entry starts $program, on PATH" ||
        fail "the entry's program $program is not on PATH"
else
    echo "### NOTE: the package holds no $program; the menu entry's Exec is not checked" >&2
fi

# The desktop program loads Qt plugins that no linker records: the window system's and the SVG
# icon engine's. apt must have brought them even without recommended packages.
if grep -q "/usr/bin/wendaro\$" <<<"$listing"; then
    for plugin in platforms/libqxcb.so iconengines/libqsvgicon.so imageformats/libqsvg.so; do
        ls "$root"/usr/lib/*/qt6/plugins/"$plugin" >/dev/null 2>&1 &&
            ok "the Qt plugin $plugin is installed" || fail "the Qt plugin $plugin is missing"
    done
fi

in_root ufw app info Wendaro >"$work/ufw.txt" 2>&1 && grep -q "12345/udp" "$work/ufw.txt" &&
    grep -q "12346,12347,12348/tcp" "$work/ufw.txt" && ok "ufw knows the profile Wendaro with its ports" ||
    fail "ufw app info Wendaro: $(cat "$work/ufw.txt")"

# Removal: only the conffile stays (Debian keeps an administrator's edits until purge); purge
# takes that too, and leaves the root as it was before, apart from packages apt pulled in.
conffiles=$(dpkg-deb --ctrl-tarfile "$deb" | tar -xOf - ./conffiles 2>/dev/null)
package_paths=$(awk '{print substr($6, 2)}' <<<"$listing" | sed 's#/$##')
leftovers() {  # files of the package still present, conffiles not counted
    local path
    for path in $package_files; do
        if [ -e "$root$path" ] || [ -L "$root$path" ]; then
            grep -qxF "$path" <<<"$conffiles" || echo "$path"
        fi
    done
}
if logged "apt-get remove" in_root apt-get remove -y wendaro; then
    left=$(leftovers)
    [ -z "$left" ] && ok "apt-get remove took every file but the conffiles ($conffiles)" ||
        fail "apt-get remove left: $left"
fi
if logged "apt-get purge" in_root apt-get purge -y wendaro; then
    snapshot >"$work/after"
    added=$(comm -13 "$work/before" "$work/after")
    ours=""
    candidates=$({
        grep -i wendaro <<<"$added"
        grep -xF -f <(printf '%s\n' "$package_paths") <<<"$added"
    } | sort -u)
    for path in $candidates; do
        # A folder of ours that a dependency apt pulled in also uses belongs to that package now.
        in_root dpkg -S "$path" >/dev/null 2>&1 || ours+="$path "
    done
    [ -z "$ours" ] && ok "apt-get purge left nothing of ours" || fail "after purge, still there: $ours"
fi

lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.txt" 2>&1 &&
    ok "lintian: no errors" || fail "lintian reports errors"
sed 's/^/  lintian: /' "$work/lintian.txt"

finish
