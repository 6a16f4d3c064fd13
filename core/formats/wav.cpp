#include "core/formats/wav.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/document/marbeck_doc.h"
#include "core/formats/reader_support.h"
#include "core/io/binary_file.h"
#include "core/platform/progress.h"

namespace vox {

namespace {

constexpr std::uint16_t kTagPcm = 1;
constexpr std::uint16_t kTagFloat = 3;
constexpr std::uint16_t kTagMuLaw = 7;
constexpr std::uint16_t kTagExtensible = 0xFFFE;
constexpr const char* kReadCaption = doc_text::kReadingCaption;

// The sub-format GUIDs of the extensible form share the tail
// -0000-0010-8000-00AA00389B71; the first two bytes carry the plain tag.
constexpr unsigned char kGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                         0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::string file_name_of(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool printable_id(const unsigned char* id) {
    for (int i = 0; i < 4; ++i)
        if (id[i] < 0x20 || id[i] > 0x7E) return false;
    return true;
}

std::int16_t saturate16(double v) {
    if (!(v == v)) return 0;  // NaN
    if (v >= 32767.0) return 32767;
    if (v <= -32768.0) return -32768;
    return static_cast<std::int16_t>(v);  // truncation toward zero
}

// The encodings the reader converts to 16 bits.
enum class Encoding { Pcm8, Pcm16, Pcm24, Pcm32, Float32, Float64, MuLaw };

// Expands one G.711 µ-law byte (bias 132; magnitudes 0 … 32124).
std::int16_t mulaw_expand(unsigned char byte) {
    const unsigned u = static_cast<unsigned char>(~byte);
    int t = static_cast<int>(((u & 0x0F) << 3) + 0x84);
    t <<= (u & 0x70) >> 4;
    return static_cast<std::int16_t>((u & 0x80) ? (0x84 - t) : (t - 0x84));
}

std::int16_t convert_one(const unsigned char* p, Encoding e) {
    switch (e) {
        case Encoding::Pcm8:
            return static_cast<std::int16_t>((static_cast<int>(p[0]) - 128) * 256);
        case Encoding::Pcm16:
            return get_i16le(p);
        case Encoding::Pcm24: {
            std::int32_t v = static_cast<std::int32_t>(p[0] | (p[1] << 8) | (p[2] << 16));
            if (v & 0x800000) v -= 0x1000000;
            return static_cast<std::int16_t>(v / 256);
        }
        case Encoding::Pcm32:
            return static_cast<std::int16_t>(get_i32le(p) / 65536);
        case Encoding::Float32:
            return saturate16(static_cast<double>(get_f32le(p)) * 32768.0);
        case Encoding::Float64:
            return saturate16(get_f64le(p) * 32768.0);
        case Encoding::MuLaw:
            return mulaw_expand(p[0]);
    }
    return 0;
}

// Decides how the file's frames are converted; a message explains a refusal.
struct Layout {
    Encoding encoding = Encoding::Pcm16;
    unsigned bytes_per_sample = 2;  // container width
    bool ok = false;
    std::string refusal;  // empty when the file is simply not read (no message)
};

Layout decide_layout(const WaveFormat& f, const std::string& name) {
    Layout l;
    std::uint16_t tag = f.format_tag;
    const std::string what = "The file " + name + " ";
    if (tag == kTagExtensible) {
        if (f.fmt_size < 40 || f.extra_size < 22) {
            l.refusal = what + "has a truncated WAVE_FORMAT_EXTENSIBLE format chunk (" + std::to_string(f.fmt_size) +
                        " bytes) and cannot be read.";
            return l;
        }
        if (std::memcmp(f.sub_format + 2, kGuidTail, sizeof kGuidTail) != 0 ||
            (get_u16le(f.sub_format) != kTagPcm && get_u16le(f.sub_format) != kTagFloat &&
             get_u16le(f.sub_format) != kTagMuLaw)) {
            char guid[40];
            const unsigned char* g = f.sub_format;
            std::snprintf(guid, sizeof guid, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", get_u32le(g),
                          get_u16le(g + 4), get_u16le(g + 6), g[8], g[9], g[10], g[11], g[12], g[13], g[14], g[15]);
            l.refusal = what + "holds WAVE_FORMAT_EXTENSIBLE data of sub-format " + guid +
                        ", which cannot be read; only PCM, IEEE float and mu-law data can.";
            return l;
        }
        if (f.valid_bits > f.bits_per_sample) {
            l.refusal = what + "declares " + std::to_string(f.valid_bits) + " valid bits in " +
                        std::to_string(f.bits_per_sample) + "-bit samples and cannot be read.";
            return l;
        }
        tag = get_u16le(f.sub_format);
    }
    if (tag != kTagPcm && tag != kTagFloat && tag != kTagMuLaw) {
        l.refusal = what + "holds data of format tag " + std::to_string(tag) +
                    ", which cannot be read; only PCM, IEEE float and mu-law data can.";
        return l;
    }

    if (f.channels == 0 || f.block_align == 0) {
        l.refusal = what + "has a format chunk with zero channels or block alignment.";
        return l;
    }
    const unsigned bits = f.bits_per_sample;
    if (tag == kTagPcm) {
        switch (bits) {
            case 8: l.encoding = Encoding::Pcm8; break;
            case 16: l.encoding = Encoding::Pcm16; break;
            case 24: l.encoding = Encoding::Pcm24; break;
            case 32: l.encoding = Encoding::Pcm32; break;
            default:
                l.refusal = what + "holds " + std::to_string(bits) + "-bit PCM samples, which cannot be read.";
                return l;
        }
        l.bytes_per_sample = bits / 8;
    } else if (tag == kTagFloat) {
        if (bits == 32) {
            l.encoding = Encoding::Float32;
        } else if (bits == 64) {
            l.encoding = Encoding::Float64;
        } else {
            l.refusal = what + "holds " + std::to_string(bits) + "-bit floating-point samples, which cannot be read.";
            return l;
        }
        l.bytes_per_sample = bits / 8;
    } else {
        l.encoding = Encoding::MuLaw;
        l.bytes_per_sample = 1;
    }
    if (static_cast<unsigned>(f.block_align) < static_cast<unsigned>(f.channels) * l.bytes_per_sample) {
        l.refusal = what + "has a block alignment of " + std::to_string(f.block_align) + " bytes, too small for " +
                    std::to_string(f.channels) + " channels of " + std::to_string(l.bytes_per_sample) +
                    "-byte samples.";
        return l;
    }
    l.ok = true;
    return l;
}

}  // namespace

// --- chunk walk --------------------------------------------------------------------

int CWave::walk_chunks(BinaryFile& file, WaveChunks& out) const {
    out = WaveChunks{};
    const std::uint64_t length = file.length();
    unsigned char head[12];
    if (length < 12 || !file.seek(0) || !file.read_exact(head, 12)) return -1;
    out.rf64 = std::memcmp(head, "RF64", 4) == 0 || std::memcmp(head, "BW64", 4) == 0;
    const bool riff = std::memcmp(head, "RIFF", 4) == 0 || out.rf64;
    const bool wave = std::memcmp(head + 8, "WAVE", 4) == 0;
    if (!riff && !wave) return -1;
    out.recognised = riff && wave;

    constexpr std::uint32_t kAllOnes = 0xFFFFFFFFu;
    bool have_ds64 = false;
    std::uint64_t ds64_data_bytes = 0;
    std::uint64_t offset = 12;
    while (offset + 8 <= length) {
        unsigned char ch[8];
        if (!file.seek(offset) || !file.read_exact(ch, 8)) return -1;
        const std::uint64_t size = get_u32le(ch + 4);
        if (std::memcmp(ch, "fmt ", 4) == 0) {
            unsigned char f[40] = {};
            const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size, sizeof f));
            const std::size_t got = file.read_some(f, want);
            WaveFormat& wf = out.format;
            wf = WaveFormat{};
            wf.fmt_size = static_cast<std::uint32_t>(std::min<std::uint64_t>(size, got));
            if (got >= 16) {
                wf.format_tag = get_u16le(f);
                wf.channels = get_u16le(f + 2);
                wf.samples_per_sec = get_u32le(f + 4);
                wf.avg_bytes_per_sec = get_u32le(f + 8);
                wf.block_align = get_u16le(f + 12);
                wf.bits_per_sample = get_u16le(f + 14);
                if (got >= 18) wf.extra_size = get_u16le(f + 16);
                if (got >= 40) {
                    wf.extensible = true;
                    wf.valid_bits = get_u16le(f + 18);
                    wf.channel_mask = get_u32le(f + 20);
                    std::memcpy(wf.sub_format, f + 24, 16);
                }
                out.have_format = true;
            }
        } else if (std::memcmp(ch, "ds64", 4) == 0 && size >= 24) {
            // RIFF size, data size and sample count, 64 bits each.
            unsigned char d[24];
            if (file.read_exact(d, sizeof d)) {
                have_ds64 = true;
                ds64_data_bytes = get_u64le(d + 8);
            }
        } else if (std::memcmp(ch, "data", 4) == 0) {
            out.data_offset = offset + 8;
            const std::uint64_t in_file = length - out.data_offset;
            if (size == kAllOnes && have_ds64) {
                out.declared_data_bytes = ds64_data_bytes;
            } else if (size == kAllOnes) {
                out.size_open = true;
                out.declared_data_bytes = in_file;
            } else {
                out.declared_data_bytes = size;
            }
            out.data_bytes = std::min<std::uint64_t>(out.declared_data_bytes, in_file);
            return 0;
        }
        // Writers pad odd-sized chunks to an even length; others do not. Take
        // the pad byte when a chunk id follows it, else the next byte.
        std::uint64_t next = offset + 8 + size;
        if (size & 1) {
            unsigned char id[4];
            if (next + 1 + 4 <= length && file.seek(next + 1) && file.read_exact(id, 4) && printable_id(id)) ++next;
        }
        offset = next;
    }
    return -1;
}

