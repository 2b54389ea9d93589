#!/usr/bin/env bash
# Resident memory of the real program on Xvfb: idle (main window only) and with a test exposure
# open in the measuring window, after the automatic placement has read every pixel.
# Usage: bench/memory/image_memory.sh build/bin/quantelo build/bin/write_test_dicom [WxH] [SYNTAX]
source "$(dirname "$0")/../../tests/e2e/x11_session.sh"

readonly program=$1 writer=$2 size=${3:-4096x3328} syntax=${4:-explicit}
image="$work_dir/exposure.dcm"
"$writer" "$image" --size "$size" --syntax "$syntax"
start_x_server

# Waits for a window, lets the program settle, and prints its resident memory in KiB.
resident_kib() {
  local pattern=$1
  shift
  "$@" >/dev/null 2>&1 &
  local pid=$!
  pids+=("$pid")
  wait_for_window "$pattern" 30 >/dev/null || fail "no window '$pattern'"
  sleep 2
  awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status"
  kill "$pid"
}

idle=$(resident_kib '^Quantelo$' "$program")
open=$(resident_kib '^Quantelo - Messen' "$program" "$image")
width=${size%x*} height=${size#*x}
pixels_kib=$((width * height * 2 / 1024))
echo "idle: ${idle} KiB, image open: ${open} KiB, pixel data: ${pixels_kib} KiB"
awk -v i="$idle" -v o="$open" -v p="$pixels_kib" \
  'BEGIN { printf "above idle: %.2f x the pixel data\n", (o - i) / p }'
