#!/usr/bin/env bash
# The about window on a real X server: opened from the menu with real keys, its navy corners cut
# out so that the window below shows and gets the clicks there, closed with Esc and with a press
# beside the title. Usage: about_e2e.sh PATH/TO/quantelo
source "$(dirname "$0")/x11_session.sh"

readonly program=$1
readonly navy=0,0,128 peach=255,221,187
# The about window is centred on the 1024 x 768 screen: 434 x 331 at 295,218.
readonly about_left=295 about_top=218
# A navy pixel of the card's top-left corner, and where xev's window lies below it.
readonly corner_x=$((about_left + 2)) corner_y=$((about_top + 2))

start_x_server
# A window that reports every press it gets, under the about window's top-left corner.
xev -geometry 60x60+$((corner_x - 30))+$((corner_y - 30)) >"$work_dir/xev.log" 2>&1 &
pids+=($!)
wait_for_window '^Event Tester$' >/dev/null || fail "xev did not show its window"

main=$(launch '^Quantelo$' "$program")
screenshot
below=$(pixel "$corner_x" "$corner_y")

open_about() {
  focus "$main"
  press alt+h
  press b
  about=$(wait_for_window '^ Quantelo $') || fail "Ü&ber showed no about window"
  sleep 0.3
}

wait_until_closed() {
  local deadline=$((SECONDS + 5))
  while xdotool search --onlyvisible --name '^ Quantelo $' >/dev/null 2>&1; do
    ((SECONDS < deadline)) || fail "$1 did not close the about window"
    sleep 0.05
  done
  echo "ok: $1 closes the about window"
}

open_about
eval "$(xdotool getwindowgeometry --shell "$about")"  # X, Y, WIDTH, HEIGHT
[ "$X,$Y,$WIDTH,$HEIGHT" = "$about_left,$about_top,434,331" ] ||
  fail "about window at $X,$Y size ${WIDTH}x$HEIGHT, expected centred 434x331"
echo "ok: the about window is centred, 434 x 331, without a frame"
screenshot
expect_pixel $((about_left + 217)) "$about_top" "$peach" "the card's top edge is peach"
[ "$(pixel "$corner_x" "$corner_y")" = "$below" ] ||
  fail "the corner shows $(pixel "$corner_x" "$corner_y"), not the window below ($below)"
[ "$below" != "$navy" ] || fail "the window below is navy itself"
echo "ok: the corner shows the window below"

# A real click on the corner reaches the window below; the about window stays open.
presses_before=$(grep -c ButtonPress "$work_dir/xev.log" || true)
xdotool mousemove "$corner_x" "$corner_y" click 1
sleep 0.3
presses_after=$(grep -c ButtonPress "$work_dir/xev.log" || true)
((presses_after > presses_before)) || fail "the click on the corner did not reach the window below"
xdotool search --onlyvisible --name '^ Quantelo $' >/dev/null || fail "the corner click closed the window"
echo "ok: a click on the corner reaches the window below"

# F3 starts the credits: the warning box area changes from one moment to the next.
focus "$about"
press F3
sleep 0.3
screenshot
cp "$work_dir/shot.png" "$work_dir/first.png"
sleep 1
screenshot
compare -metric AE -crop 193x120+$((about_left + 232))+$((about_top + 176)) \
  "$work_dir/first.png" "$work_dir/shot.png" null: 2>"$work_dir/diff.txt" || true
[ "$(cat "$work_dir/diff.txt")" != "0" ] || fail "the credits do not scroll after F3"
echo "ok: F3 scrolls the credits"

press Escape
wait_until_closed "Esc"

open_about
xdotool mousemove $((about_left + 300)) $((about_top + 60)) click 1
wait_until_closed "a click beside the title"

# The program takes input again.
focus "$main"
press alt+h
press b
about=$(wait_for_window '^ Quantelo $') || fail "the about window does not open a second time"
echo "ok: the about window opens again"
