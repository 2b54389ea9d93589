#!/usr/bin/env bash
# The real program on a real X server, by keyboard alone: four values typed, Ctrl+S, the facts
# the record needs typed with real keys (by Tab and by mnemonics) and Return keep the measurement
# in the record given by --record; the save window then shows the verdict on its colour, and Esc
# closes it. "Bezugswerte…" adds a reference value, which the table shows at once; "Verlauf…"
# shows the measurement with the verdict it was saved with, which the later reference leaves as
# it was.
# Usage: record_windows_e2e.sh PATH/TO/quantelo
source "$(dirname "$0")/x11_session.sh"

readonly program=$1
readonly record=$work_dir/record.sqlite
# The verdict's background while no reference value is set: light amber.
readonly amber=255,240,200
# The remembered operator stays in the test's folder.
export XDG_CONFIG_HOME=$work_dir/config

start_x_server
# A German keyboard, as the physicists have: "ü" then sits on a key of its own. Otherwise xdotool
# maps it onto a spare key for the moment of the press and back at once, and a program that reads
# the keyboard's map only after that sees an unknown key and drops the letter.
setxkbmap de
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

# Whether the record's query $1 gives the rows $2 (a Python literal).
record_gives() {
  [ -f "$record" ] || { echo "no record yet" >&2; return 1; }
  python3 - "$record" "$1" "$2" <<'PYTHON'
import ast, sqlite3, sys
rows = sqlite3.connect(sys.argv[1]).execute(sys.argv[2]).fetchall()
if rows != ast.literal_eval(sys.argv[3]):
    sys.exit(f"the record holds {rows}")
PYTHON
}
record_holds() {
  record_gives "SELECT m.m_al, m.s_al, m.m_bg, m.s_bg, m.sdnr, d.manufacturer, d.model, \
    d.serial_number, i.thickness_mm, s.operator, m.verdict FROM measurements m \
    JOIN images i ON i.id = m.image_id JOIN devices d ON d.id = i.device_id \
    JOIN sessions s ON s.id = m.session_id" \
    "[('2099.87', '20.07', '2000.05', '19.87', '5', 'ACME', 'Mammo 3000', 'SN 42', '45', \
      'Dr. Muster', 'kein Bezugswert')]"
}
wait_until 10 "Return to keep the measurement in the record" record_holds
echo "ok: the record holds the measurement with its device, thickness and operator"

# The screenshot of window $1 alone, into $2.
window_shot() {
  screenshot
  eval "$(xdotool getwindowgeometry --shell "$1")"
  convert "$work_dir/shot.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
}

# The verdict's amber background, at least $2 pixels of it, inside window $1.
shows_amber() {
  window_shot "$1" "$work_dir/window.png"
  count=$(convert "$work_dir/window.png" -fill black +opaque "rgb($amber)" \
    -fill white -opaque "rgb($amber)" -format '%[fx:int(mean*w*h)]' info:)
  ((count > $2)) || { echo "$count amber pixels" >&2; return 1; }
}
wait_until 10 "the verdict on its colour" shows_amber "$window" 2000
echo "ok: the verdict is shown on its colour ($count pixels)"

press Escape
wait_until 10 "Esc to close the save window" window_gone '^Quantelo - Messung speichern'
echo "ok: Esc closes the save window"

# A reference value for the device and thickness, by mnemonics; the form starts on the device
# just saved.
focus "$main"
press alt+d b
window=$(wait_for_window '^Quantelo - Bezugswerte' "Datei → Bezugswerte… to open its window")
focus "$window"
press alt+d
type_text "45"
press alt+w
type_text "5.20"
press alt+q
type_text "Abnahmeprüfung 2026-03-02"
window_shot "$window" "$work_dir/before.png"
press alt+h
reference_kept() {
  record_gives "SELECT thickness_mm, quantity, value, source FROM reference_values" \
    "[('45', 'sdnr', '5.2', 'Abnahmeprüfung 2026-03-02')]"
}
wait_until 10 "Bezugswert hinzufügen to keep the reference value" reference_kept
# The table, the window's upper third, now shows a row.
table_changed() {
  window_shot "$window" "$work_dir/after.png"
  local height
  height=$(identify -format '%h' "$work_dir/after.png")
  count=$(compare -metric AE -extract "x$((height / 3))+0+0" "$work_dir/before.png" \
    "$work_dir/after.png" null: 2>&1 || true)
  ((count > 300)) || { echo "$count pixels changed in the table" >&2; return 1; }
}
wait_until 10 "the new reference value in the table" table_changed
echo "ok: the reference value is kept and listed ($count pixels changed)"
press Escape
wait_until 10 "Esc to close the reference values window" window_gone '^Quantelo - Bezugswerte'

# The history: the measurement with the verdict it was saved with, on its colour.
focus "$main"
press alt+d v
window=$(wait_for_window '^Quantelo - Verlauf' "Datei → Verlauf… to open the history")
wait_until 10 "the measurement in the history with its verdict" shows_amber "$window" 300
echo "ok: the history shows the measurement with its verdict ($count pixels)"
press Escape
wait_until 10 "Esc to close the history" window_gone '^Quantelo - Verlauf'
