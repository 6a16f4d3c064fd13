// Reading and writing annotation grids in their text forms.

#include "core/annotation/textgrid.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>

namespace vox::textgrid {

namespace {

void append_utf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string from_utf16(std::string_view b, bool big_endian) {
    std::string out;
    out.reserve(b.size() / 2);
    auto unit = [&](std::size_t i) {
        const auto hi = static_cast<unsigned char>(b[big_endian ? i : i + 1]);
        const auto lo = static_cast<unsigned char>(b[big_endian ? i + 1 : i]);
        return static_cast<std::uint32_t>(hi << 8 | lo);
    };
    constexpr std::uint32_t kReplacement = 0xFFFD;
    for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
        const std::uint32_t u = unit(i);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < b.size()) {
            const std::uint32_t v = unit(i + 2);
            if (v >= 0xDC00 && v < 0xE000) {
                append_utf8(out, 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00));
                i += 2;
                continue;
            }
        }
        append_utf8(out, u >= 0xD800 && u < 0xE000 ? kReplacement : u);
    }
    return out;
}

bool valid_utf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const int more = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (more < 0 || i + more >= s.size()) return false;
        for (int k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += 1 + more;
    }
    return true;
}

// The tokens of both text forms: numbers, quoted strings ("" inside is one
// quote), and <flags>. Everything else (the long form's names, "=", ":",
// "?", bracketed indices, "!" comments to the end of a line) is skipped.
struct Token {
    enum Kind { Number, String, Flag, End } kind = End;
    double number = 0.0;
    std::string text;
    int line = 1;
};

class Lexer {
public:
    explicit Lexer(std::string_view s) : s_(s) {}

    Token next() {
        skip();
        Token t;
        t.line = line_;
        if (i_ >= s_.size()) {
            t.line = content_line_;
            return t;
        }
        content_line_ = line_;
        const char c = s_[i_];
        if (c == '"') {
            t.kind = Token::String;
            ++i_;
            for (;;) {
                if (i_ >= s_.size()) {
                    t.kind = Token::End;  // an unclosed string ends the file
                    t.text = "unclosed";
                    return t;
                }
                const char d = s_[i_++];
                if (d == '"') {
                    if (i_ < s_.size() && s_[i_] == '"') {
                        t.text += '"';
                        ++i_;
                        continue;
                    }
                    break;
                }
                if (d == '\n') ++line_;
                t.text += d;
            }
            return t;
        }
        if (c == '<') {
            const std::size_t close = s_.find('>', i_);
            const std::size_t end = close == std::string_view::npos ? s_.size() : close + 1;
            t.kind = Token::Flag;
            t.text = std::string(s_.substr(i_, end - i_));
            i_ = end;
            return t;
        }
        // A number runs to the next blank.
        std::size_t end = i_;
        while (end < s_.size() && !is_blank(s_[end])) ++end;
        const std::string_view word = s_.substr(i_, end - i_);
        i_ = end;
        double v = 0.0;
        const auto r = std::from_chars(word.data(), word.data() + word.size(), v);
        t.kind = Token::Number;
        t.number = r.ec == std::errc() && r.ptr == word.data() + word.size() ? v : std::nan("");
        t.text = std::string(word);
        return t;
    }

private:
    static bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
    static bool starts_value(char c) {
        return c == '"' || c == '<' || (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
    }

    void skip() {
        while (i_ < s_.size()) {
            const char c = s_[i_];
            if (c == '\n') {
                ++line_;
                ++i_;
            } else if (is_blank(c)) {
                ++i_;
            } else if (c == '!') {
                while (i_ < s_.size() && s_[i_] != '\n') ++i_;
            } else if (c == '[') {
                while (i_ < s_.size() && s_[i_] != ']' && s_[i_] != '\n') ++i_;
                if (i_ < s_.size() && s_[i_] == ']') ++i_;
            } else if (starts_value(c)) {
                return;
            } else {
                const std::size_t end = name_end();
                if (end == i_) return;  // not a name: a malformed value
                i_ = end;
            }
            if (!is_blank(c)) content_line_ = line_;
        }
    }

    // The long form's names: words on one line up to "=", ":", "?" or an
    // index in brackets ("File type =", "intervals: size =", "item [1]:").
    // Where the name ends (past its "=", ":" or "?"), or i_ when the text
    // here is not a name.
    std::size_t name_end() const {
        for (std::size_t j = i_; j < s_.size(); ++j) {
            const char d = s_[j];
            if (d == '=' || d == ':' || d == '?') return j + 1;
            if (d == '[') return j;
            const bool word = (d >= 'a' && d <= 'z') || (d >= 'A' && d <= 'Z') || d == '_' || d == ' ' || d == '\t';
            if (!word) return i_;
        }
        return i_;
    }

    std::string_view s_;
    std::size_t i_ = 0;
    int line_ = 1;
    int content_line_ = 1;  // the last line with anything on it

public:
    int content_line() const { return content_line_; }
};

class Reader {
public:
    explicit Reader(std::string_view text) : lex_(text), size_(text.size()) {}

