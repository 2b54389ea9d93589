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

# Field name, description and text, as the screen reader reads them now.
heard() {
  /usr/bin/python3 "$reader" quantelo >"$work_dir/heard" || fail "AT-SPI: $(cat "$work_dir/heard")"
}
expect_heard() {
  grep -qxF "$1" "$work_dir/heard" || fail "not heard: '$1'; heard:$(printf '\n  %s' "$(cat "$work_dir/heard")")"
  echo "ok: heard '$1'"
}

type_text "1000"
press Tab
type_text "10"
press Tab
type_text "1500"
press Tab
type_text "2x"
sleep 0.2
heard
expect_heard $'Grauwert Aluminium\tgültige Zahl\t1000'
expect_heard $'STD Hintergrund\tkeine gültige Zahl\t2x'
expect_heard $'Berechnetes SDNR\t\tNaN'

press BackSpace
sleep 0.2
heard
expect_heard $'STD Hintergrund\tgültige Zahl\t2'
expect_heard $'Berechnetes SDNR\t\t69.34'
