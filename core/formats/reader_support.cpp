#include "core/formats/reader_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <vector>

#include "core/document/marbeck_doc.h"
#include "core/document/sample_rate.h"

namespace vox::fmt {

std::int16_t ulaw_to_linear(std::uint8_t byte) {
    const unsigned u = static_cast<std::uint8_t>(~byte);
    const int exponent = (u >> 4) & 0x07;
    const int mantissa = u & 0x0F;
    const int magnitude = (((mantissa << 3) + 0x84) << exponent) - 0x84;
    return static_cast<std::int16_t>((u & 0x80) ? -magnitude : magnitude);
}

double extended80_to_double(const unsigned char* p) {
    const bool negative = (p[0] & 0x80) != 0;
    const int exponent = ((p[0] & 0x7F) << 8) | p[1];
    const std::uint64_t mantissa = get_u64be(p + 2);
    double v;
    if (exponent == 0x7FFF) {
        v = (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity()
                                 : std::numeric_limits<double>::quiet_NaN();
    } else if (exponent == 0 && mantissa == 0) {
        v = 0.0;
    } else {
        v = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
    }
    return negative ? -v : v;
}

std::int16_t saturate16(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 32767.0) return 32767;
    if (v <= -32768.0) return -32768;
    return static_cast<std::int16_t>(v);  // truncates toward zero
}

std::int16_t saturate16(long long v) {
    if (v > 32767) return 32767;
    if (v < -32768) return -32768;
    return static_cast<std::int16_t>(v);
}

std::int16_t decode_s8(const unsigned char* p) { return static_cast<std::int16_t>(static_cast<std::int8_t>(p[0]) * 256); }
std::int16_t decode_u8(const unsigned char* p) { return static_cast<std::int16_t>((p[0] - 128) * 256); }
std::int16_t decode_ulaw(const unsigned char* p) { return ulaw_to_linear(p[0]); }
std::int16_t decode_s16le(const unsigned char* p) { return get_i16le(p); }
std::int16_t decode_s16be(const unsigned char* p) { return get_i16be(p); }
namespace {
std::int32_t sign_extend24(std::uint32_t v) { return static_cast<std::int32_t>(v << 8) / 256; }
}  // namespace
std::int16_t decode_s24le(const unsigned char* p) {
    return static_cast<std::int16_t>(sign_extend24(p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16)) / 256);
}
std::int16_t decode_s24be(const unsigned char* p) {
    return static_cast<std::int16_t>(sign_extend24(p[2] | (p[1] << 8) | (static_cast<std::uint32_t>(p[0]) << 16)) / 256);
}
std::int16_t decode_s32le(const unsigned char* p) { return static_cast<std::int16_t>(get_i32le(p) / 65536); }
std::int16_t decode_s32be(const unsigned char* p) { return static_cast<std::int16_t>(get_i32be(p) / 65536); }

std::string file_name_of(const std::string& path) { return std::filesystem::path(path).filename().string(); }

void report_unreadable(ReadContext& ctx, const BinaryFile& file, const std::string& what) {
    report_unreadable(ctx, file.path(), what);
}

void report_unreadable(ReadContext& ctx, const std::string& path, const std::string& what) {
    ctx.prompts.beep();
    ctx.prompts.message("The file '" + file_name_of(path) + "' cannot be read: " + what + ".");
}

void note_refusal(ReadContext& ctx, const BinaryFile& file, const std::string& format, const std::string& what) {
    ctx.note_refusal("The file '" + file_name_of(file.path()) + "' cannot be read as " + format + ": " + what + ".");
}

bool refuse_unusable_rate(ReadContext& ctx, const BinaryFile& file, double hz) {
    if (sample_rate_usable(hz)) return false;
    report_unreadable(ctx, file, sample_rate_problem(hz));
    return true;
}

namespace {
// A count or a duration as a person reads it: whole numbers in full while
// they are exact, the rest in scientific notation.
std::string amount(double v) {
    char text[48];
    std::snprintf(text, sizeof text, std::fabs(v) < 1e15 ? "%.0f" : "%.6g", v);
    return text;
}
}  // namespace

void report_short_file(ReadContext& ctx, const BinaryFile& file, double announced, std::uint64_t read,
                       double rate_hz) {
    const double got = static_cast<double>(read);
    ctx.prompts.message("The file '" + file_name_of(file.path()) + "' is shorter than its header says: " +
                          amount(got * 1000.0 / rate_hz) + " ms of " + amount(announced * 1000.0 / rate_hz) +
                          " ms (" + amount(got) + " of " + amount(announced) + " samples) were read.");
}

std::string count_problem(double count) {
    if (std::isfinite(count) && count >= 0.0) return {};
    char text[48];
    std::snprintf(text, sizeof text, "%g", count);
    return std::string("its sample count (") + text + ") is not a number of samples";
}

