#include "core/formats/native_reader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/document/marbeck_doc.h"
#include "core/document/native_format.h"
#include "core/formats/reader_support.h"
#include "core/io/binary_file.h"

namespace vox {

namespace {

constexpr const char* kPcIdent = "VXL_PC";
constexpr const char* kMacIdent = "VXL_Mac";
constexpr const char* kMacExtIdent = "VXLMACX";
constexpr const char* kReadCaption = doc_text::kReadingCaption;

std::int32_t i32(const unsigned char* p, ByteOrder o) { return o == ByteOrder::Little ? get_i32le(p) : get_i32be(p); }

bool ident_matches(const unsigned char* block, const char* ident) {
    const std::size_t n = std::strlen(ident);
    return std::memcmp(block, ident, n) == 0 && block[n] == 0;
}

enum class Form { Pc, Mac, MacExtended };

// Copies `count` samples from the file's current position to the raw file,
// one second (rate × 2 bytes) at a time, exchanging bytes when asked.
void copy_samples_to_raw(ReadContext& ctx, Recording& rec, BinaryFile& in, std::uint64_t count, bool swap) {
    const std::string raw = ctx.new_sample_file(rec);
    BinaryFile out;
    if (!out.open(raw, BinaryFile::Mode::CreateNew)) {
        ctx.prompts.save_failure_report(raw);
        throw DocumentCancelled();  // the report above was the message
    }
    const double rate = rec.channels[0].sample_rate;
    const std::uint64_t block = one_second_bytes(rate);
    std::vector<unsigned char> buf(static_cast<std::size_t>(block));
    std::uint64_t left = count * 2;
    ProgressScope progress(ctx.progress, kReadCaption, static_cast<long long>(left / block + 1));
    while (left > 0) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, block));
        if (!in.read_exact(buf.data(), n)) throw DocumentAbort("short sample data");
        if (swap)
            for (std::size_t i = 0; i + 1 < n; i += 2) std::swap(buf[i], buf[i + 1]);
        if (!out.write(buf.data(), n)) throw DocumentAbort("cannot write raw file");
        left -= n;
        if (progress.step_and_check()) throw DocumentCancelled();
    }
    if (!out.close()) throw DocumentAbort("cannot write raw file");
}

