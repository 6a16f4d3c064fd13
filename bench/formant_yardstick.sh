#!/bin/sh
# Formant errors of voxtrel-cli (FFT/LPC slice at the middle, median of the
# spectrogram track over its steady columns) beside those of the yardstick
# program's "To Formant (burg)" (5 formants, 5500 Hz, 25 ms, from 50 Hz) on
# the accuracy suite's vowels. Per rate and formant: mean |error| in % and
# the number of the 20 signals more than 8 % off; then the worst |error| in %
# per rate, clean and noisy apart (a formant not found counts as 100 %).
# Usage: bench/formant_yardstick.sh BUILD_DIR
set -eu
build=${1:-build/default}
dir=$(mktemp -d "${TMPDIR:-/tmp}/formants.XXXXXX")
trap 'rm -rf "$dir"' EXIT
VOXTREL_FORMANT_WAVS="$dir" "$build/bench/bench_formant_bench" --benchmark_filter=none >/dev/null
cat > "$dir/burg.praat" <<'PRAAT'
form burg
  sentence file
endform
s = Read from file: file$
f = To Formant (burg): 0, 5, 5500, 0.025, 50
t = Get total duration
f1 = Get value at time: 1, t/2, "hertz", "linear"
f2 = Get value at time: 2, t/2, "hertz", "linear"
f3 = Get value at time: 3, t/2, "hertz", "linear"
writeInfoLine: fixed$ (f1, 1), " ", fixed$ (f2, 1), " ", fixed$ (f3, 1)
PRAAT
while read -r wav rate vowel f0 noisy t1 t2 t3; do
  n=$(( $(stat -c %s "$wav") / 2 - 22 ))
  at=$(awk -v n="$n" -v r="$rate" 'BEGIN { printf "%.3f", n / 2 * 1000 / r }')
  slice=$("$build/cli/voxtrel-cli" fftlpc "$wav" --at "$at" --width 10 | awk 'NR<=3 { printf "%s ", $2 }')
  track=$("$build/cli/voxtrel-cli" formants "$wav" --width 24 |
    awk 'NR>=5 && NR<=16 { for (k = 1; k <= 3; k++) v[k, NR] = $(k + 1) }
         END { for (k = 1; k <= 3; k++) { m = 0; for (i = 5; i <= 16; i++) a[++m] = v[k, i];
               for (i = 1; i <= m; i++) for (j = i + 1; j <= m; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
               printf "%s ", a[int(m / 2) + 1] } }')
  burg=$(praat --run "$dir/burg.praat" "$wav")
  echo "$rate $t1 $t2 $t3 $slice $track $burg $noisy"
done < "$dir/truth.txt" > "$dir/results.txt"
awk '
  function err(v, t) { e = (v - t) / t; return e < 0 ? -e : e }
  { r = $1; n[r]++
    for (k = 1; k <= 3; k++) {
      s = err($(4 + k), $(1 + k)); tr = err($(7 + k), $(1 + k)); p = err($(10 + k), $(1 + k))
      S[r, k] += s; T[r, k] += tr; P[r, k] += p
      if (s > 0.08) So[r, k]++; if (tr > 0.08) To[r, k]++; if (p > 0.08) Po[r, k]++ } }
  END {
    print "rate    | slice F1 F2 F3 (mean %, >8 %)       | track F1 F2 F3                     | burg F1 F2 F3"
    for (r in n) {
      line = sprintf("%-7s |", r)
      for (k = 1; k <= 3; k++) line = line sprintf(" %5.1f/%2d", 100 * S[r, k] / n[r], So[r, k])
      line = line " |"
      for (k = 1; k <= 3; k++) line = line sprintf(" %5.1f/%2d", 100 * T[r, k] / n[r], To[r, k])
      line = line " |"
      for (k = 1; k <= 3; k++) line = line sprintf(" %5.1f/%2d", 100 * P[r, k] / n[r], Po[r, k])
      print line } }' "$dir/results.txt" | sort -n
awk '
  function err(v, t) { if (v !~ /^[0-9.]+$/ || v <= 0) return 1; e = (v - t) / t; return e < 0 ? -e : e }
  { r = $1; c = $14
    for (k = 1; k <= 3; k++) {
      s = err($(4 + k), $(1 + k)); tr = err($(7 + k), $(1 + k)); p = err($(10 + k), $(1 + k))
      if (s > S[r, c, k]) S[r, c, k] = s; if (tr > T[r, c, k]) T[r, c, k] = tr; if (p > P[r, c, k]) P[r, c, k] = p }
    seen[r] = 1 }
  END {
    print ""
    print "worst |error| %  | slice F1 F2 F3     | track F1 F2 F3     | burg F1 F2 F3"
    for (r in seen) for (c = 0; c <= 1; c++) {
      line = sprintf("%-7s %-8s |", r, c ? "noisy" : "clean")
      for (k = 1; k <= 3; k++) line = line sprintf(" %5.1f", 100 * S[r, c, k])
      line = line " |"
      for (k = 1; k <= 3; k++) line = line sprintf(" %5.1f", 100 * T[r, c, k])
      line = line " |"
      for (k = 1; k <= 3; k++) line = line sprintf(" %5.1f", 100 * P[r, c, k])
      print line } }' "$dir/results.txt" | sort -n -k1,1 -k2,2