// --- reader ------------------------------------------------------------------------------

ReadResult read_wav(ReadContext& ctx, BinaryFile& file, Recording& rec) {
    rec.channel_count = 0;
    CWave wave;
    WaveChunks chunks;
    const int walked = wave.walk_chunks(file, chunks);
    if (walked != 0 || !chunks.have_format) {
        if (chunks.recognised)
            fmt::note_refusal(ctx, file, "WAV",
                              walked != 0 ? (chunks.have_format ? "it has no \"data\" chunk"
                                                                : "it has neither a \"fmt \" nor a \"data\" chunk")
                                          : "it has no \"fmt \" chunk before its \"data\" chunk");
        return ReadResult::Declined;
    }
    const WaveFormat& f = chunks.format;
    const std::string name = file_name_of(file.path());
    const Layout layout = decide_layout(f, name);
    if (!layout.ok) {
        // Declined, so that another reader may still take the file; the
        // reason is shown if none does.
        if (!layout.refusal.empty()) ctx.note_refusal(layout.refusal);
        return ReadResult::Declined;
    }
    if (fmt::refuse_unusable_rate(ctx, file, static_cast<double>(f.samples_per_sec))) return ReadResult::Failed;

    const std::uint64_t frames = chunks.data_bytes / f.block_align;
    CChannels& ch = rec.channels[0];
    ch.samples.reset();
    ch.set_foreign_audio(static_cast<double>(f.samples_per_sec), static_cast<double>(frames));

    int chosen = 0;
    if (f.channels >= 2) {
        // A cancelled choice ends the open: the file is a WAV file, and the
        // readers after this one would only ask again or misread it.
        const auto pick = fmt::choose_channel(ctx, f.channels);
        if (!pick) return ReadResult::Failed;
        chosen = *pick;
    }
    const std::size_t offset_in_frame = static_cast<std::size_t>(chosen) * layout.bytes_per_sample;
    const std::size_t frame_bytes = f.block_align;

    if (!ctx.is_long(ch.duration_ms)) {
        ch.allocate_samples(static_cast<std::size_t>(frames));
        std::int16_t* dst = ch.samples.data();
        // Read in pieces of whole frames so that memory stays bounded by the
        // samples kept, not by the file's data chunk.
        const std::size_t piece_frames = std::max<std::size_t>(1, (1u << 20) / frame_bytes);
        std::vector<unsigned char> buf(piece_frames * frame_bytes);
        if (!file.seek(chunks.data_offset)) throw DocumentAbort("seek failed");
        for (std::uint64_t done = 0; done < frames;) {
            const std::size_t k = static_cast<std::size_t>(std::min<std::uint64_t>(frames - done, piece_frames));
            if (!file.read_exact(buf.data(), k * frame_bytes)) throw DocumentAbort("short data chunk");
            for (std::size_t i = 0; i < k; ++i)
                dst[done + i] = convert_one(&buf[i * frame_bytes + offset_in_frame], layout.encoding);
            done += k;
        }
    } else if (layout.encoding == Encoding::Pcm16 && ctx.samples_in_place) {
        // 16-bit little-endian samples are what the raw file would hold: the
        // chosen channel is read where it lies in the data chunk, `frames`
        // samples of it (no more than the file held when its chunks were
        // walked), one frame apart.
        rec.sample_file = SampleFile{file.path(), chunks.data_offset + offset_in_frame,
                                     static_cast<std::uint32_t>(frame_bytes), true};
    } else {
        std::size_t chunk_bytes = 2000000;
        if (layout.encoding == Encoding::Pcm8 || layout.encoding == Encoding::MuLaw) chunk_bytes = 1000000;
        if (layout.encoding == Encoding::Float32 || layout.encoding == Encoding::Float64) chunk_bytes = 4000000;
        const std::size_t chunk_frames = std::max<std::size_t>(1, chunk_bytes / frame_bytes);
        const std::string raw = ctx.new_sample_file(rec);
        BinaryFile out;
        if (!out.open(raw, BinaryFile::Mode::CreateNew)) {
            ctx.prompts.save_failure_report(raw);
            throw DocumentCancelled();
        }
        std::vector<unsigned char> in(chunk_frames * frame_bytes);
        std::vector<unsigned char> conv(chunk_frames * 2);
        ProgressScope progress(ctx.progress, kReadCaption,
                               static_cast<long long>(frames / chunk_frames + 1));
        if (!file.seek(chunks.data_offset)) throw DocumentAbort("seek failed");
        for (std::uint64_t done = 0; done < frames;) {
            const std::size_t k = static_cast<std::size_t>(std::min<std::uint64_t>(frames - done, chunk_frames));
            if (!file.read_exact(in.data(), k * frame_bytes)) throw DocumentAbort("short data chunk");
            for (std::size_t i = 0; i < k; ++i)
                put_u16le(&conv[2 * i],
                          static_cast<std::uint16_t>(convert_one(&in[i * frame_bytes + offset_in_frame], layout.encoding)));
            if (!out.write(conv.data(), k * 2)) throw DocumentAbort("cannot write raw file");
            done += k;
            if (progress.step_and_check()) throw DocumentCancelled();
        }
        if (!out.close()) throw DocumentAbort("cannot write raw file");
    }

    if (f.channels >= 2) {
        rec.channel_title = name + "::Channel " + std::to_string(chosen + 1);
        rec.has_channel_title = 1;
    }
    // A data size beyond the end of the file: the frames that are there were read.
    const std::uint64_t announced = chunks.declared_data_bytes / f.block_align;
    if (announced > frames) fmt::report_short_file(ctx, file, static_cast<double>(announced), frames, ch.sample_rate);
    rec.channel_count = 1;
    rec.foreign = true;
    return ReadResult::Accepted;
}

}  // namespace vox
