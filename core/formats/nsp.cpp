#include "core/formats/nsp.h"

#include <algorithm>
#include <cstring>

#include "core/formats/reader_support.h"

namespace vox {

namespace {

constexpr std::uint64_t kMinFileBytes = 101;
constexpr std::uint64_t kFirstChunk = 12;
constexpr std::size_t kRateOffset = 20;  // within the header chunk: after the 20-byte date text

bool id_is(const unsigned char* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

}  // namespace

ReadResult read_nsp(ReadContext& ctx, BinaryFile& file, Recording& rec) {
    const std::uint64_t len = file.length();
    if (len < kMinFileBytes) return ReadResult::Declined;
    const auto head = fmt::read_at(file, 0, 12);
    if (head.size() < 12 || !id_is(head.data(), "FORM") || !id_is(&head[4], "DS16")) return ReadResult::Declined;

    // The chunk area ends at the stored offset, and never beyond the file.
    const std::uint64_t stored_end = get_u32le(&head[8]);
    const std::uint64_t end = std::min<std::uint64_t>(stored_end, len);

    bool have_header = false;
    std::int32_t rate = 0;
    // Every step moves forward by at least 8 bytes, so the walk ends.
    for (std::uint64_t offset = kFirstChunk; offset + 8 <= end;) {
        const auto ch = fmt::read_at(file, offset, 8);
        if (ch.size() < 8) break;
        const std::uint64_t size = get_u32le(&ch[4]);
        const std::uint64_t body = offset + 8;
        if (id_is(ch.data(), "HEDR") || id_is(ch.data(), "HDR8")) {
            const auto h = fmt::read_at(file, body, static_cast<std::size_t>(std::min<std::uint64_t>(size, 64)));
            if (size < kRateOffset + 4 || h.size() < kRateOffset + 4) {
                fmt::report_unreadable(ctx, file, "its header chunk is too short to hold the sample rate");
                return ReadResult::Failed;
            }
            rate = get_i32le(&h[kRateOffset]);
            have_header = true;
        } else if (id_is(ch.data(), "SDA_") || id_is(ch.data(), "SD_B")) {
            if (!have_header) {
                fmt::note_refusal(ctx, file, "CSL NSP", "its sample data comes before its header chunk");
                return ReadResult::Declined;
            }
            if (fmt::refuse_unusable_rate(ctx, file, static_cast<double>(rate))) return ReadResult::Failed;
            // A data size beyond the file reads the samples the file holds.
            const std::uint64_t bytes = std::min<std::uint64_t>(size, len - body);
            const std::uint64_t count = bytes / 2;
            rec.channel_count = 0;
            CChannels& c0 = rec.channels[0];
            c0.set_foreign_audio(static_cast<double>(rate), static_cast<double>(count));
            c0.number = rec.channel_count + 1;
            c0.allocate_samples(static_cast<std::size_t>(count));
            std::vector<unsigned char> buf(static_cast<std::size_t>(count * 2));
            if (!file.seek(body) || !file.read_exact(buf.data(), buf.size())) throw DocumentAbort("short data chunk");
            for (std::size_t i = 0; i < count; ++i) c0.samples[i] = get_i16le(&buf[2 * i]);
            if (size / 2 > count) fmt::report_short_file(ctx, file, static_cast<double>(size / 2), count, rate);
            rec.channel_count = 1;
            rec.foreign = true;
            return ReadResult::Accepted;
        }
        offset = body + size;
        if (offset & 1) ++offset;  // chunks start on even offsets
    }
    fmt::note_refusal(ctx, file, "CSL NSP", have_header ? "it has no sample data chunk" : "it has no header chunk");
    return ReadResult::Declined;
}

}  // namespace vox
