#!/bin/sh
# Pitch accuracy yardstick: runs the pitch accuracy suite, which writes its
# synthetic voices (glottal pulses through three resonators, F0 60 … 450 Hz
# with jitter, clean and with noise 30 dB down, 8 … 96 kHz) and their true
# F0 every 10 ms, then measures Praat's "To Pitch (ac)" (floor 50 Hz,
# ceiling 500 Hz, otherwise its standard settings) on the same files.
# Figures per file: gross errors (more than 20 % off, over frames voiced in
# both), mean relative error of the other voiced frames, voicing errors
# (over all frames of the truth grid).
# Usage: bench/pitch-accuracy-praat.sh [BUILD_DIR]
set -eu
build=${1:-build/default}
dir=$(mktemp -d "${TMPDIR:-/tmp}/pitch-voices.XXXXXX")
script="$dir/measure.praat"
trap 'rm -rf "$dir"' EXIT

echo "== Voxtrel (accuracy suite)"
VOXTREL_PITCH_VOICES_DIR="$dir" "$build/tests/voxtrel_core_dsp_tests" \
    --gtest_filter='Rates/PitchAccuracy*:Rates/CepstralAccuracy*' | grep -E '^(cepstral|amdf) '

cat > "$script" <<'PRAAT'
form Measure
    sentence Wav
    sentence Truth
endform
sound = Read from file: wav$
pitch = To Pitch (ac): 0, 50, 15, "no", 0.03, 0.45, 0.01, 0.35, 0.14, 500
truth = Read Table from tab-separated file: truth$
selectObject: truth
n = Get number of rows
frames = 0
wrongVoicing = 0
both = 0
gross = 0
fine = 0
fineCount = 0
for i to n
    selectObject: truth
    t = Get value: i, "time"
    f = Get value: i, "f0"
    selectObject: pitch
    p = Get value at time: t, "Hertz", "linear"
    frames += 1
    voiced = p <> undefined
    if (f > 0) <> voiced
        wrongVoicing += 1
    endif
    if f > 0 and voiced
        both += 1
        rel = abs (p - f) / f
        if rel > 0.2
            gross += 1
        else
            fine += rel
            fineCount += 1
        endif
    endif
endfor
writeInfoLine: "gross ", fixed$ (gross / both, 4), " fine ", fixed$ (fine / fineCount, 4), " voicing ", fixed$ (wrongVoicing / frames, 4), " (", frames, " frames)"
PRAAT

echo "== Praat To Pitch (ac)"
for wav in "$dir"/*.wav; do
    name=$(basename "$wav" .wav)
    # The table reader wants a header row.
    { printf 'time\tf0\n'; cat "$dir/$name.f0"; } > "$dir/$name.tab"
    printf '%-18s ' "$name"
    praat --run "$script" "$wav" "$dir/$name.tab"
done
