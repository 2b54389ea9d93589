#!/usr/bin/env bash
# The real program at QT_SCALE_FACTOR=2: the windows laid out at twice their size, the about
# window's icon where it sits at scale 1, and the pictures drawn at the screen's full resolution
# instead of pixel-doubled. Usage: hidpi_e2e.sh PATH/TO/quantelo
source "$(dirname "$0")/x11_session.sh"

readonly program=$1
readonly light_green=204,255,204 white=255,255,255 icon_blue=31,111,178
export QT_SCALE_FACTOR=2

# A picture painted at scale 1 and doubled survives halving and doubling unchanged; one painted
# at full resolution does not. $1 names it; $2 $3: the window's origin; $4..$7: the picture's
# logical left, top, width and height in the window.
expect_full_resolution() {
  local name=$1 w=$6 h=$7 changed
  convert "$work_dir/shot.png" -crop "$((2 * w))x$((2 * h))+$(($2 + 2 * $4))+$(($3 + 2 * $5))" \
    +repage "$work_dir/region.png"
  convert "$work_dir/region.png" -sample 50% -sample 200% "$work_dir/doubled.png"
  changed=$(compare -metric AE "$work_dir/region.png" "$work_dir/doubled.png" null: 2>&1 || true)
  ((changed > w * h / 20)) || fail "the $name is pixel-doubled ($changed pixels differ)"
  echo "ok: the $name is drawn at full resolution ($changed of $((4 * w * h)) pixels not doubled)"
}

# 800 x 600 logical pixels: room for the main window at its place, 281,281.
start_x_server 1600x1200
main=$(launch '^Quantelo$' "$program")
eval "$(xdotool getwindowgeometry --shell "$main")"  # X, Y, WIDTH, HEIGHT
menu=$((HEIGHT - 2 * 203))
((WIDTH == 2 * 346 && menu > 0 && menu % 2 == 0)) ||
  fail "main window ${WIDTH}x$HEIGHT, expected 692 x (406 + a doubled menu bar)"
echo "ok: the main window is 692 x 406 below a menu bar of $menu"
readonly client_left=$X client_top=$((Y + menu))

# At scale 1 the first field is at client 32,32 (121 x 21), the 73 x 73 picture at 240,120.
focus "$main"
type_text "9157"
expect_pixel $((client_left + 2 * 142)) $((client_top + 2 * 42)) "$light_green" \
  "a number turns its field light green at twice its place"
expect_pixel $((client_left + 2 * 241)) $((client_top + 2 * 121)) "$white" \
  "the picture shows at twice its place"
# Drawn at full resolution, the picture's dark strokes (3.4 device pixels wide) outnumber the
# grey pixels at their edges; scaled up from 73 px, the blurred edges outnumber the strokes. The
# last screenshot shows the picture.
picture_pixels_darker_than() {
  convert "$work_dir/shot.png" -crop 146x146+$((client_left + 480))+$((client_top + 240)) \
    -colorspace gray -threshold "$1" -format '%[fx:int((1 - mean) * w * h)]' info:
}
dark=$(picture_pixels_darker_than 35%)
edges=$(($(picture_pixels_darker_than 90%) - dark))
((dark > edges)) || fail "the picture is blurred: $dark dark pixels, $edges at their edges"
echo "ok: the picture is sharp: $dark dark pixels, $edges at their edges"

press alt+h
press b
about=$(wait_for_window '^ Quantelo $' "an about window after Ü&ber")
sized() {
  eval "$(xdotool getwindowgeometry --shell "$about")"  # X, Y, WIDTH, HEIGHT
  [ "$WIDTH,$HEIGHT" = "868,662" ] || { echo "about window ${WIDTH}x$HEIGHT" >&2; return 1; }
}
wait_until 10 "the about window at 868 x 662" sized
echo "ok: the about window is 868 x 662"

# The 32 x 32 icon is at 382,60 at scale 1; its tile is plain blue 4 px in and 15 down, and
# 32 px further left (where its width in device pixels would put it) is the card. Once the icon
# shows, the last screenshot has the window painted.
expect_pixel $((X + 2 * 386)) $((Y + 2 * 75)) "$icon_blue" "the icon is at twice its scale-1 place"
[ "$(pixel $((X + 2 * 354)) $((Y + 2 * 75)))" != "$icon_blue" ] ||
  fail "the icon is 32 px too far left"
# Drawn at 64 px, the icon's white bar starts exactly at its device column 24 (x 764 + 24).
expect_pixel $((X + 787)) $((Y + 140)) "$icon_blue" "the icon's tile ends sharply"
expect_pixel $((X + 788)) $((Y + 140)) "$white" "the icon's bar begins sharply"
expect_full_resolution icon "$X" "$Y" 382 60 32 32
expect_full_resolution "close glyph" "$X" "$Y" 400 8 24 24
expect_full_resolution title "$X" "$Y" 128 82 180 48
expect_full_resolution logo "$X" "$Y" 16 16 136 48
