#!/bin/bash
# Builds the editor and starts it from its runtime folder.
#   bash scripts/run.sh [file-to-open]
# Without a display, the editor runs on a virtual one (Xvfb) long enough to
# save a screenshot, and the script says where it is.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$ROOT/build"

bash "$ROOT/scripts/install-deps.sh"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" --target sorn-editor runtime_data -j"$(nproc)"

RUNTIME="$BUILD/runtime"
ARGS=()
if [ $# -ge 1 ]; then
  # The editor starts in its runtime folder, so a relative path is made absolute first.
  ARGS=("$(realpath -m -- "$1")")
fi

cd "$RUNTIME"
if [ -n "${DISPLAY:-}" ]; then
  exec ./sorn-editor "${ARGS[@]}"
fi

echo "No display found: starting the editor on a virtual display."
DISPLAY_FILE="$(mktemp)"
# Xvfb chooses a free display and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$DISPLAY_FILE" >/dev/null 2>&1 &
XVFB_PID=$!
EDITOR_PID=""
cleanup() {
  [ -n "$EDITOR_PID" ] && kill "$EDITOR_PID" 2>/dev/null || true
  kill "$XVFB_PID" 2>/dev/null || true
  rm -f "$DISPLAY_FILE"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$DISPLAY_FILE" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$DISPLAY_FILE")"

./sorn-editor "${ARGS[@]}" &
EDITOR_PID=$!
WINDOW=""
for _ in $(seq 200); do
  WINDOW=$(xdotool search --name "Sorn Editor" 2>/dev/null | head -n1 || true)
  [ -n "$WINDOW" ] && break
  sleep 0.1
done
if [ -z "$WINDOW" ]; then
  echo "The editor window did not appear." >&2
  exit 1
fi
# Without a window manager the window needs the focus to draw.
xdotool windowfocus "$WINDOW" 2>/dev/null || true
sleep 3
SHOT="$BUILD/screenshot.png"
import -window root "$SHOT"
echo "Screenshot of the running editor: $SHOT"
