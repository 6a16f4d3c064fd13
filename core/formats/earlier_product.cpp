#include "core/formats/earlier_product.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "core/document/native_format.h"
#include "core/document/sample_rate.h"
#include "core/formats/reader_support.h"

namespace vox {

namespace {

enum class Form { Pc, Mac, PcFloat, PcFloat24 };

const char* ident_of(Form f) {
    switch (f) {
        case Form::Pc: return "LMX_PC";
        case Form::Mac: return "LMX_Mac";
        case Form::PcFloat: return "LMX_PC_FLOAT";
        case Form::PcFloat24: return "LMX_PC_FLOAT_24";
    }
    return "";
}

bool is_float(Form f) { return f == Form::PcFloat || f == Form::PcFloat24; }

// The identification text with its NUL ("LMX_PC" is a prefix of the float forms).
bool ident_matches(const unsigned char* block, const char* ident) {
    const std::size_t n = std::strlen(ident);
    return std::memcmp(block, ident, n) == 0 && block[n] == 0;
}

constexpr std::int32_t kFontHeightLimit = 1000;
constexpr std::int32_t kZeroFontHeight = 18;

// One label record as the earlier product's label: the record's font, or
// the default GUI font when its height is absurd.
LABEL to_label(const LabelRecord& rec, ByteOrder order) {
    LABEL l;
    std::memcpy(l.text, rec.text, sizeof l.text);
    l.text[255] = '\0';
    l.time_ms = rec.time_ms;
    l.align = static_cast<std::uint32_t>(rec.align) <= 2 ? rec.align : 2;
    l.rect = rec.rect;
    l.color = make_rgb(static_cast<unsigned>(rec.red), static_cast<unsigned>(rec.green),
                       static_cast<unsigned>(rec.blue));
    l.placement = 0.0;
    l.add_line = false;
    l.font = LogFont::from_bytes(rec.font, order == ByteOrder::Big);
    if (l.font.height < -kFontHeightLimit || l.font.height > kFontHeightLimit) l.font = LogFont::default_gui_font();
    if (l.font.height == 0) l.font.height = kZeroFontHeight;
    return l;
}

// A recognised file that cannot be read: its message, then the open fails.
ReadResult refuse(ReadContext& ctx, const BinaryFile& file, Form form, const std::string& what) {
    if (is_float(form)) {
        ctx.prompts.message(earlier_text::kIncorrectData);
    } else {
        fmt::report_unreadable(ctx, file, what);
    }
    return ReadResult::Failed;
}

ReadResult read_lmx(ReadContext& ctx, BinaryFile& file, Recording& rec, Form form) {
    const std::uint64_t len = file.length();
    if (len < kIdentBlockSize) return ReadResult::Declined;
    const auto ident = fmt::read_at(file, 0, kIdentBlockSize);
    if (ident.size() < kIdentBlockSize || !ident_matches(ident.data(), ident_of(form))) return ReadResult::Declined;
    const ByteOrder order = form == Form::Mac ? ByteOrder::Big : ByteOrder::Little;
    const std::size_t count_at = is_float(form) ? 32 : 8;
    const std::int32_t n =
        order == ByteOrder::Big ? get_i32be(&ident[count_at]) : get_i32le(&ident[count_at]);
    if (n < 1 || n > kMaxEarlierChannels) {
        ctx.prompts.message(earlier_text::kWrongChannelNumber);
        return ReadResult::Failed;
    }

    rec.channel_count = 0;
    std::uint64_t offset = kIdentBlockSize;
    Tier& labels_tier = rec.channels[0].tiers[0];
    std::uint64_t interleaved_frames = 0;
    try {
        for (int i = 0; i < n; ++i) {
            const std::string which = "channel " + std::to_string(i + 1);
            const auto hb = fmt::read_at(file, offset, kNativeHeaderSize);
            if (hb.size() < kNativeHeaderSize) return refuse(ctx, file, form, "the header of " + which + " is cut short");
            offset += kNativeHeaderSize;
            const NativeHeader h = decode_native_header(hb.data(), order);
            CChannels& ch = rec.channels[i];
            apply_native_header(h, ch);
            if (!sample_rate_usable(ch.sample_rate)) {
                fmt::report_unreadable(ctx, file, which + ": " + sample_rate_problem(ch.sample_rate));
                return ReadResult::Failed;
            }
            if (const std::string bad = fmt::count_problem(h.sample_count); !bad.empty()) {
                fmt::report_unreadable(ctx, file, which + ": " + bad);
                return ReadResult::Failed;
            }
            ch.view_flag = i == 0 ? 1 : 0;
            ch.clear_marks();

            // Label records: only channel 0 keeps them.
            if (h.record_count < 0 ||
                static_cast<std::uint64_t>(h.record_count) > (len - offset) / kLabelRecordSize)
                return refuse(ctx, file, form,
                              "the label count of " + which + " (" + std::to_string(h.record_count) +
                                  ") is beyond the end of the file");
            if (i == 0 && form != Form::Mac) {
                labels_tier.labels.clear();
                labels_tier.name = earlier_text::kLabelsTier;
            }
            for (std::int32_t k = 0; k < h.record_count; ++k) {
                const auto lb = fmt::read_at(file, offset, kLabelRecordSize);
                offset += kLabelRecordSize;
                if (i != 0) continue;
                const LABEL label = to_label(decode_label_record(lb.data(), order), order);
                if (form == Form::Mac) {
                    ch.append_mark(label);
                } else {
                    labels_tier.labels.push_back(label);
                    labels_tier.height = std::abs(label.font.height) + 4;
                }
            }
            if (i == 0 && form != Form::Mac) labels_tier.in_use = labels_tier.labels.empty() ? 0 : 1;

            if (form == Form::PcFloat24) {
                interleaved_frames = std::max<std::uint64_t>(interleaved_frames, ch.count());
                continue;
            }
            // Samples of this channel.
            const std::uint64_t count = ch.count();
            const unsigned width = is_float(form) ? 4 : 2;
            if (ch.sample_count > static_cast<double>((len - offset) / width)) {
                char announced[32];
                std::snprintf(announced, sizeof announced, "%.6g", ch.sample_count);
                return refuse(ctx, file, form,
                              "the samples of " + which + " are cut short (the header announces " + announced +
                                  ", the file holds " + std::to_string((len - offset) / width) + ")");
            }
            ch.allocate_samples(static_cast<std::size_t>(count));
            std::vector<unsigned char> buf(static_cast<std::size_t>(count * width));
            if (!file.seek(offset) || !file.read_exact(buf.data(), buf.size()))
                return refuse(ctx, file, form, "the samples of " + which + " could not be read");
            offset += buf.size();
            for (std::size_t s = 0; s < count; ++s) {
                const unsigned char* p = &buf[s * width];
                ch.samples[s] = form == Form::Mac  ? get_i16be(p)
                                : form == Form::Pc ? get_i16le(p)
                                                   : fmt::saturate16(static_cast<double>(get_f32le(p)) * 65536.0 * 0.5);
            }
        }

        if (form == Form::PcFloat24) {
            // Frame k holds channel c at float index k × n + c.
            const std::uint64_t frame_bytes = 4ull * static_cast<std::uint64_t>(n);
            if (interleaved_frames > (len - offset) / frame_bytes)
                return refuse(ctx, file, form, "the interleaved samples are cut short");
            std::vector<unsigned char> buf(static_cast<std::size_t>(interleaved_frames * frame_bytes));
            if (!file.seek(offset) || !file.read_exact(buf.data(), buf.size()))
                return refuse(ctx, file, form, "the interleaved samples could not be read");
            for (int c = 0; c < n; ++c) {
                CChannels& ch = rec.channels[c];
                const std::size_t count = ch.count();
                ch.allocate_samples(count);
                for (std::size_t k = 0; k < count; ++k)
                    ch.samples[k] = fmt::saturate16(
                        static_cast<double>(get_f32le(&buf[(k * static_cast<std::size_t>(n) + c) * 4])) * 65536.0 * 0.5);
            }
        }
    } catch (const std::bad_alloc&) {
        ctx.prompts.message(earlier_text::kNoMemory);
        return ReadResult::Failed;
    }

    if (is_float(form)) {
        // Files whose channels are all marked as data: the fast ones are sound.
        bool any_audio = false;
        for (int c = 0; c < n; ++c) any_audio = any_audio || rec.channels[c].channel_type == 1;
        if (!any_audio)
            for (int c = 0; c < n; ++c)
                if (rec.channels[c].sample_rate > 8000.0) rec.channels[c].channel_type = 1;
    }
    rec.channel_count = n;
    // Foreign: a plain Save must ask for a name rather than overwrite the
    // multichannel file with a one-channel native file.
    rec.foreign = true;
    return ReadResult::Accepted;
}

}  // namespace

ReadResult read_lmx_pc(ReadContext& ctx, BinaryFile& file, Recording& rec) { return read_lmx(ctx, file, rec, Form::Pc); }
ReadResult read_lmx_mac(ReadContext& ctx, BinaryFile& file, Recording& rec) { return read_lmx(ctx, file, rec, Form::Mac); }
ReadResult read_lmx_pc_float_24(ReadContext& ctx, BinaryFile& file, Recording& rec) { return read_lmx(ctx, file, rec, Form::PcFloat24); }
ReadResult read_lmx_pc_float(ReadContext& ctx, BinaryFile& file, Recording& rec) { return read_lmx(ctx, file, rec, Form::PcFloat); }

}  // namespace vox
