#include "core/formats/acquisition.h"

#include <vector>

#include "core/formats/earlier_product.h"
#include "core/formats/reader_support.h"

namespace vox {

namespace {

constexpr std::uint32_t kAcqHeaderBytes = 6484;
constexpr std::int32_t kAcqVersion = 10;
constexpr int kAcqMaxChannels = 16;
constexpr std::size_t kEnableFlags = 184, kUnitFactors = 252, kNames = 320, kUnitNames = 660;
constexpr std::size_t kNameField = 20;
// The old Mac form: a header of 1,600 … 1,609 bytes with version 200.
constexpr std::uint32_t kOldMacMin = 1600, kOldMacMax = 1609;
constexpr std::int32_t kOldMacVersion = 200;

ReadResult read_acquisition(ReadContext& ctx, BinaryFile& file, Recording& rec, bool big) {
    const std::uint64_t len = file.length();
    const auto h = fmt::read_at(file, 0, kAcqHeaderBytes);
    if (h.size() < 8) return ReadResult::Declined;
    auto i32 = [&](std::size_t at) { return big ? get_i32be(&h[at]) : get_i32le(&h[at]); };
    const std::uint32_t header_len = static_cast<std::uint32_t>(i32(0));
    const std::int32_t version = i32(4);
    if (big && header_len >= kOldMacMin && header_len <= kOldMacMax && version == kOldMacVersion) {
        ctx.prompts.message(earlier_text::kOldMacLmf);
        return ReadResult::Declined;
    }
    // The 1,608-byte form of version 100 is not read.
    if (header_len != kAcqHeaderBytes || version != kAcqVersion) return ReadResult::Declined;
    if (h.size() < kAcqHeaderBytes) {
        fmt::note_refusal(ctx, file, "a multichannel acquisition file",
                          "its " + std::to_string(kAcqHeaderBytes) + "-byte header is cut short at " +
                              std::to_string(h.size()) + " bytes");
        return ReadResult::Declined;
    }
    const std::int32_t n = i32(8);
    if (n < 1 || n > kAcqMaxChannels) {
        fmt::report_unreadable(ctx, file, "its header gives " + std::to_string(n) + " channels");
        return ReadResult::Failed;
    }
    // The first enabled channel (the audio channel) has the rate at offset 16
    // and the data size at 24; every further channel the rate at 20 and the
    // size at 28.
    const std::int32_t rates[2] = {i32(16), i32(20)};
    const std::uint32_t sizes[2] = {static_cast<std::uint32_t>(i32(24)), static_cast<std::uint32_t>(i32(28))};

    std::vector<int> enabled;
    for (int c = 0; c < n; ++c)
        if (i32(kEnableFlags + 4 * c) != 0) enabled.push_back(c);
    if (enabled.empty()) {
        fmt::report_unreadable(ctx, file, "no channel is enabled in its header");
        return ReadResult::Failed;
    }
    std::uint64_t need = 0;
    for (std::size_t k = 0; k < enabled.size(); ++k) {
        const int which = k == 0 ? 0 : 1;
        if (fmt::refuse_unusable_rate(ctx, file, static_cast<double>(rates[which]))) return ReadResult::Failed;
        need += sizes[which] / 2 * 2;
    }
    if (need > len - kAcqHeaderBytes) {
        fmt::report_unreadable(ctx, file, "its data sizes reach beyond the end of the file");
        return ReadResult::Failed;
    }

    rec.channel_count = 0;
    std::uint64_t offset = kAcqHeaderBytes;
    for (std::size_t k = 0; k < enabled.size(); ++k) {
        const int c = enabled[k];
        const int which = k == 0 ? 0 : 1;
        const std::uint64_t count = sizes[which] / 2;
        CChannels& ch = rec.channels[k];
        ch.set_foreign_audio(static_cast<double>(rates[which]), static_cast<double>(count));
        ch.number = static_cast<std::int32_t>(k) + 1;
        ch.channel_type = k == 0 ? 1 : 0;
        ch.shown = k == 0 ? 1 : 0;
        ch.view_flag = k == 0 ? 1 : 0;
        ch.bits = k == 0 ? 16 : 12;
        ch.unit_factor = static_cast<double>(i32(kUnitFactors + 4 * c));
        ch.name = get_fixed_string(&h[kNames + kNameField * c], kNameField);
        ch.units = get_fixed_string(&h[kUnitNames + kNameField * c], kNameField);
        ch.allocate_samples(static_cast<std::size_t>(count));
        std::vector<unsigned char> buf(static_cast<std::size_t>(count * 2));
        if (!file.seek(offset) || !file.read_exact(buf.data(), buf.size())) throw DocumentAbort("short channel data");
        for (std::size_t i = 0; i < count; ++i) ch.samples[i] = big ? get_i16be(&buf[2 * i]) : get_i16le(&buf[2 * i]);
        offset += sizes[which];
        rec.channel_count = static_cast<std::int32_t>(k) + 1;
    }
    rec.foreign = true;
    return ReadResult::Accepted;
}

constexpr std::uint64_t kDataChannelMinBytes = 237;  // more than 236
constexpr std::uint64_t kDataChannelSamples = 512;

}  // namespace

ReadResult read_acquisition_le(ReadContext& ctx, BinaryFile& file, Recording& rec) { return read_acquisition(ctx, file, rec, false); }
ReadResult read_acquisition_be(ReadContext& ctx, BinaryFile& file, Recording& rec) { return read_acquisition(ctx, file, rec, true); }

ReadResult read_data_channel_512(ReadContext& ctx, BinaryFile& file, Recording& rec) {
    const std::uint64_t len = file.length();
    if (len < kDataChannelMinBytes) return ReadResult::Declined;
    const auto h = fmt::read_at(file, 0, 32);
    if (h.size() < 32) return ReadResult::Declined;
    const std::int32_t count = get_i32le(&h[2]);
    // Unsigned: the field holds rates up to 49,999 Hz, past a signed word's 32,767.
    const std::uint16_t rate = get_u16le(&h[6]);
    const std::int16_t bits = get_i16le(&h[24]);
    const std::int16_t interval_us = get_i16le(&h[28]);
    if (count <= 0 || static_cast<std::uint64_t>(count) >= len) return ReadResult::Declined;
    if (rate < 1 || rate > 49999 || bits < 1 || bits > 20) return ReadResult::Declined;
    if (interval_us <= 0 || 1000000 / interval_us >= 50000) return ReadResult::Declined;
    // The samples must be in the file, or this is some other format.
    const unsigned width = bits == 8 ? 1 : 2;
    if (len < kDataChannelSamples || static_cast<std::uint64_t>(count) > (len - kDataChannelSamples) / width)
        return ReadResult::Declined;

    const int slot = rec.channel_count;
    if (slot < 0 || slot >= kMaxChannels) return ReadResult::Declined;
    CChannels& ch = rec.channels[slot];
    ch.set_foreign_audio(static_cast<double>(rate), static_cast<double>(count));
    ch.number = slot + 1;
    ch.channel_type = 0;
    ch.aux_mode = 1;
    ch.bits = bits;
    ch.allocate_samples(static_cast<std::size_t>(count));
    std::vector<unsigned char> buf(static_cast<std::size_t>(count) * width);
    if (!file.seek(kDataChannelSamples) || !file.read_exact(buf.data(), buf.size()))
        throw DocumentAbort("short channel data");
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i)
        ch.samples[i] = width == 1 ? static_cast<std::int16_t>(static_cast<std::int8_t>(buf[i])) : get_i16le(&buf[2 * i]);
    rec.channel_count = slot + 1;
    rec.foreign = true;
    return ReadResult::Accepted;
}

}  // namespace vox
