#!/usr/bin/env bash
# The first start of the desktop program, in English and in German: the splash screen, then the
# first-run wizard (computer name, a folder shared under the proposed name), and only then the
# main window; Finish writes the name, the share and "firstinstalled". Then the share wizard and
# the options sheet open from the toolbar and the share's properties from the File menu, and
# Cancel leaves the settings as they were. A session that ends during the wizard ends the program.
# With SCREENSHOT_DIR set, the run also saves PNGs of the splash screen and of those dialogs.
# Usage: test_gui_first_start.sh <directory of the binaries>
# shellcheck source=tests/e2e/netns_lib.sh
. "$(dirname "$0")/netns_lib.sh"
# shellcheck source=tests/e2e/gui_lib.sh
. "$(dirname "$0")/gui_lib.sh"
gui_init "$1"
e2e_add_host 1
gui_start_display || exit 1
D=$GUI_DISPLAY

# The first visible window whose name matches the pattern, waited for at most <seconds>.
until_window() { # until_window <pattern> <seconds>; sets WIN
    local limit=$(($2 * 10))
    for _ in $(seq "$limit"); do
        WIN=$(DISPLAY=$D xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)
        [ -n "$WIN" ] && return 0
        sleep 0.1
    done
    return 1
}
gone_window() { # gone_window <pattern> <seconds>
    local limit=$(($2 * 10))
    for _ in $(seq "$limit"); do
        DISPLAY=$D xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}
shot_window() { # shot_window <name>: the window found last
    [ -n "${SCREENSHOT_DIR:-}" ] && DISPLAY=$D import -window "$WIN" "$SCREENSHOT_DIR/$1.png"
    return 0
}
# No window manager: the keys go to the window under the pointer.
point_at_window() {
    local X Y WIDTH HEIGHT
    eval "$(DISPLAY=$D xdotool getwindowgeometry --shell "$WIN" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    DISPLAY=$D xdotool mousemove $((X + WIDTH - 20)) $((Y + 20)) sleep 0.2
}
keys() { gui_keys "$D" "$@"; sleep 0.5; }
ini_has() { grep -qxF "$2" "$1"; }

MAIN='^Tavrin Wendaro$'
# first_start <language> <suffix of the screenshots> <computer name> <folder>
first_start() {
    local lang=$1 suffix=$2 name=$3 folder=$4 ini="$E2E_TMP/$1.ini" log="$E2E_TMP/$1.log"
    mkdir -p "$folder"
    # Only the window's place: otherwise a first start.
    printf '[global]\nXPos=0\nYPos=0\nXSize=850\nYSize=600\n' >"$ini"
    LANGUAGE=$lang gui_start 1 "$D" "$ini" "$log"
    PID=$GUI_PID
    # A cold start (font caches, a busy machine) can take a while.
    if ! until_window "$MAIN" 45; then
        e2e_fail "$lang: no splash screen"
        cat "$log"
        return 1
    fi
    e2e_log "ok: $lang: the splash screen shows first"
    [ "$lang" = en ] && shot_window splash
    if ! until_window 'wizard|ssistent' 10; then
        e2e_fail "$lang: no first-run wizard after the splash"
        cat "$log"
        return 1
    fi
    e2e_check "$lang: the splash has closed and the main window waits for the wizard" \
        gone_window "$MAIN" 1
    point_at_window
    shot_window "first_run_welcome$suffix"
    keys Return
    keys ctrl+a
    gui_type "$D" "$name"
    shot_window "first_run_name$suffix"
    keys Return
    gui_type "$D" "$folder"
    sleep 0.3
    keys Return
    shot_window "first_run_share_name$suffix"
    e2e_check "$lang: nothing is written before Finish" bash -c "! grep -q '^firstinstalled=' '$ini'"
    keys Return
    shot_window "first_run_completed$suffix"
    keys Return
    e2e_check "$lang: the main window shows after the wizard" until_window "$MAIN" 10
    e2e_check "$lang: Finish wrote the computer name" ini_has "$ini" "hostname=$name"
    e2e_check "$lang: Finish shared the folder under its own name" \
        ini_has "$ini" "$(basename "$folder")=$folder"
    e2e_check "$lang: the wizard is not offered again" ini_has "$ini" "firstinstalled=1"
}

stop_gui() {
    if e2e_stop "$PID" TERM 5; then
        e2e_check "$1: exits 0 on SIGTERM" test "$E2E_STOP_STATUS" -eq 0
    else
        e2e_fail "$1: did not stop within 5 s of SIGTERM"
    fi
}

if first_start en "" pc-one "$E2E_TMP/Pictures"; then
    # The share wizard from the toolbar: no computer-name page; Cancel writes nothing.
    before=$(cat "$E2E_TMP/en.ini")
    gui_at "$D" 20 17 click 1
    if until_window 'share wizard' 10; then
        point_at_window
        shot_window share_wizard_welcome
        keys Return
        gui_type "$D" "$E2E_TMP/Pictures"
        sleep 0.3
        shot_window share_wizard_folder
        keys Escape
        e2e_check "en: the share wizard closes on Escape" gone_window 'share wizard' 5
        e2e_check "en: and leaves the settings as they were" \
            test "$(cat "$E2E_TMP/en.ini")" = "$before"
    else
        e2e_fail "en: Add share opened no share wizard"
    fi
    # The options sheet from the toolbar.
    gui_at "$D" 53 17 click 1
    if until_window '^Options$' 10; then
        shot_window options
        point_at_window
        keys Escape
        e2e_check "en: the options close on Escape" gone_window '^Options$' 5
    else
        e2e_fail "en: the toolbar opened no options"
    fi
    # The share the wizard made, in the tree under this computer: its properties.
    gui_at "$D" 60 45 click 1
    keys Left Right Down
    keys alt+f p
    if until_window '^Share properties$' 10; then
        shot_window share_properties
        point_at_window
        keys Escape
        e2e_check "en: the share properties close on Escape" gone_window '^Share properties$' 5
    else
        e2e_fail "en: File > Share properties opened no dialog"
    fi
    stop_gui en
fi

if first_start de _de pc-zwei "$E2E_TMP/Bilder"; then
    stop_gui de
fi

# The session ends while the first-run wizard is open: the program ends, showing nothing more.
printf '[global]\nskipsplash=1\n' >"$E2E_TMP/term.ini"
gui_start 1 "$D" "$E2E_TMP/term.ini" "$E2E_TMP/term.log"
PID=$GUI_PID
if until_window 'wizard' 45; then
    stop_gui "with the wizard open"
    e2e_check "with the wizard open: no share was written" \
        bash -c "! grep -q '^\[shares\]' '$E2E_TMP/term.ini'"
else
    e2e_fail "no first-run wizard with skipsplash=1"
    cat "$E2E_TMP/term.log"
fi

e2e_finish
