# shellcheck shell=bash disable=SC2034  # the variables set here are read by the sourcing scripts
# Helpers for end-to-end tests of the desktop program: one Xvfb display per host (no window
# manager, so each window sits where its settings put it), the program started inside the host's
# network namespace, and mouse and keys through xdotool. Source after netns_lib.sh.

E2E_GUI="" # path of the wendaro binary

# The window of every host is placed by its settings: 850 x 600 at the top-left corner, the
# tree/chat column 400 pixels wide and the lower row 250 pixels high.
GUI_MENU_HEIGHT=20 # the menu bar, in the fonts scripts/install-deps.sh installs
GUI_LEFT=400
GUI_BOTTOM=250

# Root, the tools and the desktop program in <directory of the binaries>, then e2e_init.
gui_init() { # gui_init <directory of the binaries>
    e2e_require_root
    e2e_need_tools Xvfb xdotool xclip import
    E2E_GUI="$1/wendaro"
    [ -x "$E2E_GUI" ] || { echo "FAIL: no wendaro in $1 (built with WENDARO_BUILD_GUI=ON?)" >&2 && exit 1; }
    e2e_init "$1"
}

# gui_config <file> <hostname> [extra lines]
gui_config() {
    {
        printf '[global]\nhostname=%s\nfirstinstalled=1\nskipsplash=1\n' "$2"
        printf 'XPos=0\nYPos=0\nXSize=850\nYSize=600\nleftpanelwidth=%s\nbottompanelheight=%s\n' \
            "$GUI_LEFT" "$GUI_BOTTOM"
        [ -n "${3:-}" ] && printf '%s\n' "$3"
    } >"$1"
}

# Starts an Xvfb of its own; sets GUI_DISPLAY.
gui_start_display() {
    local fdfile="$E2E_TMP/display.$RANDOM"
    Xvfb -displayfd 3 -screen 0 1000x700x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
    E2E_PIDS+=("$!")
    for _ in $(seq 100); do
        [ -s "$fdfile" ] && break
        sleep 0.05
    done
    GUI_DISPLAY=":$(head -n1 "$fdfile")"
    [ "$GUI_DISPLAY" != ":" ]
}

# gui_start <host i> <display> <config> <log>; sets GUI_PID.
gui_start() {
    mkdir -p "$E2E_TMP/runtime$1"
    chmod 700 "$E2E_TMP/runtime$1"
    DISPLAY=$2 XDG_RUNTIME_DIR="$E2E_TMP/runtime$1" ip netns exec "$(e2e_ns "$1")" \
        "$E2E_GUI" --config "$3" >"$4" 2>&1 &
    GUI_PID=$!
    E2E_PIDS+=("$GUI_PID")
}

# Bounded waits for the first visible window whose name matches the pattern (its id in GUI_WIN),
# or for there being none.
gui_find_window() { # gui_find_window <display> <pattern>
    GUI_WIN=$(DISPLAY=$1 xdotool search --onlyvisible --name "$2" 2>/dev/null | head -n1)
    [ -n "$GUI_WIN" ]
}
gui_no_window() { local GUI_WIN; ! gui_find_window "$@"; } # keeps the window found last
gui_window() { e2e_until "$3" gui_find_window "$1" "$2"; } # gui_window <display> <pattern> <s>
gui_gone() { e2e_until "$3" gui_no_window "$1" "$2"; }     # gui_gone <display> <pattern> <s>

# Screen coordinates of a point given in the client area below the menu bar.
gui_at() { # gui_at <display> <x> <y> then xdotool commands...
    local display=$1 x=$2 y=$3
    shift 3
    # Not --sync: it waits forever when the pointer is already there.
    DISPLAY=$display xdotool mousemove "$x" $((y + GUI_MENU_HEIGHT)) sleep 0.1 "$@"
}

gui_keys() { DISPLAY=$1 xdotool key --delay 60 "${@:2}"; } # gui_keys <display> keys...
gui_type() { DISPLAY=$1 xdotool type --delay 20 "$2"; }    # gui_type <display> text
gui_screenshot() { DISPLAY=$1 import -window root -crop 850x600+0+0 +repage "$2"; } # <display> <png>

# The chat history's text, read through the clipboard.
gui_chat_history() { # gui_chat_history <display>
    local h=$((600 - GUI_MENU_HEIGHT))
    gui_at "$1" 60 $((h - GUI_BOTTOM - 7 + 40)) click 1
    gui_keys "$1" ctrl+a ctrl+c
    sleep 0.2
    DISPLAY=$1 timeout 5 xclip -o -selection clipboard 2>/dev/null
    # A later click, not taken for a double click, leaves the text unselected again.
    gui_at "$1" 60 $((h - GUI_BOTTOM - 7 + 40)) sleep 0.5 click 1
}
