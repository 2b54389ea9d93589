# Helpers for end-to-end tests on a private X server: sourced, not run.
# Starts Xvfb on a free display, launches programs on it, finds and focuses windows, and reads
# pixels from screenshots. Everything started here is stopped on exit.

set -euo pipefail

work_dir=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work_dir"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Xvfb picks a free display itself and writes its number to the given descriptor. $1: the
# screen's size, 1024x768 unless given.
start_x_server() {
  exec {display_fd}<> <(:)
  Xvfb -displayfd "$display_fd" -screen 0 "${1:-1024x768}x24" -nolisten tcp \
    >"$work_dir/xvfb.log" 2>&1 &
  pids+=($!)
  local number
  read -r -t 10 number <&"$display_fd" || fail "Xvfb did not start: $(cat "$work_dir/xvfb.log")"
  export DISPLAY=":$number"
}

# Waits up to $2 seconds (default 10) for a window whose name matches the pattern $1; prints its id.
wait_for_window() {
  local pattern=$1 deadline=$((SECONDS + ${2:-10})) id
  while ((SECONDS < deadline)); do
    id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.05
  done
  return 1
}

# Starts a program and waits for its window; a launch that could not reach the display is tried
# again. Prints the window id.
launch() {
  local pattern=$1 attempt id
  shift
  for attempt in 1 2 3; do
    "$@" >"$work_dir/program.log" 2>&1 &
    pids+=($!)
    if id=$(wait_for_window "$pattern"); then
      echo "$id"
      return 0
    fi
    kill "${pids[-1]}" 2>/dev/null || true
    sleep 0.2
  done
  fail "no window '$pattern' after 3 launches: $(cat "$work_dir/program.log")"
}

# Without a window manager nothing activates a window: give it the keyboard focus directly.
focus() {
  xdotool windowfocus --sync "$1"
  sleep 0.05
}

# Real key events, with a pause between X client connections.
type_text() {
  xdotool type --delay 20 "$1"
  sleep 0.05
}
press() {
  xdotool key "$@"
  sleep 0.05
}

screenshot() {
  import -window root "$work_dir/shot.png"
}

# The colour of the screenshot's pixel at x y, as "r,g,b".
pixel() {
  convert "$work_dir/shot.png" -format '%[fx:int(255*p{'"$1,$2"'}.r)],%[fx:int(255*p{'"$1,$2"'}.g)],%[fx:int(255*p{'"$1,$2"'}.b)]' info:
}

# Expects the pixel at x y to have the colour r,g,b; $4 names what is checked.
expect_pixel() {
  local got
  got=$(pixel "$1" "$2")
  [ "$got" = "$3" ] || fail "$4: pixel ($1,$2) is $got, expected $3"
  echo "ok: $4"
}
