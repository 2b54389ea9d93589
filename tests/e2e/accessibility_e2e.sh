#!/usr/bin/env bash
# The real program as a screen reader hears it, through AT-SPI on a private session bus: each
# input field is named by its caption and says whether its text is a usable number, updated as
# the user types; the result field gives the result. Usage: accessibility_e2e.sh PATH/TO/quantelo
if [ -z "${QUANTELO_SESSION_BUS:-}" ]; then
  QUANTELO_SESSION_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
source "$(dirname "$0")/x11_session.sh"

readonly program=$1 reader="$(dirname "$0")/read_accessibility.py"
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