    std::optional<ParseError> error;

    bool string(std::string& out, const char* what) {
        const Token t = take();
        if (t.kind != Token::String) return fail(t, std::string("a quoted ") + what + " was expected");
        out = t.text;
        return true;
    }
    bool number(double& out, const char* what) {
        const Token t = take();
        if (t.kind != Token::Number || !std::isfinite(t.number))
            return fail(t, std::string("a number (") + what + ") was expected");
        out = t.number;
        return true;
    }
    // A count of items, each of which takes at least `least_bytes` of the file.
    bool count(std::size_t& out, const char* what, std::size_t least_bytes) {
        const Token t = take();
        if (t.kind != Token::Number || !(t.number >= 0.0) || t.number != std::floor(t.number))
            return fail(t, std::string("a count of ") + what + " was expected");
        if (t.number > static_cast<double>(size_ / least_bytes))
            return fail(t, "the count of " + std::string(what) + " is larger than the file can hold");
        out = static_cast<std::size_t>(t.number);
        return true;
    }
    bool flag(std::string& out) {
        const Token t = take();
        if (t.kind != Token::Flag) return fail(t, "<exists> or <absent> was expected");
        out = t.text;
        return true;
    }
    int line() const { return last_line_; }
    bool fail_here(const std::string& what) { return fail_at(last_line_, what); }
    bool at_end() {
        const Token t = take();
        return t.kind == Token::End;
    }

private:
    Token take() {
        Token t = lex_.next();
        last_line_ = t.line;
        return t;
    }
    bool fail(const Token& t, const std::string& what) {
        if (t.kind == Token::End && t.text == "unclosed") return fail_at(t.line, "a quoted text is not closed");
        if (t.kind == Token::End) return fail_at(t.line, "the file ends early: " + what);
        return fail_at(t.line, what);
    }
    bool fail_at(int line, const std::string& what) {
        if (!error) error = ParseError{line, what};
        return false;
    }

    Lexer lex_;
    std::size_t size_;
    int last_line_ = 1;
};

bool read_tier(Reader& r, Tier& tier) {
    std::string cls;
    if (!r.string(cls, "tier class")) return false;
    if (cls == "IntervalTier") {
        tier.points = false;
    } else if (cls == "TextTier") {
        tier.points = true;
    } else {
        return r.fail_here("the tier class \"" + cls + "\" is not IntervalTier or TextTier");
    }
    if (!r.string(tier.name, "tier name") || !r.number(tier.xmin, "tier start") || !r.number(tier.xmax, "tier end"))
        return false;
    std::size_t n = 0;
    // An interval is at least three values, a point two, each a character
    // and a blank.
    if (!r.count(n, tier.points ? "points" : "intervals", tier.points ? 4 : 6)) return false;
    double last = -INFINITY;
    for (std::size_t k = 0; k < n; ++k) {
        if (tier.points) {
            Point p;
            if (!r.number(p.time, "point time") || !r.string(p.mark, "point mark")) return false;
            if (p.time < last) return r.fail_here("the points' times go backwards");
            last = p.time;
            tier.marks.push_back(std::move(p));
        } else {
            Interval iv;
            if (!r.number(iv.xmin, "interval start") || !r.number(iv.xmax, "interval end")) return false;
            const int line = r.line();
            if (!r.string(iv.text, "interval text")) return false;
            if (iv.xmax < iv.xmin || iv.xmin < last) {
                r.error = ParseError{line, "the intervals' times go backwards"};
                return false;
            }
            last = iv.xmin;
            tier.intervals.push_back(std::move(iv));
        }
    }
    return true;
}

}  // namespace

