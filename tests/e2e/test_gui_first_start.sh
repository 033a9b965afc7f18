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

# dialog <pattern> <seconds> <failure text> [screenshot]: waits for the window, points at it (no
# window manager: the keys go to the window under the pointer) and saves a screenshot of it.
dialog() {
    if ! gui_window "$D" "$1" "$2"; then
        e2e_fail "$3"
        return 1
    fi
    local X Y WIDTH
    eval "$(DISPLAY=$D xdotool getwindowgeometry --shell "$GUI_WIN" | grep -E '^(X|Y|WIDTH)=')"
    DISPLAY=$D xdotool mousemove $((X + WIDTH - 20)) $((Y + 20)) sleep 0.2
    shot "${4:-}"
}
shot() { # shot <name>: the window found last
    # import without a window id would wait for a click.
    [ -n "${SCREENSHOT_DIR:-}" ] && [ -n "$1" ] && [ -n "$GUI_WIN" ] &&
        DISPLAY=$D import -window "$GUI_WIN" "$SCREENSHOT_DIR/$1.png"
    return 0
}
escape() { # escape <pattern> <what>: Escape closes the dialog
    keys Escape
    e2e_check "$2 closes on Escape" gui_gone "$D" "$1" 5
}
keys() { gui_keys "$D" "$@"; sleep 0.5; }
ini_has() { grep -qxF "$2" "$1"; }
stop_gui() { e2e_expect_stop "$1: on SIGTERM" "$PID" TERM 5; }

MAIN='^Tavrin Wendaro$'
# first_start <language> <suffix of the screenshots> <computer name> <folder>
first_start() {
    local lang=$1 suffix=$2 name=$3 folder=$4 ini="$E2E_TMP/$1.ini"
    mkdir -p "$folder"
    # Only the window's place: otherwise a first start.
    printf '[global]\nXPos=0\nYPos=0\nXSize=850\nYSize=600\n' >"$ini"
    LANGUAGE=$lang gui_start 1 "$D" "$ini" "$E2E_TMP/$lang.log"
    PID=$GUI_PID
    # A cold start (font caches, a busy machine) can take a while.
    gui_window "$D" "$MAIN" 45 || { e2e_fail "$lang: no splash screen" && return 1; }
    e2e_log "ok: $lang: the splash screen shows first"
    [ "$lang" = en ] && shot splash
    dialog 'wizard|ssistent' 10 "$lang: no first-run wizard after the splash" "first_run_welcome$suffix" ||
        return 1
    e2e_check "$lang: the splash has closed and the main window waits for the wizard" \
        gui_gone "$D" "$MAIN" 1
    keys Return
    keys ctrl+a
    gui_type "$D" "$name"
    shot "first_run_name$suffix"
    keys Return
    gui_type "$D" "$folder"
    sleep 0.3
    keys Return
    shot "first_run_share_name$suffix"
    e2e_check_fails "$lang: nothing is written before Finish" grep -q '^firstinstalled=' "$ini"
    keys Return
    shot "first_run_completed$suffix"
    keys Return
    e2e_check "$lang: the main window shows after the wizard" gui_window "$D" "$MAIN" 10
    e2e_check "$lang: Finish wrote the computer name" ini_has "$ini" "hostname=$name"
    e2e_check "$lang: Finish shared the folder under its own name" \
        ini_has "$ini" "$(basename "$folder")=$folder"
    e2e_check "$lang: the wizard is not offered again" ini_has "$ini" "firstinstalled=1"
}

if first_start en "" pc-one "$E2E_TMP/Pictures"; then
    # The share wizard from the toolbar: no computer-name page; Cancel writes nothing.
    before=$(cat "$E2E_TMP/en.ini")
    gui_at "$D" 20 17 click 1
    if dialog 'share wizard' 10 "en: Add share opened no share wizard" share_wizard_welcome; then
        keys Return
        gui_type "$D" "$E2E_TMP/Pictures"
        sleep 0.3
        shot share_wizard_folder
        escape 'share wizard' "en: the share wizard"
        e2e_check "en: and leaves the settings as they were" test "$(cat "$E2E_TMP/en.ini")" = "$before"
    fi
    gui_at "$D" 53 17 click 1
    dialog '^Options$' 10 "en: the toolbar opened no options" options && escape '^Options$' "en: the options"
    # The share the wizard made, in the tree under this computer: its properties.
    gui_at "$D" 60 45 click 1
    keys Left Right Down
    keys alt+f p
    dialog '^Share properties$' 10 "en: File > Share properties opened no dialog" share_properties &&
        escape '^Share properties$' "en: the share properties"
    stop_gui en
fi
first_start de _de pc-zwei "$E2E_TMP/Bilder" && stop_gui de

# The session ends while the first-run wizard is open: the program ends, showing nothing more.
printf '[global]\nskipsplash=1\n' >"$E2E_TMP/term.ini"
gui_start 1 "$D" "$E2E_TMP/term.ini" "$E2E_TMP/term.log"
PID=$GUI_PID
if dialog 'wizard' 45 "no first-run wizard with skipsplash=1"; then
    stop_gui "with the wizard open"
    e2e_check_fails "with the wizard open: no share was written" grep -q '^\[shares\]' "$E2E_TMP/term.ini"
fi
e2e_finish en.log de.log term.log
