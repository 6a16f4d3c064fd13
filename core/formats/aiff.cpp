#include "core/formats/aiff.h"

#include <cmath>
#include <cstring>

#include "core/formats/reader_support.h"

namespace vox {

namespace {

constexpr std::uint64_t kMinFileBytes = 101;
constexpr int kChunkVisits = 20;

struct CommonChunk {
    bool seen = false;
    int channels = 0;
    std::uint32_t frames = 0;
    int bits = 0;
    double rate = 0.0;
    char compression[5] = "NONE";
};

struct SoundChunk {
    bool seen = false;
    std::uint64_t data_offset = 0;  // first byte of sample frame 0
    std::uint64_t data_bytes = 0;   // bytes of sample data inside the chunk and the file
};

bool id_is(const unsigned char* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

}  // namespace

ReadResult read_aiff(ReadContext& ctx, BinaryFile& file, Recording& rec) {
    const std::uint64_t len = file.length();
    if (len < kMinFileBytes) return ReadResult::Declined;

    bool have_form = false;
    bool aifc = false;
    CommonChunk comm;
    SoundChunk ssnd;
    std::uint64_t offset = 0;
    // Every chunk is stepped over by its stored size (padded to even), so the
    // walk always moves forward; the visit budget bounds it as well.
    for (int visit = 0; visit < kChunkVisits && offset + 8 <= len; ++visit) {
        const auto head = fmt::read_at(file, offset, 26);
        if (head.size() < 8) break;
        const std::uint32_t size = get_u32be(&head[4]);
        if (!have_form) {
            if (offset != 0 || !id_is(head.data(), "FORM") || head.size() < 12) return ReadResult::Declined;
            if (id_is(&head[8], "AIFF")) {
                aifc = false;
            } else if (id_is(&head[8], "AIFC")) {
                aifc = true;
            } else {
                return ReadResult::Declined;
            }
            have_form = true;
            offset = 12;
            continue;
        }
        if (id_is(head.data(), "COMM")) {
            if (size < 18 || head.size() < 26) {
                fmt::report_unreadable(ctx, file, "its COMM chunk is shorter than 18 bytes");
                return ReadResult::Failed;
            }
            comm.seen = true;
            comm.channels = get_i16be(&head[8]);
            comm.frames = get_u32be(&head[10]);
            comm.bits = get_i16be(&head[14]);
            comm.rate = fmt::extended80_to_double(&head[16]);
            if (aifc) {
                const auto type = fmt::read_at(file, offset + 26, 4);
                if (size < 22 || type.size() < 4) {
                    fmt::note_refusal(ctx, file, "AIFC", "its COMM chunk has no compression type");
                    return ReadResult::Declined;
                }
                std::memcpy(comm.compression, type.data(), 4);
            }
        } else if (id_is(head.data(), "SSND")) {
            const auto fields = fmt::read_at(file, offset + 8, 8);
            if (size < 8 || fields.size() < 8) {
                fmt::report_unreadable(ctx, file, "its SSND chunk is shorter than its 8-byte header");
                return ReadResult::Failed;
            }
            const std::uint64_t skip = get_u32be(&fields[0]);  // bytes before frame 0
            const std::uint64_t start = offset + 16 + skip;
            const std::uint64_t chunk_end = std::min<std::uint64_t>(offset + 8 + size, len);
            ssnd.seen = true;
            ssnd.data_offset = start;
            ssnd.data_bytes = start < chunk_end ? chunk_end - start : 0;
        }
        offset += 8 + static_cast<std::uint64_t>(size) + (size & 1);
    }

    if (!have_form) return ReadResult::Declined;
    const char* form_name = aifc ? "AIFC" : "AIFF";
    if (!comm.seen) {
        fmt::note_refusal(ctx, file, form_name, "it has no COMM chunk");
        return ReadResult::Declined;
    }
    if (aifc && std::memcmp(comm.compression, "NONE", 4) != 0 && std::memcmp(comm.compression, "sowt", 4) != 0) {
        fmt::note_refusal(ctx, file, form_name,
                          "its compression type '" + std::string(comm.compression, 4) +
                              "' cannot be read; only NONE and sowt can");
        return ReadResult::Declined;
    }
    const bool little = aifc && std::memcmp(comm.compression, "sowt", 4) == 0;

    if (comm.channels < 1) {
        fmt::report_unreadable(ctx, file, "the COMM chunk gives " + std::to_string(comm.channels) + " channels");
        return ReadResult::Failed;
    }
    if (fmt::refuse_unusable_rate(ctx, file, comm.rate)) return ReadResult::Failed;
    if (comm.bits < 1 || comm.bits > 32) {
        fmt::report_unreadable(ctx, file, "the COMM chunk gives " + std::to_string(comm.bits) + " bits per sample");
        return ReadResult::Failed;
    }
    if (!ssnd.seen && comm.frames > 0) {
        fmt::report_unreadable(ctx, file, "it has no SSND chunk with the sound data");
        return ReadResult::Failed;
    }

    // Samples are stored left-justified in whole bytes.
    const unsigned bytes = static_cast<unsigned>((comm.bits + 7) / 8);
    std::int16_t (*decode)(const unsigned char*) = nullptr;
    switch (bytes) {
        case 1: decode = fmt::decode_s8; break;
        case 2: decode = little ? fmt::decode_s16le : fmt::decode_s16be; break;
        case 3: decode = little ? fmt::decode_s24le : fmt::decode_s24be; break;
        default: decode = little ? fmt::decode_s32le : fmt::decode_s32be; break;
    }
    const unsigned channels = static_cast<unsigned>(comm.channels);
    // A frame count beyond the sound data reads the frames that are there.
    const std::uint64_t frame_bytes = static_cast<std::uint64_t>(channels) * bytes;
    const std::uint64_t frames = std::min<std::uint64_t>(comm.frames, ssnd.data_bytes / frame_bytes);

    int chosen = 0;
    if (channels >= 2) {
        // A cancelled choice ends the open (nothing is asked twice).
        const auto c = fmt::choose_channel(ctx, comm.channels);
        if (!c) return ReadResult::Failed;
        chosen = *c;
    }

    rec.channel_count = 0;
    CChannels& ch = rec.channels[0];
    ch.set_foreign_audio(comm.rate, static_cast<double>(frames));
    fmt::InterleavedData data;
    data.offset = ssnd.data_offset;
    data.frames = frames;
    data.channels = channels;
    data.bytes_per_sample = bytes;
    data.channel = static_cast<unsigned>(chosen);
    data.decode = decode;
    fmt::load_channel0(ctx, rec, file, data);
    if (channels >= 2) fmt::set_channel_title(rec, file, chosen);
    if (comm.frames > frames) fmt::report_short_file(ctx, file, comm.frames, frames, comm.rate);
    rec.channel_count = 1;
    rec.foreign = true;
    return ReadResult::Accepted;
}

}  // namespace vox