std::string DecodeText(std::string_view b) {
    if (b.size() >= 3 && b.substr(0, 3) == "\xEF\xBB\xBF") b.remove_prefix(3);
    else if (b.size() >= 2 && b[0] == '\xFE' && b[1] == '\xFF') return from_utf16(b.substr(2), true);
    else if (b.size() >= 2 && b[0] == '\xFF' && b[1] == '\xFE') return from_utf16(b.substr(2), false);
    else if (b.size() >= 2 && b[0] == 0 && b[1] != 0) return from_utf16(b, true);
    else if (b.size() >= 2 && b[0] != 0 && b[1] == 0) return from_utf16(b, false);
    if (valid_utf8(b)) return std::string(b);
    std::string out;
    out.reserve(b.size() + b.size() / 4);
    for (char c : b) append_utf8(out, static_cast<unsigned char>(c));
    return out;
}

std::variant<Grid, ParseError> Parse(std::string_view bytes) {
    const std::string text = DecodeText(bytes);
    Reader r(text);
    Grid g;
    std::string type, cls, exists;
    if (!r.string(type, "file type")) return *r.error;
    if (type.rfind("ooTextFile", 0) != 0) return ParseError{r.line(), "the file type is not \"ooTextFile\""};
    if (!r.string(cls, "object class")) return *r.error;
    if (cls != "TextGrid") return ParseError{r.line(), "the object class \"" + cls + "\" is not TextGrid"};
    if (!r.number(g.xmin, "start time") || !r.number(g.xmax, "end time") || !r.flag(exists)) return *r.error;
    if (exists == "<exists>") {
        std::size_t n = 0;
        if (!r.count(n, "tiers", 16)) return *r.error;
        for (std::size_t k = 0; k < n; ++k) {
            Tier t;
            if (!read_tier(r, t)) return *r.error;
            g.tiers.push_back(std::move(t));
        }
    } else if (exists != "<absent>") {
        return ParseError{r.line(), "<exists> or <absent> was expected"};
    }
    if (!r.at_end()) return ParseError{r.line(), "more follows the last tier"};
    return g;
}

namespace {

std::string number_text(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string quoted(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        out += c;
        if (c == '"') out += '"';
    }
    return out + "\"";
}

}  // namespace

std::string WriteLong(const Grid& g) {
    std::string o;
    o += "File type = \"ooTextFile\"\nObject class = \"TextGrid\"\n\n";
    o += "xmin = " + number_text(g.xmin) + " \nxmax = " + number_text(g.xmax) + " \n";
    if (g.tiers.empty()) return o + "tiers? <absent> \n";
    o += "tiers? <exists> \nsize = " + std::to_string(g.tiers.size()) + " \nitem []: \n";
    for (std::size_t t = 0; t < g.tiers.size(); ++t) {
        const Tier& tier = g.tiers[t];
        o += "    item [" + std::to_string(t + 1) + "]:\n";
        o += std::string("        class = \"") + (tier.points ? "TextTier" : "IntervalTier") + "\" \n";
        o += "        name = " + quoted(tier.name) + " \n";
        o += "        xmin = " + number_text(tier.xmin) + " \n        xmax = " + number_text(tier.xmax) + " \n";
        if (tier.points) {
            o += "        points: size = " + std::to_string(tier.marks.size()) + " \n";
            for (std::size_t k = 0; k < tier.marks.size(); ++k) {
                o += "        points [" + std::to_string(k + 1) + "]:\n";
                o += "            number = " + number_text(tier.marks[k].time) + " \n";
                o += "            mark = " + quoted(tier.marks[k].mark) + " \n";
            }
        } else {
            o += "        intervals: size = " + std::to_string(tier.intervals.size()) + " \n";
            for (std::size_t k = 0; k < tier.intervals.size(); ++k) {
                const Interval& iv = tier.intervals[k];
                o += "        intervals [" + std::to_string(k + 1) + "]:\n";
                o += "            xmin = " + number_text(iv.xmin) + " \n            xmax = " + number_text(iv.xmax) +
                     " \n";
                o += "            text = " + quoted(iv.text) + " \n";
            }
        }
    }
    return o;
}

std::vector<Mark> TierMarks(const Tier& tier, double recording_end_s) {
    std::vector<Mark> out;
    if (tier.points) {
        for (const Point& p : tier.marks) out.push_back(Mark{p.time, p.mark});
        return out;
    }
    for (const Interval& iv : tier.intervals)
        if (!iv.text.empty()) out.push_back(Mark{iv.xmin, iv.text});
    // Half a millisecond: the end of a grid made for this recording, written
    // with fewer digits than its exact duration.
    constexpr double kSameEnd = 0.0005;
    if (!tier.intervals.empty() && tier.intervals.back().xmax < recording_end_s - kSameEnd)
        out.push_back(Mark{tier.intervals.back().xmax, std::string()});
    return out;
}

}  // namespace vox::textgrid
