#!/usr/bin/env bash
# Makes the decoded-format fixtures that sox cannot write: tone_300hz.opus,
# one second of a 300 Hz sine at half of full scale, 16000 Hz, mono, written
# by libsndfile's Ogg Opus encoder. Run once from this folder; the result is
# committed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/make.c" <<'C'
#include <math.h>
#include <sndfile.h>
#include <stdio.h>
int main(int argc, char** argv) {
    SF_INFO info = {0};
    info.samplerate = 16000;
    info.channels = 1;
    info.format = SF_FORMAT_OGG | SF_FORMAT_OPUS;
    SNDFILE* f = sf_open(argv[1], SFM_WRITE, &info);
    if (!f) { fprintf(stderr, "%s\n", sf_strerror(NULL)); return 1; }
    static float s[16000];
    for (int i = 0; i < 16000; ++i) s[i] = (float)(0.5 * sin(2.0 * M_PI * 300.0 * i / 16000.0));
    sf_writef_float(f, s, 16000);
    return sf_close(f);
}
C
cc "$work/make.c" -o "$work/make" $(pkg-config --cflags --libs sndfile) -lm
"$work/make" "$here/tone_300hz.opus"
