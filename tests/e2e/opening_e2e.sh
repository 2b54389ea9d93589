#!/usr/bin/env bash
# The real program on a real X server opening a file that takes a while to decode: the busy
# window shows with "Abbrechen" while the main window stays usable; Abbrechen by a real key
# stops the decoding helper at once; and killing the program while the helper decodes leaves no
# process and no window behind.
# Usage: opening_e2e.sh PATH/TO/quantelo PATH/TO/write_test_dicom
source "$(dirname "$0")/x11_session.sh"

readonly program=$1 writer=$2
readonly helper="$(dirname "$program")/quantelo-decode"
readonly light_green=204,255,204

# JPEG 2000 at detector size: about a second to decode here.
image="$work_dir/slow.dcm"
"$writer" "$image" --size 4096x3328 --syntax jpeg2000

helper_running() {
  pgrep -f "^$helper" >/dev/null || { echo "no decoding helper" >&2; return 1; }
}
helper_gone() {
  ! pgrep -f "^$helper" >/dev/null || { echo "helper $(pgrep -f "^$helper") still runs" >&2; return 1; }
}

start_x_server
launch '^Quantelo$' "$program" "$image" >/dev/null
main=$(wait_for_window '^Quantelo$' "the main window")
busy=$(wait_for_window '^Bild öffnen$' "the busy window")
helper_running || fail "the busy window shows, but no helper decodes"
echo "ok: the busy window shows while the helper decodes"

# The main window takes typing meanwhile: its first field turns green on a number.
focus "$main"
type_text 12
eval "$(xdotool getwindowgeometry --shell "$main")"
screenshot
field_green() {
  screenshot
  convert "$work_dir/shot.png" -crop "${WIDTH}x${HEIGHT}+$X+$Y" -fill black +opaque "rgb($light_green)" \
    -format '%[fx:mean>0?1:0]' info: | grep -q 1 || { echo "no green field" >&2; return 1; }
}
wait_until 5 "the main window's field to turn green while the file opens" field_green
echo "ok: the main window took typing while the file opened"

# Abbrechen (the busy window's only button has the focus).
focus "$busy"
press space
wait_until 3 "the busy window to close" window_gone '^Bild öffnen$'
wait_until 2 "the helper to end" helper_gone
visible_window '^Quantelo - Messen' >/dev/null 2>&1 && fail "a measuring window opened after Abbrechen"
visible_window '^Quantelo$' >/dev/null || fail "the main window went with Abbrechen"
echo "ok: Abbrechen ended the decoding at once and opened nothing"

# Killed while the helper decodes: the helper goes with it, and so do the windows.
kill "${pids[-1]}"
wait "${pids[-1]}" 2>/dev/null || true
launch '^Quantelo$' "$program" "$image" >/dev/null
wait_until 5 "the helper to start" helper_running
kill -KILL "${pids[-1]}"
wait_until 2 "the helper to end with the program" helper_gone
wait_until 2 "the windows to go with the program" window_gone '^Quantelo'
echo "ok: killing the program left no helper and no window"
