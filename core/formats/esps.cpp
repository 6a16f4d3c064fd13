#include "core/formats/esps.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/formats/reader_support.h"

namespace vox {

namespace {

constexpr std::size_t kHeaderSizeWord = 8 / 4;  // preamble word holding the header size
constexpr std::size_t kCheckWordIndex = 16 / 4;
constexpr std::size_t kItemValueOffset = 18;    // from the start of an item's name to its double

std::uint32_t swap32(std::uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

}  // namespace

void CEsps::say(const char* text) const {
    if (diagnostics_) std::fputs(text, diagnostics_);
}

bool CEsps::read_preamble(BinaryFile& file) {
    const auto p = fmt::read_at(file, 0, kPreambleSize);
    if (p.size() < kPreambleSize) {
        say("Not an ESPS file\n");
        problem = "too short";
        return false;
    }
    const std::uint32_t check = get_u32le(&p[kCheckWordIndex * 4]);
    if (check == static_cast<std::uint32_t>(kCheckWord)) {
        big_endian = false;
        say("No Byte Swapping involved\n");
    } else if (swap32(check) == static_cast<std::uint32_t>(kCheckWord)) {
        big_endian = true;
        say("Byte Swapping involved\n");
    } else {
        say("Not an ESPS file\n");
        problem = "no check word";
        return false;
    }
    check_word_found = true;
    for (std::size_t i = 0; i < 8; ++i)
        preamble[i] = big_endian ? get_i32be(&p[4 * i]) : get_i32le(&p[4 * i]);
    const std::int64_t hs = preamble[kHeaderSizeWord];
    if (hs < static_cast<std::int64_t>(kPreambleSize + kFixedHeaderSize) ||
        static_cast<std::uint64_t>(hs) > file.length()) {
        problem = "its header size (" + std::to_string(hs) + " bytes) does not fit the file";
        return false;
    }
    header_size = static_cast<std::uint64_t>(hs);
    return true;
}

bool CEsps::read_fixed_header(BinaryFile& file) {
    header_ = fmt::read_at(file, 0, static_cast<std::size_t>(header_size));
    if (header_.size() < header_size) {
        problem = "its header could not be read";
        return false;
    }
    const unsigned char* f = header_.data() + kPreambleSize;
    auto i32 = [&](std::size_t at) { return big_endian ? get_i32be(f + at) : get_i32le(f + at); };
    n_doubles = i32(100);
    n_floats = i32(104);
    n_longs = i32(108);
    n_shorts = i32(112);
    n_bytes = i32(116);
    if (n_doubles < 0 || n_floats < 0 || n_longs < 0 || n_shorts < 0 || n_bytes < 0) {
        problem = "its record layout has a negative field count";
        return false;
    }
    record_size = 8ull * static_cast<std::uint64_t>(n_doubles) + 4ull * static_cast<std::uint64_t>(n_floats) +
                  4ull * static_cast<std::uint64_t>(n_longs) + 2ull * static_cast<std::uint64_t>(n_shorts) +
                  static_cast<std::uint64_t>(n_bytes);
    return true;
}

std::uint64_t CEsps::count_records(BinaryFile& file) {
    record_count = record_size == 0 ? 0 : (file.length() - header_size) / record_size;
    return record_count;
}

double CEsps::find_item(BinaryFile&, const char* name, double missing) {
    const std::size_t n = std::strlen(name);
    if (header_.size() < n) return missing;
    const auto at = std::search(header_.begin(), header_.end(), name, name + n);
    if (at == header_.end()) return missing;
    const std::size_t pos = static_cast<std::size_t>(at - header_.begin()) + kItemValueOffset;
    if (pos + 8 > header_.size()) return missing;
    return big_endian ? get_f64be(&header_[pos]) : get_f64le(&header_[pos]);
}

void CEsps::allocate_columns() {
    doubles.assign(record_count * static_cast<std::uint64_t>(n_doubles), 0.0);
    floats.assign(record_count * static_cast<std::uint64_t>(n_floats), 0.0f);
    longs.assign(record_count * static_cast<std::uint64_t>(n_longs), 0);
    shorts.assign(record_count * static_cast<std::uint64_t>(n_shorts), 0);
    bytes.assign(record_count * static_cast<std::uint64_t>(n_bytes), 0);
}

bool CEsps::read_records(BinaryFile& file) {
    if (record_count == 0) return true;
    const std::size_t rs = static_cast<std::size_t>(record_size);
    // Blocks of whole records, about 1 MB each.
    const std::size_t per_block = std::max<std::size_t>(1, (1u << 20) / rs);
    std::vector<unsigned char> buf;
    if (!file.seek(header_size)) return false;
    const bool be = big_endian;
    for (std::uint64_t first = 0; first < record_count;) {
        const std::size_t k = static_cast<std::size_t>(std::min<std::uint64_t>(per_block, record_count - first));
        buf.resize(k * rs);
        if (!file.read_exact(buf.data(), buf.size())) {
            problem = "its records could not be read";
            return false;
        }
        for (std::size_t r = 0; r < k; ++r) {
            const unsigned char* p = &buf[r * rs];
            const std::uint64_t i = first + r;
            for (std::int32_t j = 0; j < n_doubles; ++j, p += 8)
                doubles[j * record_count + i] = be ? get_f64be(p) : get_f64le(p);
            for (std::int32_t j = 0; j < n_floats; ++j, p += 4)
                floats[j * record_count + i] = be ? get_f32be(p) : get_f32le(p);
            for (std::int32_t j = 0; j < n_longs; ++j, p += 4)
                longs[j * record_count + i] = be ? get_i32be(p) : get_i32le(p);
            for (std::int32_t j = 0; j < n_shorts; ++j, p += 2)
                shorts[j * record_count + i] = be ? get_i16be(p) : get_i16le(p);
            for (std::int32_t j = 0; j < n_bytes; ++j, p += 1) bytes[j * record_count + i] = static_cast<std::int8_t>(*p);
        }
        first += k;
    }
    return true;
}

ReadResult read_esps(ReadContext& ctx, BinaryFile& file, Recording& rec) {
    if (file.length() == 0) return ReadResult::Declined;
    CEsps esps(ctx.diagnostics);
    if (!esps.read_preamble(file)) {
        if (!esps.check_word_found) return ReadResult::Declined;
        fmt::report_unreadable(ctx, file, esps.problem);
        return ReadResult::Failed;
    }
    if (!esps.read_fixed_header(file)) {
        fmt::report_unreadable(ctx, file, esps.problem);
        return ReadResult::Failed;
    }
    // Only records of one sample field, a short or a byte, are a sound.
    const bool one_short = esps.n_shorts == 1 && esps.record_size == 2;
    const bool one_byte = esps.n_bytes == 1 && esps.record_size == 1;
    if (!one_short && !one_byte) {
        fmt::note_refusal(ctx, file, "ESPS",
                          "its records do not hold one short or one byte field (doubles " + std::to_string(esps.n_doubles) +
                              ", floats " + std::to_string(esps.n_floats) + ", longs " + std::to_string(esps.n_longs) +
                              ", shorts " + std::to_string(esps.n_shorts) + ", bytes " + std::to_string(esps.n_bytes) + ")");
        return ReadResult::Declined;
    }
    esps.count_records(file);
    esps.find_record_freq(file);
    esps.find_start_time(file);
    esps.find_end_time(file);
    if (esps.record_freq == CEsps::kMissingRecordFreq) {
        fmt::report_unreadable(ctx, file, "its record_freq item is missing");
        return ReadResult::Failed;
    }
    if (fmt::refuse_unusable_rate(ctx, file, esps.record_freq)) return ReadResult::Failed;
    esps.allocate_columns();
    if (!esps.read_records(file)) throw DocumentAbort(esps.problem);

    rec.channel_count = 0;
    CChannels& ch = rec.channels[0];
    ch.set_foreign_audio(esps.record_freq, static_cast<double>(esps.record_count));
    ch.number = rec.channel_count + 1;
    ch.trail_d1 = esps.start_time;
    ch.trail_d2 = esps.end_time;
    ch.allocate_samples(static_cast<std::size_t>(esps.record_count));
    for (std::size_t i = 0; i < esps.record_count; ++i)
        ch.samples[i] = one_short ? esps.shorts[i] : static_cast<std::int16_t>(esps.bytes[i] * 256);
    rec.channel_count = 1;
    rec.foreign = true;
    return ReadResult::Accepted;
}

}  // namespace vox
