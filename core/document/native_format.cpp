#include "core/document/native_format.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/io/binary_file.h"
#include "core/platform/progress.h"

namespace vox {

namespace {

constexpr const char* kPcIdent = "VXL_PC";
constexpr const char* kWriteCaption = doc_text::kSavingCaption;

double f64(const unsigned char* p, ByteOrder o) { return o == ByteOrder::Little ? get_f64le(p) : get_f64be(p); }
std::int32_t i32(const unsigned char* p, ByteOrder o) { return o == ByteOrder::Little ? get_i32le(p) : get_i32be(p); }
std::uint32_t u32(const unsigned char* p, ByteOrder o) { return o == ByteOrder::Little ? get_u32le(p) : get_u32be(p); }

// Truncates toward zero into the int32 range.
std::int32_t to_i32(double v) {
    if (!std::isfinite(v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return static_cast<std::int32_t>(-2147483647 - 1);
    return static_cast<std::int32_t>(v);
}

}  // namespace

NativeHeader decode_native_header(const unsigned char* b, ByteOrder o) {
    NativeHeader h;
    h.duration_ms = f64(b + 0, o);
    h.sample_rate = f64(b + 8, o);
    h.sample_count = f64(b + 16, o);
    h.reference = f64(b + 24, o);
    h.carried_d1 = f64(b + 32, o);
    h.carried_d2 = f64(b + 40, o);
    h.carried_d3 = f64(b + 48, o);
    h.carried_d4 = f64(b + 56, o);
    h.channel_type = i32(b + 64, o);
    h.bits = i32(b + 68, o);
    h.aux_mode = i32(b + 72, o);
    h.gain_percent = i32(b + 76, o);
    h.number = i32(b + 80, o);
    if (o == ByteOrder::Big) {
        h.unit_factor = u32(b + 84, o);
        h.bandwidth_hz = u32(b + 88, o);
    } else {
        h.unit_factor = i32(b + 84, o);
        h.bandwidth_hz = i32(b + 88, o);
    }
    h.record_count = i32(b + 92, o);
    h.carried_4 = i32(b + 96, o);
    h.shown = i32(b + 100, o);
    h.carried_1 = i32(b + 104, o);
    h.carried_2 = i32(b + 108, o);
    h.carried_3 = i32(b + 112, o);
    h.name = get_fixed_string(b + 116, 64);
    h.units = get_fixed_string(b + 180, 64);
    return h;
}

void encode_native_header(const NativeHeader& h, unsigned char* b) {
    std::memset(b, 0, kNativeHeaderSize);
    put_f64le(b + 0, h.duration_ms);
    put_f64le(b + 8, h.sample_rate);
    put_f64le(b + 16, h.sample_count);
    put_f64le(b + 24, h.reference);
    put_f64le(b + 32, h.carried_d1);
    put_f64le(b + 40, h.carried_d2);
    put_f64le(b + 48, h.carried_d3);
    put_f64le(b + 56, h.carried_d4);
    put_i32le(b + 64, h.channel_type);
    put_i32le(b + 68, h.bits);
    put_i32le(b + 72, h.aux_mode);
    put_i32le(b + 76, h.gain_percent);
    put_i32le(b + 80, h.number);
    put_i32le(b + 84, static_cast<std::int32_t>(h.unit_factor));
    put_i32le(b + 88, static_cast<std::int32_t>(h.bandwidth_hz));
    put_i32le(b + 92, h.record_count);
    put_i32le(b + 96, h.carried_4);
    put_i32le(b + 100, h.shown);
    put_i32le(b + 104, h.carried_1);
    put_i32le(b + 108, h.carried_2);
    put_i32le(b + 112, h.carried_3);
    put_fixed_string(b + 116, 64, h.name);
    put_fixed_string(b + 180, 64, h.units);
}

void apply_native_header(const NativeHeader& h, CChannels& ch) {
    ch.duration_ms = h.duration_ms;
    ch.sample_rate = h.sample_rate;
    // A count that is not a finite, non-negative whole number holds nothing.
    double count = h.sample_count;
    if (!std::isfinite(count) || count < 0.0) count = 0.0;
    ch.sample_count = std::floor(count);
    ch.reference = h.reference;
    ch.carried_d1 = h.carried_d1;
    ch.carried_d2 = h.carried_d2;
    ch.carried_d3 = h.carried_d3;
    ch.carried_d4 = h.carried_d4;
    ch.channel_type = h.channel_type;
    ch.bits = h.bits;
    ch.aux_mode = h.aux_mode;
    ch.gain_percent = h.gain_percent;
    ch.number = h.number;
    ch.unit_factor = static_cast<double>(h.unit_factor);
    ch.bandwidth_hz = static_cast<double>(h.bandwidth_hz);
    ch.carried_4 = h.carried_4;
    ch.shown = h.shown;
    ch.carried_1 = h.carried_1;
    ch.carried_2 = h.carried_2;
    ch.carried_3 = h.carried_3;
    ch.name = h.name;
    ch.units = h.units;
    if (!std::isfinite(ch.duration_ms) || ch.duration_ms < 0.0) ch.duration_ms = 0.0;
    ch.reset_window();
}

NativeHeader header_from_channel(const CChannels& ch) {
    NativeHeader h;
    h.duration_ms = ch.duration_ms;
    h.sample_rate = ch.sample_rate;
    h.sample_count = ch.sample_count;
    h.reference = ch.reference;
    h.carried_d1 = ch.carried_d1;
    h.carried_d2 = ch.carried_d2;
    h.carried_d3 = ch.carried_d3;
    h.carried_d4 = ch.carried_d4;
    h.channel_type = ch.channel_type;
    h.bits = 16;
    h.aux_mode = ch.aux_mode;
    h.gain_percent = ch.gain_percent;
    h.number = ch.number;
    h.unit_factor = to_i32(ch.unit_factor);
    h.bandwidth_hz = to_i32(ch.bandwidth_hz);
    h.carried_4 = ch.carried_4;
    h.shown = ch.shown;
    h.carried_1 = ch.carried_1;
    h.carried_2 = ch.carried_2;
    h.carried_3 = ch.carried_3;
    h.name = ch.name;
    h.units = ch.units;
    return h;
}

LabelRecord decode_label_record(const unsigned char* b, ByteOrder o) {
    LabelRecord r;
    r.time_ms = f64(b + 0, o);
    r.placement = f64(b + 8, o);
    r.align = i32(b + 16, o);
    r.add_line = i32(b + 20, o);
    r.rect.left = i32(b + 24, o);
    r.rect.top = i32(b + 28, o);
    r.rect.right = i32(b + 32, o);
    r.rect.bottom = i32(b + 36, o);
    r.red = i32(b + 40, o);
    r.green = i32(b + 44, o);
    r.blue = i32(b + 48, o);
    std::memcpy(r.font, b + 52, 60);
    std::memcpy(r.text, b + 112, 256);
    r.text_terminated = std::memchr(r.text, 0, 256) != nullptr;
    r.text[255] = '\0';
    return r;
}

void encode_label_record(const LABEL& l, double time_offset_ms, unsigned char* b) {
    std::memset(b, 0, kLabelRecordSize);
    put_f64le(b + 0, l.time_ms - time_offset_ms);
    put_f64le(b + 8, l.placement);
    put_i32le(b + 16, l.align);
    put_i32le(b + 20, l.add_line ? 1 : 0);
    put_i32le(b + 24, l.rect.left);
    put_i32le(b + 28, l.rect.top);
    put_i32le(b + 32, l.rect.right);
    put_i32le(b + 36, l.rect.bottom);
    put_i32le(b + 40, static_cast<std::int32_t>(red_of(l.color)));
    put_i32le(b + 44, static_cast<std::int32_t>(green_of(l.color)));
    put_i32le(b + 48, static_cast<std::int32_t>(blue_of(l.color)));
    l.font.to_bytes(b + 52);
    std::memcpy(b + 112, l.text, 255);
    b[112 + 255] = 0;
}

void write_native_file(CMarbeckDoc& doc, BinaryFile& file, bool selection) {
    const CChannels& ch = doc.channels[0];
    const CMarbeckDoc::Range range = doc.sample_range(selection);

    unsigned char ident[kIdentBlockSize] = {};
    std::memcpy(ident, kPcIdent, std::strlen(kPcIdent));
    put_i32le(ident + 8, 1);
    if (!file.write(ident, sizeof ident)) throw DocumentAbort("write failed");

    NativeHeader h = header_from_channel(ch);
    if (selection) {
        h.duration_ms = ch.sel_hi_ms - ch.sel_lo_ms;
        h.sample_count = static_cast<double>(range.count);
    }
    int tiers_in_use = 0;
    for (const Tier& t : ch.tiers) tiers_in_use += t.in_use != 0;
    h.record_count = tiers_in_use;
    unsigned char hb[kNativeHeaderSize];
    encode_native_header(h, hb);
    if (!file.write(hb, sizeof hb)) throw DocumentAbort("write failed");

    for (const Tier& t : ch.tiers) {
        if (!t.in_use) continue;
        std::vector<const LABEL*> chosen;
        for (const LABEL& l : t.labels)
            if (!selection || (l.time_ms > ch.sel_lo_ms && l.time_ms < ch.sel_hi_ms)) chosen.push_back(&l);
        unsigned char th[kTierHeaderSize] = {};
        put_fixed_string(th, 256, t.name);
        put_i32le(th + 256, static_cast<std::int32_t>(chosen.size()));
        put_i32le(th + 260, t.height);
        if (!file.write(th, sizeof th)) throw DocumentAbort("write failed");
        for (const LABEL* l : chosen) {
            unsigned char lb[kLabelRecordSize];
            encode_label_record(*l, selection ? ch.sel_lo_ms : 0.0, lb);
            if (!file.write(lb, sizeof lb)) throw DocumentAbort("write failed");
        }
    }

    // Samples in a file are copied a second at a time behind the progress window.
    const ChannelSamples from = doc.samples(0);
    switch (from.write_le16(file, range.start, range.count, ch.sample_rate,
                            from.in_memory() ? nullptr : &doc.progress(), kWriteCaption)) {
        case CopyOutcome::Done: return;
        case CopyOutcome::Cancelled: throw DocumentCancelled();
        case CopyOutcome::Failed: break;
    }
    throw DocumentAbort("copy failed");
}

}  // namespace vox
