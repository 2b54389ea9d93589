#!/usr/bin/env bash
# The real program on a real X server: "quantelo FILE" opens the measuring window with the
# image and its ROIs; Return takes the values over by real key events, and the main window's
# fields then hold exactly what quantelo-sdnr measures in the same file.
# Usage: measure_e2e.sh PATH/TO/quantelo PATH/TO/quantelo-sdnr PATH/TO/write_test_dicom
source "$(dirname "$0")/x11_session.sh"

readonly program=$1 sdnr_tool=$2 writer=$3
readonly light_green=204,255,204
# The ROI frames: "Al" amber, "BG" cyan.
readonly AL_COLOUR=255,176,0 BG_COLOUR=0,200,255

image="$work_dir/exposure.dcm"
"$writer" "$image" --size 1024x832
# The same file measured on the command line: mAl, sAl, mBG, sBG, SDNR.
IFS=$'\t' read -r _ m_al s_al m_bg s_bg sdnr _ < <("$sdnr_tool" "$image" | sed -n 2p)
[ -n "$sdnr" ] || fail "quantelo-sdnr measured nothing"

start_x_server
launch '^Quantelo - Messen' "$program" "$image" >/dev/null
measure=$(wait_for_window '^Quantelo - Messen') || fail "no measuring window"
main=$(wait_for_window '^Quantelo$') || fail "no main window"
sleep 0.5
screenshot

# The image is painted: many grey levels inside the measuring window, and the two ROI frames in
# their colours.
eval "$(xdotool getwindowgeometry --shell "$measure")"
greys=$(convert "$work_dir/shot.png" -crop "$((WIDTH / 2))x$((HEIGHT / 2))+$((X + WIDTH / 8))+$((Y + HEIGHT / 4))" \
  -colorspace gray -format '%k' info:)
[ "$greys" -gt 20 ] || fail "the measuring window shows no image ($greys grey levels)"
echo "ok: the image is shown ($greys grey levels)"
for colour in "$AL_COLOUR" "$BG_COLOUR"; do
  count=$(convert "$work_dir/shot.png" -fill black +opaque "rgb($colour)" -fill white -opaque "rgb($colour)" \
    -format '%[fx:int(mean*w*h)]' info:)
  [ "$count" -gt 100 ] || fail "no ROI frame in rgb($colour) ($count pixels)"
  echo "ok: a ROI frame in rgb($colour) ($count pixels)"
done

focus "$measure"
press Return
sleep 0.5
xdotool search --onlyvisible --name '^Quantelo - Messen' >/dev/null 2>&1 && fail "Return did not close the measuring window"
echo "ok: Return takes the values over and closes the window"

# Every field's text, read through the clipboard after selecting it with real keys. The first
# field has the focus again, as before the measuring window opened; Tab goes on to the next.
focus "$main"
field_text() {
  [ -z "$1" ] || press "$1"
  press ctrl+a ctrl+c
  xclip -selection clipboard -o
}
expect_text() {
  [ "$2" = "$3" ] || fail "$1 holds '$2', expected '$3'"
  echo "ok: $1 holds $3"
}
expect_text "Grauwert Aluminium" "$(field_text "")" "$m_al"
expect_text "STD Aluminium" "$(field_text Tab)" "$s_al"
expect_text "Grauwert Hintergrund" "$(field_text Tab)" "$m_bg"
expect_text "STD Hintergrund" "$(field_text Tab)" "$s_bg"
expect_text "Berechnetes SDNR" "$(field_text Tab)" "$sdnr"
screenshot
eval "$(xdotool getwindowgeometry --shell "$main")"
readonly client_left=$X client_top=$((Y + HEIGHT - 203))
expect_pixel $((client_left + 32 + 110)) $((client_top + 32 + 10)) "$light_green" "the taken value colours its field as typing does"
