#include "core/formats/sun_au.h"

#include <algorithm>
#include <cstring>

#include "core/formats/reader_support.h"

namespace vox {

namespace {

constexpr std::uint64_t kMinFileBytes = 101;  // a file of 100 bytes or less is not read
constexpr std::uint32_t kMinDataOffset = 24;   // the six header words
constexpr std::uint32_t kSizeUnknown = 0xFFFFFFFFu;

enum Encoding : std::uint32_t { kMuLaw8 = 1, kLinear8 = 2, kLinear16 = 3 };

}  // namespace

ReadResult read_sun_au(ReadContext& ctx, BinaryFile& file, Recording& rec) {
    const std::uint64_t len = file.length();
    if (len < kMinFileBytes) return ReadResult::Declined;
    const auto h = fmt::read_at(file, 0, 24);
    if (h.size() < 24) return ReadResult::Declined;
    bool big;
    if (std::memcmp(h.data(), ".snd", 4) == 0 || std::memcmp(h.data(), ".sd\0", 4) == 0) {
        big = true;
    } else if (std::memcmp(h.data(), "dns.", 4) == 0 || std::memcmp(h.data(), "\0ds.", 4) == 0) {
        big = false;
    } else {
        return ReadResult::Declined;
    }
    auto word = [&](std::size_t at) { return big ? get_u32be(&h[at]) : get_u32le(&h[at]); };
    const std::uint32_t data_offset = word(4);
    const std::uint32_t data_size = word(8);
    const std::uint32_t encoding = word(12);
    const std::uint32_t rate = word(16);
    const std::uint32_t channels = word(20);
    if (data_offset < kMinDataOffset) {
        fmt::note_refusal(ctx, file, "SUN au", "its data offset (" + std::to_string(data_offset) + " bytes) lies inside its header");
        return ReadResult::Declined;
    }
    if (channels > 1) {
        fmt::note_refusal(ctx, file, "SUN au", "it holds " + std::to_string(channels) + " channels; only one can be read");
        return ReadResult::Declined;
    }
    if (encoding != kMuLaw8 && encoding != kLinear8 && encoding != kLinear16) {
        fmt::note_refusal(ctx, file, "SUN au",
                          "its encoding " + std::to_string(encoding) +
                              " cannot be read; only 8-bit mu-law (1), 8-bit (2) and 16-bit (3) linear can");
        return ReadResult::Declined;
    }
    if (data_offset > len) {
        fmt::report_unreadable(ctx, file, "its data offset (" + std::to_string(data_offset) +
                                              " bytes) is beyond the end of the file");
        return ReadResult::Failed;
    }
    if (fmt::refuse_unusable_rate(ctx, file, static_cast<double>(rate))) return ReadResult::Failed;
    // A size of all ones means "to the end of the file"; a larger size than
    // the file holds reads what is there.
    const std::uint64_t in_file = len - data_offset;
    const std::uint64_t bytes = data_size == kSizeUnknown ? in_file : std::min<std::uint64_t>(data_size, in_file);
    const unsigned width = encoding == kLinear16 ? 2 : 1;
    const std::uint64_t count = bytes / width;

    rec.channel_count = 0;
    CChannels& ch = rec.channels[0];
    ch.set_foreign_audio(static_cast<double>(rate), static_cast<double>(count));
    ch.number = rec.channel_count + 1;
    ch.allocate_samples(static_cast<std::size_t>(count));
    std::vector<unsigned char> buf(static_cast<std::size_t>(count * width));
    if (!file.seek(data_offset) || !file.read_exact(buf.data(), buf.size())) throw DocumentAbort("short sample data");
    std::int16_t (*decode)(const unsigned char*) = encoding == kMuLaw8    ? fmt::decode_ulaw
                                                   : encoding == kLinear8 ? fmt::decode_s8
                                                   : big                  ? fmt::decode_s16be
                                                                          : fmt::decode_s16le;
    for (std::size_t i = 0; i < count; ++i) ch.samples[i] = decode(&buf[i * width]);
    if (data_size != kSizeUnknown && data_size / width > count)
        fmt::report_short_file(ctx, file, static_cast<double>(data_size / width), count, rate);
    rec.channel_count = 1;
    rec.foreign = true;
    return ReadResult::Accepted;
}

}  // namespace vox
