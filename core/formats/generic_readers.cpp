#include "core/formats/generic_readers.h"

#include <cctype>
#include <string>
#include <vector>

#include "core/formats/reader_support.h"

namespace vox {

namespace {

// The answers must describe a readable file: a header inside the file and a
// positive rate. Shows the refusal and returns false otherwise.
bool check_answers(ReadContext& ctx, BinaryFile& file) {
    const GenericFileAnswers& g = ctx.generic;
    if (fmt::refuse_unusable_rate(ctx, file, static_cast<double>(g.sample_rate_hz))) return false;
    if (g.header_bytes < 0 || static_cast<std::uint64_t>(g.header_bytes) >= file.length()) {
        fmt::report_unreadable(ctx, file,
                               "the header size (" + std::to_string(g.header_bytes) +
                                   " bytes) leaves no data in a file of " + std::to_string(file.length()) + " bytes");
        return false;
    }
    return true;
}

// Channel 0 as both generic readers leave it.
void fill_generic_channel(const ReadContext& ctx, Recording& rec, const char* name, std::size_t count) {
    CChannels& ch = rec.channels[0];
    const double rate = ctx.generic.sample_rate_hz;
    ch.sample_rate = rate;
    ch.sample_count = static_cast<double>(count);
    ch.duration_ms = ch.sample_count * 1000.0 / rate;
    ch.name = name;
    ch.units = "bits";
    ch.channel_type = 1;
    ch.shown = 1;
    ch.view_flag = 1;
    ch.number = 0;
    ch.gain_percent = 100;
    ch.bits = 16;
    ch.aux_mode = 0;
    ch.reference = 0.0;
    ch.unit_factor = 1.0;
    ch.bandwidth_hz = 0.0;
    ch.carried_d3 = 1.0;
    ch.reset_window();
    rec.channel_count = 1;
    rec.foreign = true;
}

// Decimal conversion that stops at the first character that is not a digit
// (leading blanks and one sign allowed); 0 when there are no digits.
long long leading_integer(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long long v = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
        if (v < 10'000'000) v = v * 10 + (s[i] - '0');  // saturates later anyway
    }
    return negative ? -v : v;
}

}  // namespace

ReadResult read_integer_binary(ReadContext& ctx, BinaryFile& file, Recording& rec) {
    if (file.length() == 0) {
        fmt::report_unreadable(ctx, file, "it is empty");
        return ReadResult::Failed;
    }
    if (!check_answers(ctx, file)) return ReadResult::Failed;
    const GenericFileAnswers& g = ctx.generic;
    const std::uint64_t data_bytes = file.length() - static_cast<std::uint64_t>(g.header_bytes);
    const bool wide = g.sixteen_bit != 0;
    const std::size_t count = static_cast<std::size_t>(wide ? data_bytes / 2 : data_bytes);
    if (count == 0) {
        fmt::report_unreadable(ctx, file, "no complete sample follows the header");
        return ReadResult::Failed;
    }
    std::vector<unsigned char> bytes(wide ? count * 2 : count);
    if (!file.seek(static_cast<std::uint64_t>(g.header_bytes)) || !file.read_exact(bytes.data(), bytes.size()))
        throw DocumentAbort("short read");
    CChannels& ch = rec.channels[0];
    ch.allocate_samples(count);
    std::int16_t* out = ch.samples.data();
    if (wide) {
        // "High byte first" reads big-endian words, "Low byte first" little-endian.
        for (std::size_t i = 0; i < count; ++i)
            out[i] = g.high_byte_first ? get_i16be(&bytes[2 * i]) : get_i16le(&bytes[2 * i]);
    } else {
        for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<std::int16_t>((bytes[i] - 128) * 256);
    }
    fill_generic_channel(ctx, rec, generic_text::kIntegerBinaryName, count);
    rec.format_name = "Integer binary";
    return ReadResult::Accepted;
}

ReadResult read_ascii(ReadContext& ctx, BinaryFile& file, Recording& rec) {
    if (file.length() == 0) {
        ctx.prompts.beep();
        ctx.prompts.message(generic_text::kZeroLength);
        return ReadResult::Failed;
    }
    if (!check_answers(ctx, file)) return ReadResult::Failed;
    const GenericFileAnswers& g = ctx.generic;
    std::vector<unsigned char> text(file.length() - static_cast<std::uint64_t>(g.header_bytes));
    if (!file.seek(static_cast<std::uint64_t>(g.header_bytes)) || !file.read_exact(text.data(), text.size()))
        throw DocumentAbort("short read");

    std::vector<std::int16_t> values;
    std::string line;
    const int scale = g.sixteen_bit ? 1 : 256;
    auto take_line = [&] {
        if (!line.empty()) values.push_back(fmt::saturate16(leading_integer(line) * scale));
        line.clear();
    };
    for (unsigned char c : text) {
        if (c == '\r' || c == '\n') {
            take_line();
            continue;
        }
        if (line.size() >= generic_text::kMaxAsciiLine) {
            ctx.prompts.beep();
            ctx.prompts.message(generic_text::kNotPureAscii);
            return ReadResult::Failed;
        }
        line.push_back(static_cast<char>(c));
    }
    take_line();  // a last line without a line end still holds a sample
    if (values.empty()) {
        ctx.prompts.beep();
        ctx.prompts.message(generic_text::kZeroLength);
        return ReadResult::Failed;
    }
    CChannels& ch = rec.channels[0];
    ch.allocate_samples(values.size());
    std::copy(values.begin(), values.end(), ch.samples.data());
    fill_generic_channel(ctx, rec, generic_text::kAsciiName, values.size());
    rec.format_name = "ASCII";
    return ReadResult::Accepted;
}

}  // namespace vox
