# Writes the grid fixtures of the text-grid reader tests: one grid (an interval
# tier with quotes and characters beyond the Basic Multilingual Plane, a point
# tier) in the long and short text forms, UTF-8 and UTF-16. Run with the
# phonetics program that defines the format, from the fixtures' folder
# tests/core/annotation/textgrid: praat --run ../../../../bench/make-textgrid-fixtures.praat
Text writing preferences: "UTF-8"
tg = Create TextGrid: 0, 2.5, "words tones", "tones"
Insert boundary: 1, 0.31
Insert boundary: 1, 0.7825
Insert boundary: 1, 1.5
Set interval text: 1, 2, "ʃɪp ""quoted"""
Set interval text: 1, 3, "日本語 😀"
Insert point: 2, 0.5, "H*"
Insert point: 2, 1.25, "L-"
Save as text file: "long_utf8.TextGrid"
Save as short text file: "short_utf8.TextGrid"
Text writing preferences: "UTF-16"
Save as text file: "long_utf16.TextGrid"
Save as short text file: "short_utf16.TextGrid"
