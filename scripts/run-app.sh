#!/usr/bin/env bash
# Opens a recording in Voxtrel. Without a display the program runs under a
# virtual X server and saves a screenshot; until the application is built the
# command-line front end describes the file instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
file=${1:-$root/data/samples/speech.wav}
app="$root/build/default/gui/voxtrel"
cli="$root/build/default/cli/voxtrel-cli"
if [ -x "$app" ]; then
  if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$app" "$file"
  fi
  shot="$root/build/screenshot.png"
  xvfb-run -a -s "-screen 0 1600x1000x24" "$app" --screenshot "$shot" "$file"
  echo "No display: saved a screenshot of the window to $shot"
else
  "$cli" info "$file"
fi
