#!/usr/bin/env bash
# The real program on a real X server: four values typed, Ctrl+S, the facts the record needs
# typed with real keys (by Tab and by mnemonics) and Return keep the measurement in the record
# given by --record; the save window then shows the verdict on its colour, and Esc closes it.
# Usage: save_measurement_e2e.sh PATH/TO/quantelo
source "$(dirname "$0")/x11_session.sh"

readonly program=$1
readonly record=$work_dir/record.sqlite
# The verdict's background while no reference value is set: light amber.
readonly amber=255,240,200
# The remembered operator stays in the test's folder.
export XDG_CONFIG_HOME=$work_dir/config

start_x_server
main=$(launch '^Quantelo$' "$program" --record "$record")
focus "$main"
type_text "2099.87"
press Tab
type_text "20.07"
press Tab
type_text "2000.05"
press Tab
type_text "19.87"
press ctrl+s
window=$(wait_for_window '^Quantelo - Messung speichern' "Ctrl+S to open the save window")
focus "$window"
# Hersteller, Modell, Seriennummer by Tab; the thickness and the operator by their mnemonics.
type_text "ACME"
press Tab
type_text "Mammo 3000"
press Tab
type_text "SN 42"
press alt+j
type_text "45"
press alt+p
type_text "Dr. Muster"
press Return

record_holds() {
  [ -f "$record" ] || { echo "no record yet" >&2; return 1; }
  python3 - "$record" <<'PYTHON'
import sqlite3, sys
rows = sqlite3.connect(sys.argv[1]).execute(
    "SELECT m.m_al, m.s_al, m.m_bg, m.s_bg, m.sdnr, d.manufacturer, d.model, d.serial_number, "
    "i.thickness_mm, s.operator, m.verdict FROM measurements m "
    "JOIN images i ON i.id = m.image_id JOIN devices d ON d.id = i.device_id "
    "JOIN sessions s ON s.id = m.session_id").fetchall()
expected = [("2099.87", "20.07", "2000.05", "19.87", "5", "ACME", "Mammo 3000", "SN 42", "45",
             "Dr. Muster", "kein Bezugswert")]
if rows != expected:
    sys.exit(f"the record holds {rows}")
PYTHON
}
wait_until 10 "Return to keep the measurement in the record" record_holds
echo "ok: the record holds the measurement with its device, thickness and operator"

# The verdict on its amber background, inside the save window.
verdict_shown() {
  screenshot
  eval "$(xdotool getwindowgeometry --shell "$window")"
  count=$(convert "$work_dir/shot.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage \
    -fill black +opaque "rgb($amber)" -fill white -opaque "rgb($amber)" \
    -format '%[fx:int(mean*w*h)]' info:)
  ((count > 2000)) || { echo "$count amber pixels" >&2; return 1; }
}
wait_until 10 "the verdict on its colour" verdict_shown
echo "ok: the verdict is shown on its colour ($count pixels)"

press Escape
wait_until 10 "Esc to close the save window" window_gone '^Quantelo - Messung speichern'
echo "ok: Esc closes the save window"
