#!/usr/bin/env bash
# The real program as a screen reader hears it, through AT-SPI on a private session bus: each
# input field is named by its caption and says whether its text is a usable number, updated as
# the user types; the result field gives the result. In the measuring window each ROI is named
# with its place and size, updated as the keys move it.
# Usage: accessibility_e2e.sh PATH/TO/quantelo PATH/TO/quantelo-sdnr PATH/TO/write_test_dicom
if [ -z "${QUANTELO_SESSION_BUS:-}" ]; then
  QUANTELO_SESSION_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
source "$(dirname "$0")/x11_session.sh"

readonly program=$1 sdnr_tool=$2 writer=$3 reader="$(dirname "$0")/read_accessibility.py"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

start_x_server
window=$(launch '^Quantelo$' "$program")
focus "$window"

# Waits until the screen reader hears every line given: field name, description and text.
expect_heard() {
  /usr/bin/python3 "$reader" quantelo "$@" >"$work_dir/heard" 2>&1 || fail "AT-SPI: $(cat "$work_dir/heard")"
  printf "ok: heard '%s'\n" "$@"
}

type_text "1000"
press Tab
type_text "10"
press Tab
type_text "1500"
press Tab
type_text "2x"
expect_heard $'Grauwert Aluminium\tgültige Zahl\t1000' $'STD Hintergrund\tkeine gültige Zahl\t2x' \
  $'Berechnetes SDNR\t\tNaN'

press BackSpace
expect_heard $'STD Hintergrund\tgültige Zahl\t2' $'Berechnetes SDNR\t\t69.34'

# The measuring window of a second start: the ROIs where the automatic placement puts them, as
# quantelo-sdnr places them in the same file.
image="$work_dir/phantom.dcm"
"$writer" "$image" >/dev/null || fail "write_test_dicom failed"
IFS=$'\t' read -r _ _ _ _ _ _ _ al bg _ < <("$sdnr_tool" "$image" 2>/dev/null | sed -n 2p)
IFS=, read -r al_x al_y side _ <<<"$al"
IFS=, read -r bg_x bg_y _ <<<"$bg"
window=$(launch '^Quantelo - Messen' "$program" "$image")
focus "$window"
expect_heard "Al: x $al_x, y $al_y, $side × $side" "BG: x $bg_x, y $bg_y, $side × $side"
# Tab selects BG in the image, the arrow moves it; the screen reader hears the new place.
press Tab Right
expect_heard "Al: x $al_x, y $al_y, $side × $side" "BG: x $((bg_x + 1)), y $bg_y, $side × $side"
