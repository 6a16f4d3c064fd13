#!/bin/bash
# Side-by-side whole-process timing of voxtrel-cli and Praat (Debian package
# `praat`, used only as a yardstick) on the same one-hour files:
#   cepstral pitch  vs  To Pitch (ac) (floor 50 Hz, ceiling 500 Hz)
#   AMDF pitch      vs  To Pitch (ac)
#   intensity       vs  To Intensity (50 Hz, automatic step, mean subtracted)
# at 16 kHz and 44.1 kHz. The two programs run in turn (A B A B A B); the
# figures are medians of the runs: wall seconds, peak resident memory (MiB),
# and the ratio Voxtrel / Praat of the wall times. Each program reads the WAV
# file itself, and Voxtrel writes its track to /dev/null.
#
# Usage: bench/compare-praat.sh [BUILD_DIR] [WORK_DIR]
#   RUNS=3 (runs of each), RATES="16000 44100", TASKS="cepstral amdf intensity",
#   SECONDS_LONG=3600 (length of the test files).
# The test files (a gliding sawtooth voice with a slow tremolo, made with sox)
# are kept in WORK_DIR for the next call.
set -euo pipefail
build=${1:-build/default}
work=${2:-${TMPDIR:-/tmp}/voxtrel-compare}
runs=${RUNS:-3}
rates=${RATES:-"16000 44100"}
tasks=${TASKS:-"cepstral amdf intensity"}
length=${SECONDS_LONG:-3600}
cli="$build/cli/voxtrel-cli"
[ -x "$cli" ] || { echo "no $cli: build first" >&2; exit 2; }
command -v praat >/dev/null || { echo "praat is not installed (apt-get install praat)" >&2; exit 2; }
command -v sox >/dev/null || { echo "sox is not installed (apt-get install sox)" >&2; exit 2; }
mkdir -p "$work"

cat > "$work/pitch.praat" <<'PRAAT'
form Pitch
    sentence Wav
endform
sound = Read from file: wav$
pitch = To Pitch (ac): 0, 50, 15, "no", 0.03, 0.45, 0.01, 0.35, 0.14, 500
PRAAT
cat > "$work/intensity.praat" <<'PRAAT'
form Intensity
    sentence Wav
endform
sound = Read from file: wav$
intensity = To Intensity: 50, 0, "yes"
PRAAT

# One timed run: prints "wall_seconds peak_KiB".
timed() {
    /usr/bin/time -o "$work/time.txt" -f '%e %M' "$@" >/dev/null 2>&1 || true
    tail -1 "$work/time.txt"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

printf '%-10s %6s | %9s %9s | %9s %9s | %6s\n' task rate "Vox s" "Vox MiB" "Praat s" "Praat MiB" ratio
for rate in $rates; do
    wav="$work/hour-$rate.wav"
    if [ ! -s "$wav" ]; then
        sox -n -r "$rate" -b 16 -c 1 "$wav" synth "$length" sawtooth 90-250 tremolo 0.7 90 gain -6
    fi
    for task in $tasks; do
        case $task in
            cepstral) vox=("$cli" pitch "$wav" --method cepstral); praat_script=pitch ;;
            amdf) vox=("$cli" pitch "$wav" --method amdf); praat_script=pitch ;;
            intensity) vox=("$cli" intensity "$wav"); praat_script=intensity ;;
            *) echo "unknown task $task" >&2; exit 2 ;;
        esac
        : > "$work/vox.txt"
        : > "$work/praat.txt"
        for _ in $(seq "$runs"); do
            timed "${vox[@]}" >> "$work/vox.txt"
            timed praat --run "$work/$praat_script.praat" "$wav" >> "$work/praat.txt"
        done
        vs=$(cut -d' ' -f1 "$work/vox.txt" | median)
        vm=$(cut -d' ' -f2 "$work/vox.txt" | median)
        ps=$(cut -d' ' -f1 "$work/praat.txt" | median)
        pm=$(cut -d' ' -f2 "$work/praat.txt" | median)
        awk -v t="$task" -v r="$rate" -v vs="$vs" -v vm="$vm" -v ps="$ps" -v pm="$pm" 'BEGIN {
            printf "%-10s %6s | %9.2f %9.0f | %9.2f %9.0f | %6.2f\n", t, r, vs, vm / 1024, ps, pm / 1024, vs / ps }'
    done
done
echo "file sizes (MiB):"
for rate in $rates; do
    awk -v r="$rate" -v b="$(stat -L -c %s "$work/hour-$rate.wav")" 'BEGIN { printf "  %s Hz: %.0f\n", r, b / 1048576 }'
done