ReadResult read_native(ReadContext& ctx, BinaryFile& file, Recording& rec, Form form) {
    const std::uint64_t length = file.length();
    if (length < kIdentBlockSize + 1) return ReadResult::Declined;
    unsigned char ident[kIdentBlockSize];
    if (!file.seek(0) || !file.read_exact(ident, sizeof ident)) return ReadResult::Declined;
    const char* want = form == Form::Pc ? kPcIdent : (form == Form::Mac ? kMacIdent : kMacExtIdent);
    if (!ident_matches(ident, want)) return ReadResult::Declined;
    const ByteOrder order = form == Form::Mac ? ByteOrder::Big : ByteOrder::Little;
    if (i32(ident + 8, order) != 1) {
        fmt::note_refusal(ctx, file, want,
                          "its channel count is " + std::to_string(i32(ident + 8, order)) + "; only 1 can be read");
        return ReadResult::Declined;
    }

    rec.channel_count = 1;
    CChannels& ch = rec.channels[0];
    unsigned char hbytes[kNativeHeaderSize];
    if (!file.read_exact(hbytes, sizeof hbytes)) {
        fmt::report_unreadable(ctx, file, "its channel header is cut short");
        return ReadResult::Failed;
    }
    const NativeHeader h = decode_native_header(hbytes, order);
    apply_native_header(h, ch);
    ch.view_flag = 1;
    if (fmt::refuse_unusable_rate(ctx, file, ch.sample_rate)) return ReadResult::Failed;
    if (const std::string bad = fmt::count_problem(h.sample_count); !bad.empty()) {
        fmt::report_unreadable(ctx, file, bad);
        return ReadResult::Failed;
    }

    // Tier records: at most one per tier.
    if (h.record_count < 0 || h.record_count > kTierCount) {
        fmt::report_unreadable(ctx, file,
                               "its header gives " + std::to_string(h.record_count) + " tiers; at most " +
                                   std::to_string(kTierCount) + " can be read");
        return ReadResult::Failed;
    }
    for (int r = 0; r < h.record_count; ++r) {
        unsigned char th[kTierHeaderSize];
        if (!file.read_exact(th, sizeof th)) {
            fmt::report_unreadable(ctx, file, "the header of tier " + std::to_string(r + 1) + " is cut short");
            return ReadResult::Failed;
        }
        Tier& tier = ch.tiers[r];
        tier.labels.clear();
        tier.name = get_fixed_string(th, 256);
        const std::int32_t count = i32(th + 256, order);
        tier.height = i32(th + 260, order);
        tier.in_use = 1;
        const std::uint64_t left = length - file.tell();
        if (count < 0 || static_cast<std::uint64_t>(count) > left / kLabelRecordSize)
            throw DocumentAbort("label count beyond the file");
        bool dropped = false;
        for (std::int32_t k = 0; k < count; ++k) {
            unsigned char lb[kLabelRecordSize];
            if (!file.read_exact(lb, sizeof lb)) throw DocumentAbort("truncated label");
            const LabelRecord stored = decode_label_record(lb, order);
            LABEL label;
            std::memcpy(label.text, stored.text, sizeof label.text);
            label.text[255] = '\0';
            label.time_ms = stored.time_ms;
            label.placement = stored.placement;
            label.align = stored.align;
            label.add_line = stored.add_line != 0;
            label.rect = stored.rect;
            if (form == Form::Pc) {
                const LogFont font = LogFont::from_bytes(stored.font);
                const bool ok = stored.text_terminated && std::strlen(stored.text) < 256 && stored.time_ms >= 0.0 &&
                                stored.time_ms <= ch.duration_ms && stored.placement >= 0.0 && stored.placement <= 1.0 &&
                                static_cast<std::uint32_t>(stored.align) <= 2 &&
                                static_cast<std::uint32_t>(stored.add_line) <= 1 && font.height <= 100 &&
                                font.width <= 3000;
                if (!ok) {
                    dropped = true;
                    continue;
                }
                label.color = make_rgb(static_cast<unsigned>(stored.red), static_cast<unsigned>(stored.green),
                                       static_cast<unsigned>(stored.blue));
                if (font.height < 100 && font.width < 100) label.font = font;
            } else if (form == Form::Mac) {
                label.color = make_rgb(static_cast<unsigned>(stored.red) >> 8, static_cast<unsigned>(stored.green) >> 8,
                                       static_cast<unsigned>(stored.blue) >> 8);
                label.font = LogFont::default_gui_font();
                label.font.height = static_cast<std::int32_t>(static_cast<std::int64_t>(i32(stored.font, order)) * 4 / 3);
            } else {
                label.color = make_rgb(static_cast<unsigned>(stored.red) / 256, static_cast<unsigned>(stored.green) / 256,
                                       static_cast<unsigned>(stored.blue) / 256);
                label.font = LogFont::default_gui_font();
                const std::int32_t height = i32(stored.font, order);
                label.font.height = height < 1 ? 18 : height;
            }
            if (static_cast<std::uint32_t>(label.align) > 2) label.align = 2;
            tier.labels.push_back(label);
        }
        if (dropped) ctx.prompts.message(native_text::kLabelsEliminated);
    }

    // Samples: never more than the file holds.
    const std::uint64_t available = (length - file.tell()) / 2;
    std::uint64_t count = ch.count();
    const double announced = ch.sample_count;
    if (announced > static_cast<double>(available)) {
        count = available;
        ch.sample_count = static_cast<double>(count);
        ch.duration_ms = ch.sample_rate > 0.0 ? count * 1000.0 / ch.sample_rate : 0.0;
        ch.reset_window();
    }
    const bool swap = form != Form::Pc;
    if (!ctx.is_long(ch.duration_ms)) {
        ch.allocate_samples(static_cast<std::size_t>(count));
        std::vector<unsigned char> buf(static_cast<std::size_t>(count * 2));
        if (!file.read_exact(buf.data(), buf.size())) throw DocumentAbort("short sample data");
        std::int16_t* s = ch.samples.data();
        for (std::size_t i = 0; i < count; ++i) s[i] = swap ? get_i16be(&buf[2 * i]) : get_i16le(&buf[2 * i]);
    } else {
        ch.samples.reset();
        copy_samples_to_raw(ctx, rec, file, count, swap);
    }
    if (announced > static_cast<double>(count)) fmt::report_short_file(ctx, file, announced, count, ch.sample_rate);
    rec.foreign = false;
    return ReadResult::Accepted;
}

}  // namespace

ReadResult read_native_pc(ReadContext& ctx, BinaryFile& file, Recording& rec) {
    return read_native(ctx, file, rec, Form::Pc);
}
ReadResult read_native_mac(ReadContext& ctx, BinaryFile& file, Recording& rec) {
    return read_native(ctx, file, rec, Form::Mac);
}
ReadResult read_native_macx(ReadContext& ctx, BinaryFile& file, Recording& rec) {
    return read_native(ctx, file, rec, Form::MacExtended);
}

}  // namespace vox
