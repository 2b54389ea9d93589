# Helpers for end-to-end tests on a private X server: sourced, not run.
# Starts Xvfb on a free display, launches programs on it, finds and focuses windows, and reads
# pixels from screenshots. What a test expects is polled for, never slept for, with a bound.
# Everything started here is stopped on exit.

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
# screen's size, 1024x768 unless given. Without -noreset the server starts afresh whenever its last
# client leaves, and a program connecting just then loses its windows or its connection.
start_x_server() {
  exec {display_fd}<> <(:)
  Xvfb -displayfd "$display_fd" -screen 0 "${1:-1024x768}x24" -nolisten tcp -noreset \
    >"$work_dir/xvfb.log" 2>&1 &
  pids+=($!)
  local number
  read -r -t 10 number <&"$display_fd" || fail "Xvfb did not start: $(cat "$work_dir/xvfb.log")"
  export DISPLAY=":$number"
}

# Retries a command every 50 ms until it succeeds, for at most $1 seconds; $2 says what it waits
# for. What the last try wrote to its error output tells what was seen instead.
wait_until() {
  local seconds=$1 what=$2 deadline seen
  shift 2
  deadline=$((${EPOCHREALTIME//[!0-9]/} + seconds * 1000000))
  until "$@" 2>"$work_dir/last_try"; do
    if ((${EPOCHREALTIME//[!0-9]/} >= deadline)); then
      seen=$(paste -s -d ' ' "$work_dir/last_try")
      fail "waited $seconds s for: $what${seen:+ (last seen: $seen)}"
    fi
    sleep 0.05
  done
}

# Prints the id of a visible window whose name matches the pattern $1; fails if there is none.
visible_window() {
  local id
  id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
  [ -n "$id" ] || { echo "no window '$1'" >&2; return 1; }
  echo "$id"
}
window_gone() {
  if visible_window "$1" >/dev/null 2>&1; then
    echo "window '$1' still shown" >&2
    return 1
  fi
}

# Waits for a visible window whose name matches the pattern $1, named $2 in a failure; prints its id.
wait_for_window() {
  wait_until 10 "$2" visible_window "$1"
}

# Starts a program and waits for its window; prints the window id. A program that ends before
# fails the test with its output.
launch() {
  local pattern=$1
  shift
  "$@" >"$work_dir/program.log" 2>&1 &
  pids+=($!)
  wait_until 10 "a window '$pattern' from $1" shown_or_ended "$pattern" "${pids[-1]}"
  visible_window "$pattern" 2>/dev/null ||
    fail "$1 ended before it showed '$pattern': $(cat "$work_dir/program.log")"
}
shown_or_ended() {
  visible_window "$1" >/dev/null || ! kill -0 "$2" 2>/dev/null
}

# Without a window manager nothing activates a window: give it the keyboard focus directly.
focus() {
  xdotool windowfocus --sync "$1"
}

# Real key events. The program handles them in order, so what they change is waited for, not them.
type_text() {
  xdotool type --delay 20 "$1"
}
press() {
  xdotool key "$@"
}

screenshot() {
  import -window root "$work_dir/shot.png"
}

# The colour of the last screenshot's pixel at x y, as "r,g,b".
pixel() {
  convert "$work_dir/shot.png" -format '%[fx:int(255*p{'"$1,$2"'}.r)],%[fx:int(255*p{'"$1,$2"'}.g)],%[fx:int(255*p{'"$1,$2"'}.b)]' info:
}

# Whether the last screenshot's pixel at x y has the colour r,g,b; says which it has if not.
pixel_is() {
  local got
  got=$(pixel "$1" "$2")
  [ "$got" = "$3" ] || { echo "pixel ($1,$2) is $got, expected $3" >&2; return 1; }
}
shows_pixel() {
  screenshot && pixel_is "$@"
}

# Waits for the pixel at x y to take the colour r,g,b; $4 names what is checked. The last
# screenshot then shows what made it so.
expect_pixel() {
  wait_until 10 "$4" shows_pixel "$1" "$2" "$3"
  echo "ok: $4"
}
