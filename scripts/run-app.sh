#!/usr/bin/env bash
# Opens a recording in Voxtrel. With a display the program simply runs; with
# none it runs under a virtual X server and saves a screenshot of the window
# to build/screenshot.png.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
file="${1:-$root/data/samples/speech.wav}"
file="$(realpath "$file")"
bin="${VOXTREL_BIN:-}"
if [ -z "$bin" ]; then
  for b in "$root/build/default/gui/voxtrel" "$root/build/gui/gui/voxtrel"; do
    if [ -x "$b" ]; then bin="$b"; break; fi
  done
fi
if [ -z "$bin" ] || [ ! -x "$bin" ]; then
  echo "run-app: voxtrel is not built (make build)" >&2
  exit 1
fi
# The about box finds the picture control through a component registry; the
# one built beside the program is registered in a registry of the build tree,
# so running from a build never touches the user's own registration.
build_dir="$(dirname "$(dirname "$bin")")"
lib="$build_dir/picturectl/libquorpict.so"
regsvr="$build_dir/picturectl/quorpict-regsvr"
if [ -z "${TREVANIC_COMPONENT_REGISTRY:-}" ] && [ -x "$regsvr" ] && [ -f "$lib" ]; then
  export TREVANIC_COMPONENT_REGISTRY="$build_dir/Components.ini"
  QT_QPA_PLATFORM=offscreen "$regsvr" "$lib" "$TREVANIC_COMPONENT_REGISTRY" >/dev/null 2>&1 || true
fi
# The program's temporary folder defaults to ./tmp of its working directory.
cd "$(dirname "$bin")"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin" "$file"
fi
shot="$root/build/screenshot.png"
xvfb-run -a -s "-screen 0 1600x1000x24" "$bin" --screenshot "$shot" "$file"
echo "run-app: screenshot in $shot"
