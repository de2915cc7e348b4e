#!/usr/bin/env bash
# Opens the viewer on the EUC-JP sample. Without a display it starts a virtual
# one (Xvfb), shows the window there, saves a screenshot and prints its path.
set -euo pipefail
build=${1:-build}
sample=examples/sample-euc.txt
viewer="$build/viewer/ruvok"

if [ ! -x "$viewer" ]; then
  echo "run.sh: $viewer is not built" >&2
  exit 1
fi

if [ -n "${DISPLAY:-}" ]; then
  exec "$viewer" "$sample"
fi

# A free display number: no X lock file and no socket for it.
display=99
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
  display=$((display + 1))
done

shot="$build/ruvok-screenshot.png"
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
viewer_pid=
cleanup() {
  [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT

export DISPLAY=":$display"
for _ in $(seq 50); do
  xdpyinfo >/dev/null 2>&1 && break
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.1
done

"$viewer" "$sample" &
viewer_pid=$!

# Wait for the window to be mapped, then give it a moment to paint.
for _ in $(seq 100); do
  xdotool search --onlyvisible --pid "$viewer_pid" >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 1

if command -v import >/dev/null 2>&1; then
  import -window root "$shot"
elif command -v xwd >/dev/null 2>&1 && command -v convert >/dev/null 2>&1; then
  xwd -root -silent | convert xwd:- "$shot"
else
  echo "run.sh: no screenshot tool (install imagemagick: make deps)" >&2
  exit 1
fi
echo "screenshot: $shot"
