#pragma once
// Annotation grids in the phonetic text-grid exchange format: tiers of
// points (a time and a mark) or of intervals (start, end and a text), read
// in the long ("name = value") and the short (values only) text forms, in
// UTF-8, UTF-16 big- or little-endian with or without a byte-order mark, or
// Latin-1; written in the long form, UTF-8, as tiers of points. Times are in
// seconds as the format has them; texts are UTF-8.

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vox::textgrid {

struct Point {
    double time = 0.0;  // s
    std::string mark;
};

struct Interval {
    double xmin = 0.0, xmax = 0.0;  // s
    std::string text;
};

struct Tier {
    std::string name;
    bool points = false;  // a tier of points, else of intervals
    double xmin = 0.0, xmax = 0.0;
    std::vector<Point> marks;
    std::vector<Interval> intervals;
};

struct Grid {
    double xmin = 0.0, xmax = 0.0;  // s
    std::vector<Tier> tiers;
};

// Why a file is not a grid: the 1-based line where reading stopped and what
// was expected there.
struct ParseError {
    int line = 0;
    std::string what;
};

// The grid in a file's bytes, or where and why it is malformed. Counts are
// checked against what follows them (a count larger than the file is
// refused at its line, never allocated); times must be finite, intervals
// ordered and inside their tier.
std::variant<Grid, ParseError> Parse(std::string_view bytes);

// The file's bytes as UTF-8: UTF-16 (by byte-order mark, or by the zero
// bytes of its first characters) and Latin-1 (bytes that are not UTF-8) are
// converted; a UTF-8 byte-order mark is dropped.
std::string DecodeText(std::string_view bytes);

// The long text form of a grid, UTF-8 without byte-order mark, lines ended
// by LF. Times are written with as many digits as they need to read back
// exactly.
std::string WriteLong(const Grid& grid);

// One mark of a tier of labels: a time and a text, or an unlabelled mark
// (the end of the last interval).
struct Mark {
    double time = 0.0;  // s
    std::string text;
};

// The marks a tier gives: a point tier its points; an interval tier a mark
// at the start of each interval with a text (an empty interval gives none),
// and one without text at the end of the last interval when that end lies
// before recording_end_s (within half a millisecond counts as the end).
std::vector<Mark> TierMarks(const Tier& tier, double recording_end_s);

}  // namespace vox::textgrid
