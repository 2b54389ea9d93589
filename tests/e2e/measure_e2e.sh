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
measure=$(wait_for_window '^Quantelo - Messen' "the measuring window")
main=$(wait_for_window '^Quantelo$' "the main window")

# The image is painted: many grey levels inside the measuring window, and the two ROI frames in
# their colours, each seen on a new screenshot until painted.
eval "$(xdotool getwindowgeometry --shell "$measure")"
image_shown() {
  screenshot
  greys=$(convert "$work_dir/shot.png" -crop "$((WIDTH / 2))x$((HEIGHT / 2))+$((X + WIDTH / 8))+$((Y + HEIGHT / 4))" \
    -colorspace gray -format '%k' info:)
  ((greys > 20)) || { echo "$greys grey levels" >&2; return 1; }
}
frame_shown() {
  screenshot
  count=$(convert "$work_dir/shot.png" -fill black +opaque "rgb($1)" -fill white -opaque "rgb($1)" \
    -format '%[fx:int(mean*w*h)]' info:)
  ((count > 100)) || { echo "$count pixels" >&2; return 1; }
}
wait_until 10 "the measuring window to show the image" image_shown
echo "ok: the image is shown ($greys grey levels)"
for colour in "$AL_COLOUR" "$BG_COLOUR"; do
  wait_until 10 "a ROI frame in rgb($colour)" frame_shown "$colour"
  echo "ok: a ROI frame in rgb($colour) ($count pixels)"
done

focus "$measure"
press Return
wait_until 10 "Return to close the measuring window" window_gone '^Quantelo - Messen'
echo "ok: Return takes the values over and closes the window"

# Every field's text, read through the clipboard after selecting it with real keys. The first
# field has the focus again, as before the measuring window opened; Tab goes on to the next.
focus "$main"
clipboard_holds() {
  local text
  text=$(xclip -selection clipboard -o 2>/dev/null)
  [ "$text" = "$1" ] || { echo "the clipboard holds '$text'" >&2; return 1; }
}
# $1: the field; $2: the key that moves to it, if any; $3: its text.
expect_text() {
  [ -z "$2" ] || press "$2"
  # Emptied first, so that the field before, holding the same text, cannot pass for this one.
  xclip -selection clipboard -i </dev/null
  press ctrl+a ctrl+c
  wait_until 10 "$1 to hold '$3'" clipboard_holds "$3"
  echo "ok: $1 holds $3"
}
expect_text "Grauwert Aluminium" "" "$m_al"
expect_text "STD Aluminium" Tab "$s_al"
expect_text "Grauwert Hintergrund" Tab "$m_bg"
expect_text "STD Hintergrund" Tab "$s_bg"
expect_text "Berechnetes SDNR" Tab "$sdnr"
eval "$(xdotool getwindowgeometry --shell "$main")"
readonly client_left=$X client_top=$((Y + HEIGHT - 203))
expect_pixel $((client_left + 32 + 110)) $((client_top + 32 + 10)) "$light_green" "the taken value colours its field as typing does"
