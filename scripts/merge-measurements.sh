#!/bin/sh
# Merges tables written by `voxtrel-cli measure` (for example by the jobs of
# an array, one file list each) into one: every comment line of every table
# (each names the files it measured, their SHA-256 and the options in force),
# the header once, then every table's rows in the order the tables are named.
# usage: merge-measurements.sh TABLE... > MERGED
set -eu
[ "$#" -gt 0 ] || { echo "usage: $0 TABLE..." >&2; exit 2; }
awk '
    /^#/ { comments[++nc] = $0; next }
    /^file\t/ { if (header == "") header = $0; else if ($0 != header) { print FILENAME ": a different header" > "/dev/stderr"; bad = 1 }; next }
    NF > 0 { rows[++nr] = $0 }
    END {
        if (bad) exit 1
        for (i = 1; i <= nc; i++) print comments[i]
        if (header != "") print header
        for (i = 1; i <= nr; i++) print rows[i]
    }' "$@"
