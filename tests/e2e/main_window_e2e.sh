#!/usr/bin/env bash
# The real program on a real X server: typing with real key events colours the fields, and the
# trigger text shows the picture. Usage: main_window_e2e.sh PATH/TO/quantelo
source "$(dirname "$0")/x11_session.sh"

readonly program=$1
readonly light_green=204,255,204 light_red=255,204,204 white=255,255,255 cream=255,251,240

start_x_server
window=$(launch '^Quantelo$' "$program")
eval "$(xdotool getwindowgeometry --shell "$window")"  # X, Y, WIDTH, HEIGHT
readonly client_left=$X client_top=$((Y + HEIGHT - 203))  # the menu bar sits above the client

# A point well inside a field, right of any text: field at client (left, top), 121 x 21.
field_x() { echo $((client_left + $1 + 110)); }
field_y() { echo $((client_top + $2 + 10)); }

focus "$window"
# Cream shows that the window is painted: before that, the screen's background may look white.
expect_pixel $((client_left + 241)) $((client_top + 121)) "$cream" "the picture is hidden at start"
expect_pixel "$(field_x 32)" "$(field_y 32 32)" "$white" "a field is white before its first change"

type_text "1000"     # Grauwert Aluminium
press Tab
type_text "1x"       # STD Aluminium
press Tab
type_text "29157.5"  # Grauwert Hintergrund, with the trigger
# The picture shows once the last key is handled; what must stay is checked on that screenshot.
expect_pixel $((client_left + 241)) $((client_top + 121)) "$white" "the trigger shows the picture"
pixel_is "$(field_x 200)" "$(field_y 200 88)" "$white" || fail "an unchanged field stays white"
echo "ok: an unchanged field stays white"
expect_pixel "$(field_x 32)" "$(field_y 32 32)" "$light_green" "a number turns its field light green"
expect_pixel "$(field_x 200)" "$(field_y 200 32)" "$light_red" "a text that is no number turns its field light red"
expect_pixel "$(field_x 32)" "$(field_y 32 88)" "$light_green" "the trigger field holds a number"

press Tab
type_text "7"        # STD Hintergrund: another field without the trigger hides the picture
expect_pixel $((client_left + 241)) $((client_top + 121)) "$cream" "a change elsewhere hides the picture"
