#!/usr/bin/env bash
# The plausibility warnings on a real X server: a realistic clean exposure opens without a
# warning; "Al" moved onto "BG" by real arrow keys brings up the warning strip and outlines both
# ROIs in the warning colour; Return still takes the values over.
# Usage: measure_warnings_e2e.sh PATH/TO/quantelo PATH/TO/write_exposure
source "$(dirname "$0")/x11_session.sh"

readonly program=$1 writer=$2
readonly STRIP_COLOUR=255,240,200 FLAGGED_COLOUR=255,32,144

image="$work_dir/clean.dcm"
"$writer" "$image" clean

start_x_server
launch '^Quantelo - Messen' "$program" "$image" >/dev/null
measure=$(wait_for_window '^Quantelo - Messen' "the measuring window")

# $1: the colour; $2: the fewest pixels that count as shown, or 0 for "not shown".
colour_count() {
  screenshot
  count=$(convert "$work_dir/shot.png" -fill black +opaque "rgb($1)" -fill white -opaque "rgb($1)" \
    -format '%[fx:int(mean*w*h)]' info:)
}
colour_shown() {
  colour_count "$1"
  ((count > $2)) || { echo "$count pixels of rgb($1)" >&2; return 1; }
}
# The placement runs after the first paint: the ROI frames show when it is done.
wait_until 10 "the ROI frames" colour_shown 255,176,0 100
colour_count "$STRIP_COLOUR"
((count == 0)) || fail "a clean exposure shows a warning strip ($count pixels)"
echo "ok: the clean exposure opens without a warning"

# "BG" lies above "Al" at the same distance from the chest wall: "Al" (selected) goes up onto it.
focus "$measure"
for _ in $(seq 20); do press shift+Up; done
wait_until 10 "the warning strip" colour_shown "$STRIP_COLOUR" 2000
echo "ok: the warning strip shows ($count pixels)"
wait_until 10 "the ROIs outlined in the warning colour" colour_shown "$FLAGGED_COLOUR" 100
echo "ok: the ROIs are outlined in the warning colour ($count pixels)"

press Return
wait_until 10 "Return to take the values over" window_gone '^Quantelo - Messen'
echo "ok: Return takes the values over in spite of the warning"
