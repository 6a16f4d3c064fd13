#include "core/document/doc_edit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>

#include "core/document/raw_file_access.h"
#include "core/io/binary_file.h"

namespace vox {

namespace {

std::int16_t saturate16(double v) {
    if (!(v == v)) return 0;  // NaN
    if (v >= 32767.0) return 32767;
    if (v <= -32768.0) return -32768;
    return static_cast<std::int16_t>(v);  // truncation toward zero
}

// Samples of a channel actually present in its block.
std::size_t present(const CChannels& ch) { return ch.samples.valid() ? std::min(ch.count(), ch.samples.size()) : 0; }

// Sample index → ms with the channel's own conversion (0 for an empty channel).
double index_ms(const CChannels& ch, std::size_t i) {
    return ch.sample_count > 0.0 ? static_cast<double>(i) * ch.duration_ms / ch.sample_count : 0.0;
}

std::size_t clamp_index(double pos, std::size_t n) {
    if (!(pos > 0.0)) return 0;
    if (pos >= static_cast<double>(n)) return n;
    return static_cast<std::size_t>(pos);
}

// The parameters of a channel without its sample and analysis blocks.
void copy_parameters(const CChannels& from, CChannels& to) {
    to.channel_type = from.channel_type;
    to.sample_rate = from.sample_rate;
    to.bits = from.bits;
    to.aux_mode = from.aux_mode;
    to.gain_percent = from.gain_percent;
    to.name = from.name;
    to.number = from.number;
    to.shown = from.shown;
    to.view_flag = from.view_flag;
    to.carried_1 = from.carried_1;
    to.carried_2 = from.carried_2;
    to.carried_3 = from.carried_3;
    to.units = from.units;
    to.unit_factor = from.unit_factor;
    to.bandwidth_hz = from.bandwidth_hz;
    to.reference = from.reference;
    to.carried_4 = from.carried_4;
    to.param_a = from.param_a;
    to.param_b = from.param_b;
    to.carried_d1 = from.carried_d1;
    to.carried_d2 = from.carried_d2;
    to.carried_d3 = from.carried_d3;
    to.carried_d4 = from.carried_d4;
    to.smooth_points = from.smooth_points;
    to.smooth_on = from.smooth_on;
}

void clear_marker_and_selection(CChannels& ch) {
    ch.marker_px = ch.sel_anchor_px = ch.sel_moving_px = 0;
    ch.marker_sample = ch.marker_ms = ch.marker_value = 0.0;
    ch.sel_start_sample = ch.sel_end_sample = ch.sel_start_ms = ch.sel_end_ms = 0.0;
    ch.sel_lo_sample = ch.sel_hi_sample = ch.sel_lo_ms = ch.sel_hi_ms = 0.0;
    ch.sel_length_ms = ch.sel_length_samples = 0.0;
}

// Sets the count and duration of a channel from its new length and keeps
// its window inside it.
void set_length(CChannels& ch, std::size_t n) {
    ch.sample_count = static_cast<double>(n);
    ch.duration_ms = ch.sample_rate > 0.0 ? static_cast<double>(n) * 1000.0 / ch.sample_rate : 0.0;
    ch.window_first = std::clamp(ch.window_first, 0.0, ch.sample_count);
    ch.window_last = std::clamp(ch.window_last, ch.window_first, ch.sample_count);
    ch.prev_window_first = std::clamp(ch.prev_window_first, 0.0, ch.sample_count);
    ch.prev_window_last = std::clamp(ch.prev_window_last, ch.prev_window_first, ch.sample_count);
    ch.window_start_ms = ch.window_start_in_ms();
    ch.window_end_ms = ch.window_end_in_ms();
}

// Labels of every tier, used or not, follow a removal of (start_ms, end_ms)
// and an insertion of `inserted_ms` at start_ms: labels strictly inside go,
// labels at or after the end keep their place in the audio. A tier out of use
// keeps its labels undrawn, so they must move too or they would be wrong
// once the tier is shown again.
void relabel_replace(CChannels& ch, double start_ms, double end_ms, double inserted_ms) {
    const double delta = inserted_ms - (end_ms - start_ms);
    for (Tier& tier : ch.tiers) {
        auto& ls = tier.labels;
        ls.erase(std::remove_if(ls.begin(), ls.end(),
                                [&](const LABEL& l) { return l.time_ms > start_ms && l.time_ms < end_ms; }),
                 ls.end());
        for (LABEL& l : ls)
            if (l.time_ms >= end_ms) l.time_ms += delta;
    }
}

// Labels strictly later than `at_ms` move by `inserted_ms`.
void relabel_insert(CChannels& ch, double at_ms, double inserted_ms) {
    for (Tier& tier : ch.tiers)
        for (LABEL& l : tier.labels)
            if (l.time_ms > at_ms) l.time_ms += inserted_ms;
}

// The clip's labels join the tiers in use of the document at `at_ms`.
void add_clip_labels(CChannels& ch, const CChannels& clip, double at_ms) {
    for (int t = 0; t < kTierCount; ++t) {
        Tier& tier = ch.tiers[t];
        if (!tier.in_use) continue;
        for (LABEL l : clip.tiers[t].labels) {
            l.time_ms += at_ms;
            tier.labels.push_back(l);
        }
    }
}

// A new block: [0, cut_from) of the channel, then `insert`, then [cut_to, N).
SampleBlock spliced(const CChannels& ch, std::size_t cut_from, std::size_t cut_to, const std::int16_t* insert,
                    std::size_t insert_n) {
    const std::size_t n = present(ch);
    cut_from = std::min(cut_from, n);
    cut_to = std::clamp(cut_to, cut_from, n);
    SampleBlock b;
    b.allocate(n - (cut_to - cut_from) + insert_n);
    std::int16_t* d = b.data();
    const std::int16_t* s = ch.samples.data();
    std::copy(s, s + cut_from, d);
    if (insert_n) std::copy(insert, insert + insert_n, d + cut_from);
    std::copy(s + cut_to, s + n, d + cut_from + insert_n);
    return b;
}

// Reads samples [start, start + count) of the raw file one second at a
// time behind the progress window; false when cancelled or short.
bool read_raw_stretch(CMarbeckDoc& doc, double rate, std::uint64_t start, std::uint64_t count, std::int16_t* dst) {
    const ChannelSamples raw = doc.samples(0);
    if (!raw.readable() || start > raw.count() || count > raw.count() - start) return false;
    const std::uint64_t chunk = one_second_bytes(rate) / 2;  // samples
    std::uint64_t done = 0;
    ProgressScope progress(doc.progress(), doc_text::kReadingCaption, static_cast<long long>(count / chunk + 1));
    while (done < count) {
        if (doc.progress().cancelled()) return false;
        const std::size_t k = static_cast<std::size_t>(std::min<std::uint64_t>(count - done, chunk));
        if (!raw.read(start + done, k, dst + done)) return false;
        done += k;
        doc.progress().step();
    }
    return true;
}

// A raw file opened for reading and writing in place.
struct RawFile {
    std::FILE* f = nullptr;
    explicit RawFile(const std::string& path) : f(path.empty() ? nullptr : std::fopen(path.c_str(), "r+b")) {}
    ~RawFile() {
        if (f) std::fclose(f);
    }
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;
    bool read_at(std::uint64_t at, unsigned char* p, std::size_t n) {
        return std::fseek(f, static_cast<long>(at), SEEK_SET) == 0 && std::fread(p, 1, n, f) == n;
    }
    bool write_at(std::uint64_t at, const unsigned char* p, std::size_t n) {
        return std::fseek(f, static_cast<long>(at), SEEK_SET) == 0 && std::fwrite(p, 1, n, f) == n;
    }
    bool close() {
        const bool ok = std::fclose(f) == 0;
        f = nullptr;
        return ok;
    }
};

}  // namespace

void EditClip::clear() {
    holds_data = false;
    channel_count = 0;
    for (CChannels& ch : channels) {
        ch.samples.reset();
        clear_marker_and_selection(ch);
        ch.sample_count = 0.0;
        ch.duration_ms = 0.0;
        for (Tier& t : ch.tiers) t.labels.clear();
    }
}

EditStretch selection_stretch(const CChannels& ch) {
    const std::size_t n = ch.count();
    EditStretch s;
    s.start = clamp_index(ch.sel_lo_sample, n);
    s.end = std::max(s.start, clamp_index(ch.sel_hi_sample, n));
    s.start_ms = index_ms(ch, s.start);
    s.end_ms = index_ms(ch, s.end);
    return s;
}

bool is_long_channel(const CMarbeckDoc& doc, int channel) {
    if (channel < 0 || channel >= kMaxChannels) return false;
    return !doc.channels[static_cast<std::size_t>(channel)].samples.valid();
}

void sync_document_counts(CMarbeckDoc& doc) {
    const CChannels& ch = doc.channels[0];
    doc.doc_rate = ch.sample_rate;
    doc.doc_count = ch.sample_count;
    doc.doc_duration_ms = ch.duration_ms;
}

bool copy_selection(CMarbeckDoc& doc, EditClip& clip) {
    clip.clear();
    try {
        for (int c = 0; c < doc.channel_count; ++c) {
            const CChannels& src = doc.channels[static_cast<std::size_t>(c)];
            CChannels& dst = clip.channels[static_cast<std::size_t>(c)];
            const EditStretch s = selection_stretch(src);
            copy_parameters(src, dst);
            dst.sel_start_sample = dst.sel_lo_sample = static_cast<double>(s.start);
            dst.sel_end_sample = dst.sel_hi_sample = static_cast<double>(s.end);
            dst.sel_start_ms = dst.sel_lo_ms = s.start_ms;
            dst.sel_end_ms = dst.sel_hi_ms = s.end_ms;
            dst.sel_length_samples = static_cast<double>(s.length());
            dst.sel_length_ms = s.duration_ms();
            dst.sample_count = static_cast<double>(s.length());
            dst.duration_ms = s.duration_ms();
            dst.reset_window();
            for (int t = 0; t < kTierCount; ++t) {
                const Tier& from = src.tiers[t];
                Tier& to = dst.tiers[t];
                to.name = from.name;
                to.band = from.band;
                to.height = from.height;
                to.in_use = from.in_use;
                to.labels.clear();
                if (!from.in_use) continue;
                for (const LABEL& l : from.labels) {
                    if (!(l.time_ms > s.start_ms && l.time_ms < s.end_ms)) continue;
                    LABEL moved = l;
                    moved.time_ms -= s.start_ms;
                    to.labels.push_back(moved);
                }
            }
            if (src.samples.valid()) {
                const std::size_t n = present(src);
                const std::size_t a = std::min(s.start, n), b = std::min(s.end, n);
                dst.samples.assign(src.samples.data() + a, b - a);
            } else {
                dst.samples.allocate(s.length());
                if (!read_raw_stretch(doc, src.sample_rate, s.start, s.length(), dst.samples.data())) {
                    clip.clear();
                    return false;
                }
            }
        }
    } catch (const std::bad_alloc&) {
        clip.clear();
        return false;
    }
    clip.channel_count = doc.channel_count;
    clip.holds_data = doc.channel_count > 0;
    return true;
}

EditResult cut_selection(CMarbeckDoc& doc) {
    for (int c = 0; c < doc.channel_count; ++c) {
        if (is_long_channel(doc, c)) {
            doc.prompts().message(edit_text::kCutLong, MessageIcon::Warning);
            return EditResult::Refused;
        }
    }
    // Every new block first, so that a failed allocation changes nothing.
    std::vector<SampleBlock> blocks(static_cast<std::size_t>(std::max(0, doc.channel_count)));
    std::vector<EditStretch> stretches(blocks.size());
    try {
        for (std::size_t c = 0; c < blocks.size(); ++c) {
            stretches[c] = selection_stretch(doc.channels[c]);
            blocks[c] = spliced(doc.channels[c], stretches[c].start, stretches[c].end, nullptr, 0);
        }
    } catch (const std::bad_alloc&) {
        return EditResult::Failed;
    }
    for (std::size_t c = 0; c < blocks.size(); ++c) {
        CChannels& ch = doc.channels[c];
        const EditStretch& s = stretches[c];
        // The count always agrees with the block, also when every sample
        // went: an empty channel keeps an empty block and duration 0.
        const std::size_t n = blocks[c].size();
        ch.samples = std::move(blocks[c]);
        relabel_replace(ch, s.start_ms, s.end_ms, 0.0);
        set_length(ch, n);
        ch.intensity_valid = 0;
        clear_marker_and_selection(ch);
    }
    doc.selection_active = 0;
    sync_document_counts(doc);
    doc.changes().publish(DocChange::Samples);
    doc.changes().publish(DocChange::Labels);
    doc.changes().publish(DocChange::Selection);
    return EditResult::Done;
}

namespace {

EditResult paste_into_empty(CMarbeckDoc& doc, const EditClip& clip) {
    std::vector<SampleBlock> blocks(static_cast<std::size_t>(clip.channel_count));
    try {
        for (std::size_t c = 0; c < blocks.size(); ++c) {
            const CChannels& from = clip.channels[c];
            blocks[c].assign(from.samples.data(), present(from));
        }
    } catch (const std::bad_alloc&) {
        return EditResult::Failed;
    }
    doc.channel_count = clip.channel_count;
    for (std::size_t c = 0; c < blocks.size(); ++c) {
        const CChannels& from = clip.channels[c];
        CChannels& ch = doc.channels[c];
        copy_parameters(from, ch);
        const std::size_t n = blocks[c].size();
        ch.samples = std::move(blocks[c]);
        ch.sample_count = static_cast<double>(n);
        ch.duration_ms = ch.sample_rate > 0.0 ? static_cast<double>(n) * 1000.0 / ch.sample_rate : 0.0;
        ch.reset_window();
        clear_marker_and_selection(ch);
        ch.intensity_valid = 0;
        for (int t = 0; t < kTierCount; ++t) {
            const Tier& ft = from.tiers[t];
            if (!ft.in_use) continue;
            Tier& tier = ch.tiers[t];
            tier.name = ft.name;
            tier.band = ft.band;
            tier.height = ft.height;
            tier.in_use = ft.in_use;
            tier.labels = ft.labels;
        }
    }
    sync_document_counts(doc);
    doc.loaded = 1;
    doc.is_recording = 0;
    doc.selection_active = 0;
    doc.changes().publish(DocChange::Samples);
    doc.changes().publish(DocChange::Labels);
    doc.changes().publish(DocChange::Selection);
    return EditResult::Done;
}

}  // namespace

EditResult paste_clip(CMarbeckDoc& doc, const EditClip& clip, bool replace) {
    if (!clip.holds_data || clip.channel_count <= 0) return EditResult::Refused;
    if (doc.channel_count == 0) return paste_into_empty(doc, clip);
    for (int c = 0; c < doc.channel_count; ++c) {
        if (is_long_channel(doc, c)) {
            doc.prompts().message(edit_text::kPasteLong, MessageIcon::Warning);
            return EditResult::Refused;
        }
    }
    if (clip.channel_count != doc.channel_count) {
        doc.prompts().beep();
        doc.prompts().message(edit_text::kPasteChannels, MessageIcon::Warning);
        return EditResult::Refused;
    }
    for (int c = 0; c < doc.channel_count; ++c) {
        if (doc.channels[static_cast<std::size_t>(c)].sample_rate != clip.channels[static_cast<std::size_t>(c)].sample_rate) {
            doc.prompts().beep();
            doc.prompts().message(edit_text::kPasteRates, MessageIcon::Warning);
            return EditResult::Refused;
        }
    }
    const std::size_t count = static_cast<std::size_t>(doc.channel_count);
    std::vector<SampleBlock> blocks(count);
    std::vector<EditStretch> places(count);
    try {
        for (std::size_t c = 0; c < count; ++c) {
            const CChannels& ch = doc.channels[c];
            const CChannels& from = clip.channels[c];
            EditStretch s;
            if (replace) {
                s = selection_stretch(ch);
            } else {
                s.start = s.end = clamp_index(ch.marker_sample, ch.count());
                s.start_ms = s.end_ms = index_ms(ch, s.start);
            }
            places[c] = s;
            blocks[c] = spliced(ch, s.start, s.end, from.samples.data(), present(from));
        }
    } catch (const std::bad_alloc&) {
        return EditResult::Failed;
    }
    for (std::size_t c = 0; c < count; ++c) {
        CChannels& ch = doc.channels[c];
        const CChannels& from = clip.channels[c];
        const EditStretch& s = places[c];
        const std::size_t n = blocks[c].size();
        const double clip_ms = from.sample_rate > 0.0 ? static_cast<double>(present(from)) * 1000.0 / from.sample_rate : 0.0;
        const double growth = static_cast<double>(present(from)) - static_cast<double>(s.length());
        ch.samples = std::move(blocks[c]);
        if (replace)
            relabel_replace(ch, s.start_ms, s.end_ms, clip_ms);
        else
            relabel_insert(ch, s.start_ms, clip_ms);
        add_clip_labels(ch, from, s.start_ms);
        ch.window_last += growth;  // the window span grows with the paste
        set_length(ch, n);
        ch.intensity_valid = 0;
        clear_marker_and_selection(ch);
    }
    doc.selection_active = 0;
    sync_document_counts(doc);
    doc.changes().publish(DocChange::Samples);
    doc.changes().publish(DocChange::Labels);
    doc.changes().publish(DocChange::Selection);
    return EditResult::Done;
}

EditResult clear_to_reference(CMarbeckDoc& doc) {
    if (doc.channel_count <= 0) return EditResult::Refused;
    CChannels& ch = doc.channels[0];
    if (!ch.samples.valid()) {
        doc.prompts().message(edit_text::kClearLong, MessageIcon::Warning);
        return EditResult::Refused;
    }
    const EditStretch s = selection_stretch(ch);
    const std::size_t n = present(ch);
    const std::int16_t v = saturate16(ch.reference);
    std::fill(ch.samples.data() + std::min(s.start, n), ch.samples.data() + std::min(s.end, n), v);
    doc.changes().publish(DocChange::Samples);
    return EditResult::Done;
}

std::vector<int> set_reference_all(CMarbeckDoc& doc, bool zero) {
    std::vector<int> recompute;
    for (int c = 0; c < doc.channel_count; ++c) {
        CChannels& ch = doc.channels[static_cast<std::size_t>(c)];
        if (zero) {
            ch.reference = 0.0;
        } else if (ch.channel_type != 1) {
            // The stored sample at the cursor time (not less the old reference).
            const std::size_t n = present(ch);
            if (n == 0 || !(ch.duration_ms > 0.0)) continue;
            const double pos = ch.sample_count / ch.duration_ms * ch.marker_ms;
            ch.reference = ch.samples[std::min(clamp_index(pos, n), n - 1)];
        }
        if (ch.intensity_valid) recompute.push_back(c);
    }
    doc.changes().publish(DocChange::Samples);
    return recompute;
}

std::int16_t reference_gain_sample(std::int16_t s, double reference, double gain_percent) {
    const double ref = std::trunc(std::isfinite(reference) ? std::clamp(reference, -1e9, 1e9) : 0.0);
    // Each step saturates at the 16-bit limits: wrapping would turn a loud
    // positive peak into a full negative one.
    const double shifted = saturate16(static_cast<double>(s) + ref);
    const double gain = std::isfinite(gain_percent) ? gain_percent : 0.0;
    return saturate16(shifted + shifted * gain / 100.0);
}

bool apply_reference_gain(CMarbeckDoc& doc, double reference, double gain_percent) {
    if (doc.channel_count <= 0) return false;
    const PublishOnExit notice(doc.changes(), {DocChange::Samples});
    CChannels& ch = doc.channels[0];
    if (ch.samples.valid()) {
        const std::size_t n = present(ch);
        for (std::size_t i = 0; i < n; ++i) ch.samples[i] = reference_gain_sample(ch.samples[i], reference, gain_percent);
        return true;
    }
    // Samples read in place get a raw file of the document's own first.
    if (!doc.own_sample_file()) return false;
    RawFile raw(RawFileAccess::raw_path(doc));
    if (!raw.f) return false;
    const std::uint64_t total = std::min<std::uint64_t>(ch.count(), file_size(RawFileAccess::raw_path(doc)) / 2) * 2;
    const std::uint64_t chunk = one_second_bytes(ch.sample_rate);
    std::vector<unsigned char> buf(static_cast<std::size_t>(chunk));
    ProgressScope progress(doc.progress(), doc_text::kReadingCaption, static_cast<long long>(total / chunk + 1));
    for (std::uint64_t at = 0; at < total;) {
        if (doc.progress().cancelled()) return false;
        const std::size_t k = static_cast<std::size_t>(std::min<std::uint64_t>(total - at, chunk));
        if (!raw.read_at(at, buf.data(), k)) return false;
        for (std::size_t i = 0; i + 1 < k; i += 2)
            put_u16le(&buf[i], static_cast<std::uint16_t>(reference_gain_sample(get_i16le(&buf[i]), reference, gain_percent)));
        if (!raw.write_at(at, buf.data(), k)) return false;
        at += k;
        doc.progress().step();
    }
    return raw.close();
}

namespace {

// Moving average of a long recording in its raw file. Sample i becomes the
// mean of the original samples i … i + w − 1 (the in-place pass overwrites a
// sample only after every window that reads it), so one second is done at a
// time from the original samples of that second and the w − 1 after it.
bool smooth_raw(CMarbeckDoc& doc, const CChannels& ch) {
    if (!doc.own_sample_file()) return false;
    const long long w = static_cast<long long>(ch.smooth_points);
    const std::uint64_t n = std::min<std::uint64_t>(ch.count(), file_size(RawFileAccess::raw_path(doc)) / 2);
    if (w <= 0 || n <= static_cast<std::uint64_t>(w)) return true;
    const std::uint64_t outputs = n - static_cast<std::uint64_t>(w);
    RawFile raw(RawFileAccess::raw_path(doc));
    if (!raw.f) return false;
    const std::uint64_t block = one_second_bytes(ch.sample_rate) / 2;
    std::vector<unsigned char> in(static_cast<std::size_t>((block + static_cast<std::uint64_t>(w)) * 2));
    std::vector<unsigned char> out(static_cast<std::size_t>(block * 2));
    for (std::uint64_t b = 0; b < outputs; b += block) {
        const std::uint64_t m = std::min(block, outputs - b);
        const std::uint64_t need = std::min<std::uint64_t>(m + static_cast<std::uint64_t>(w) - 1, n - b);
        if (!raw.read_at(b * 2, in.data(), static_cast<std::size_t>(need * 2))) return false;
        long long sum = 0;
        for (long long k = 0; k < w; ++k) sum += get_i16le(&in[static_cast<std::size_t>(2 * k)]);
        for (std::uint64_t i = 0; i < m; ++i) {
            put_u16le(&out[static_cast<std::size_t>(2 * i)], static_cast<std::uint16_t>(static_cast<std::int16_t>(sum / w)));
            if (i + 1 < m)
                sum += get_i16le(&in[static_cast<std::size_t>(2 * (i + static_cast<std::uint64_t>(w)))]) -
                       get_i16le(&in[static_cast<std::size_t>(2 * i)]);
        }
        if (!raw.write_at(b * 2, out.data(), static_cast<std::size_t>(m * 2))) return false;
    }
    return raw.close();
}

}  // namespace

bool smooth_channels(CMarbeckDoc& doc) {
    const PublishOnExit notice(doc.changes(), {DocChange::Samples});
    bool ok = true;
    for (int c = 0; c < doc.channel_count; ++c) {
        CChannels& ch = doc.channels[static_cast<std::size_t>(c)];
        if (!ch.smooth_on) continue;
        if (ch.samples.valid())
            ch.smooth();
        else if (c == 0 && doc.samples_on_disk())
            ok = smooth_raw(doc, ch) && ok;
        else
            ok = false;  // no samples anywhere: nothing to smooth
    }
    return ok;
}

}  // namespace vox
