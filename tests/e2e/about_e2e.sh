#!/usr/bin/env bash
# The about window on a real X server: opened from the menu with real keys, its navy corners cut
# out so that the window below shows and gets the clicks there, closed with Esc and with a press
# beside the title. Usage: about_e2e.sh PATH/TO/quantelo
source "$(dirname "$0")/x11_session.sh"

readonly program=$1
readonly navy=0,0,128 peach=255,221,187
readonly about_size=434x331

start_x_server
# The about window is centred on the screen; xev's window goes below its top-left corner before
# it opens.
read -r screen_width screen_height < <(xdotool getdisplaygeometry)
readonly centre_left=$(((screen_width - ${about_size%x*}) / 2))
readonly centre_top=$(((screen_height - ${about_size#*x}) / 2))
# A window that reports every press it gets, under a navy pixel of the card's top-left corner.
xev -geometry 60x60+$((centre_left + 2 - 30))+$((centre_top + 2 - 30)) >"$work_dir/xev.log" 2>&1 &
pids+=($!)
wait_for_window '^Event Tester$' "xev's window" >/dev/null

main=$(launch '^Quantelo$' "$program")
screenshot
below=$(pixel $((centre_left + 2)) $((centre_top + 2)))

# Where the about window lies; fails with what it sees unless centred at its size.
centred() {
  eval "$(xdotool getwindowgeometry --shell "$1")"  # X, Y, WIDTH, HEIGHT
  [ "$X,$Y,${WIDTH}x$HEIGHT" = "$centre_left,$centre_top,$about_size" ] ||
    { echo "at $X,$Y size ${WIDTH}x$HEIGHT on a ${screen_width}x$screen_height screen" >&2; return 1; }
}
# Opens the about window with real keys and waits until it is centred and painted; sets about and
# its origin X, Y.
open_about() {
  focus "$main"
  press alt+h
  press b
  about=$(wait_for_window '^ Quantelo $' "an about window after Ü&ber")
  wait_until 10 "the about window centred, $about_size, without a frame" centred "$about"
  wait_until 10 "the about window painted" shows_pixel $((X + 217)) "$Y" "$peach"
}
more_presses_than() {
  local presses
  presses=$(grep -c ButtonPress "$work_dir/xev.log")
  ((presses > $1)) || { echo "$presses presses in xev" >&2; return 1; }
}
# Whether a new screenshot differs from the picture $1 in the credits' place.
credits_differ_from() {
  local differing
  screenshot
  differing=$(compare -metric AE -crop "193x120+$((X + 232))+$((Y + 176))" \
    "$work_dir/$1" "$work_dir/shot.png" null: 2>&1 >/dev/null)
  [[ $differing =~ ^[0-9] && $differing != 0 ]] ||
    { echo "the credits' place differs in '$differing' pixels" >&2; return 1; }
}

open_about
echo "ok: the about window is centred, $about_size, without a frame"
readonly corner_x=$((X + 2)) corner_y=$((Y + 2))
expect_pixel $((X + 217)) "$Y" "$peach" "the card's top edge is peach"
[ "$(pixel "$corner_x" "$corner_y")" = "$below" ] ||
  fail "the corner shows $(pixel "$corner_x" "$corner_y"), not the window below ($below)"
[ "$below" != "$navy" ] || fail "the window below is navy itself"
echo "ok: the corner shows the window below"

# A real click on the corner reaches the window below; the about window stays open.
presses_before=$(grep -c ButtonPress "$work_dir/xev.log" || true)
xdotool mousemove "$corner_x" "$corner_y" click 1
wait_until 10 "the click on the corner to reach the window below" more_presses_than "$presses_before"
visible_window '^ Quantelo $' >/dev/null || fail "the corner click closed the window"
echo "ok: a click on the corner reaches the window below"

# F3 starts the credits: the warning box area changes, and goes on changing.
focus "$about"
screenshot
cp "$work_dir/shot.png" "$work_dir/before.png"
press F3
wait_until 10 "F3 to start the credits" credits_differ_from before.png
cp "$work_dir/shot.png" "$work_dir/started.png"
wait_until 10 "the credits to scroll" credits_differ_from started.png
echo "ok: F3 scrolls the credits"

press Escape
wait_until 10 "Esc to close the about window" window_gone '^ Quantelo $'
echo "ok: Esc closes the about window"

open_about
xdotool mousemove $((X + 300)) $((Y + 60)) click 1
wait_until 10 "a click beside the title to close the about window" window_gone '^ Quantelo $'
echo "ok: a click beside the title closes the about window"

# The program takes input again.
focus "$main"
press alt+h
press b
wait_for_window '^ Quantelo $' "the about window to open a second time" >/dev/null
echo "ok: the about window opens again"
