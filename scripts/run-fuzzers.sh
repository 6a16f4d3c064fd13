#!/usr/bin/env bash
# Runs every libFuzzer target for a bounded time over its seed corpus, after
# replaying its kept regression inputs once.
# usage: run-fuzzers.sh BUILD_DIR SECONDS
set -euo pipefail
dir=${1:?build dir}
seconds=${2:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
shopt -s nullglob
for bin in "$dir"/*_fuzz; do
  name=$(basename "$bin")
  family=${name%_fuzz}
  seeds="$root/fuzz/corpus/$family"
  regress="$root/fuzz/regressions/$family"
  work=$(mktemp -d)
  if [ -d "$regress" ] && compgen -G "$regress/*" >/dev/null; then
    echo "== $name: replaying regressions"
    "$bin" -runs=0 "$regress"/* >"$work/regress.log" 2>&1 || { cat "$work/regress.log"; status=1; }
  fi
  echo "== $name: ${seconds}s over $(ls "$seeds" 2>/dev/null | wc -l) seeds"
  dirs=("$work")
  [ -d "$seeds" ] && dirs+=("$seeds")
  if ! "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$work/" "${dirs[@]}" >"$work/run.log" 2>&1; then
    tail -40 "$work/run.log"
    echo "$name: FAILED (artifacts in $work)"
    status=1
  else
    grep -E "^#[0-9]+.*DONE|Done [0-9]+ runs" "$work/run.log" | tail -1 || true
    rm -rf "$work"
  fi
done
exit $status
