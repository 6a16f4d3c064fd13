#!/bin/sh
# Times the yardstick program's "To Pitch (ac)" and "To Intensity" on one
# hour of 16 kHz audio, then runs bench_analysis_bench on the same file.
# Usage: bench/praat_yardstick.sh BUILD_DIR [WAV]
set -eu
build=${1:-build/dsp}
wav=${2:-${TMPDIR:-/tmp}/voxtrel_hour.wav}
script=$(mktemp "${TMPDIR:-/tmp}/yardstick.XXXXXX.praat")
trap 'rm -f "$script"' EXIT
cat > "$script" <<PRAAT
wav\$ = "$wav"
if not fileReadable (wav\$)
    Create Sound from formula: "hour", 1, 0, 3600, 16000, "0.4*sin(2*pi*(110+30*(x mod 1))*x) * (x mod 1 > 0.2) + 0.2*sin(2*pi*600*x)*(x mod 1 > 0.2) + randomGauss(0, 0.003)"
    Save as WAV file: wav\$
    Remove
endif
sound = Read from file: wav\$
stopwatch
selectObject: sound
To Pitch (ac): 0, 50, 15, "no", 0.03, 0.45, 0.01, 0.35, 0.14, 500
t_pitch = stopwatch
Remove
selectObject: sound
To Intensity: 50, 0, "yes"
t_int = stopwatch
writeInfoLine: "praat To Pitch (ac): ", fixed\$ (t_pitch, 2), " s"
appendInfoLine: "praat To Intensity: ", fixed\$ (t_int, 2), " s"
PRAAT
praat --run "$script"
VOXTREL_BENCH_WAV="$wav" "$build/bench/bench_analysis_bench"