std::vector<unsigned char> read_at(BinaryFile& file, std::uint64_t offset, std::size_t n) {
    std::vector<unsigned char> out;
    const std::uint64_t len = file.length();
    if (offset >= len || !file.seek(offset)) return out;
    n = static_cast<std::size_t>(std::min<std::uint64_t>(n, len - offset));
    out.resize(n);
    out.resize(file.read_some(out.data(), n));
    return out;
}

std::optional<int> choose_channel(ReadContext& ctx, int channels) {
    auto chosen = ctx.prompts.select_channel(channels, 0);
    if (!chosen || *chosen < 0 || *chosen >= channels) return std::nullopt;
    return chosen;
}

void set_channel_title(Recording& rec, const BinaryFile& file, int channel_index) {
    rec.channel_title = file_name_of(file.path()) + "::Channel " + std::to_string(channel_index + 1);
    rec.has_channel_title = 1;
}

std::uint64_t frames_in_file(const BinaryFile& file, std::uint64_t offset, unsigned channels,
                             unsigned bytes_per_sample) {
    const std::uint64_t len = file.length();
    const std::uint64_t frame_bytes = static_cast<std::uint64_t>(channels) * bytes_per_sample;
    if (offset >= len || frame_bytes == 0) return 0;
    return (len - offset) / frame_bytes;
}

namespace {

// Reads `frames` frames starting at frame `first` and writes the chosen
// channel's 16-bit values to out.
void convert_block(BinaryFile& file, const InterleavedData& d, std::uint64_t first, std::size_t frames,
                   std::vector<unsigned char>& buffer, std::int16_t* out) {
    const std::size_t frame_bytes = static_cast<std::size_t>(d.channels) * d.bytes_per_sample;
    buffer.resize(frames * frame_bytes);
    if (!file.seek(d.offset + first * frame_bytes) || !file.read_exact(buffer.data(), buffer.size()))
        throw DocumentAbort("short read of sample data");
    const unsigned char* p = buffer.data() + static_cast<std::size_t>(d.channel) * d.bytes_per_sample;
    for (std::size_t i = 0; i < frames; ++i, p += frame_bytes) out[i] = d.decode(p);
}

}  // namespace

void load_channel0(ReadContext& ctx, Recording& rec, BinaryFile& file, const InterleavedData& d) {
    CChannels& ch = rec.channels[0];
    if (d.channels == 0 || d.bytes_per_sample == 0 || d.channel >= d.channels || d.decode == nullptr)
        throw DocumentAbort("bad sample layout");
    std::vector<unsigned char> buffer;

    if (!ctx.is_long(ch.duration_ms)) {
        ch.allocate_samples(static_cast<std::size_t>(d.frames));
        constexpr std::size_t kBlockFrames = 65536;
        for (std::uint64_t done = 0; done < d.frames;) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kBlockFrames, d.frames - done));
            convert_block(file, d, done, n, buffer, ch.samples.data() + done);
            done += n;
        }
        return;
    }

    // Long recording: one-second blocks into the raw file, behind the progress window.
    ch.samples.reset();
    const std::string raw_name = ctx.new_sample_file(rec);
    BinaryFile raw;
    if (!raw.open(raw_name, BinaryFile::Mode::CreateNew)) {
        ctx.prompts.save_failure_report(raw_name);
        throw DocumentAbort("cannot create the raw file");
    }
    double per_second = std::floor(ch.sample_rate);
    if (!(per_second >= 1.0)) per_second = 1.0;
    if (per_second > 1 << 22) per_second = 1 << 22;
    const std::size_t block = static_cast<std::size_t>(per_second);
    const long long steps = static_cast<long long>((d.frames + block - 1) / block);
    std::vector<std::int16_t> converted(block);
    std::vector<unsigned char> le(block * 2);
    bool ok = true;
    bool cancelled = false;
    {
        ProgressScope progress(ctx.progress, doc_text::kReadingCaption, steps);
        for (std::uint64_t done = 0; done < d.frames;) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(block, d.frames - done));
            convert_block(file, d, done, n, buffer, converted.data());
            for (std::size_t i = 0; i < n; ++i) put_u16le(le.data() + 2 * i, static_cast<std::uint16_t>(converted[i]));
            if (!raw.write(le.data(), 2 * n)) {
                ok = false;
                break;
            }
            done += n;
            if (progress.step_and_check()) {
                cancelled = true;
                break;
            }
        }
    }
    if (!raw.close()) ok = false;
    if (!ok || cancelled) {
        remove_file(raw_name);
        rec.sample_file = {};
        if (cancelled) throw DocumentCancelled();
        throw DocumentAbort("writing the raw file failed");
    }
}

}  // namespace vox::fmt
