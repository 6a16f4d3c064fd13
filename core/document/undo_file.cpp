#include "core/document/undo_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <set>

#include "core/io/binary_file.h"
#include "core/document/raw_file_access.h"
#include "core/document/native_format.h"
#include "core/platform/progress.h"

namespace vox {

namespace {

constexpr const char* kPcIdent = "VXL_PC";

// Undo file names taken by the live UndoFile objects of this process.
std::mutex g_names_mutex;
std::set<std::string>& names_in_use() {
    static std::set<std::string> names;
    return names;
}

// The label of a PC label record (as the native reader builds it).
LABEL label_from_record(const LabelRecord& rec) {
    LABEL l;
    std::memcpy(l.text, rec.text, sizeof l.text);
    l.text[255] = '\0';
    l.time_ms = rec.time_ms;
    l.placement = rec.placement;
    l.align = static_cast<std::uint32_t>(rec.align) > 2 ? 2 : rec.align;
    l.add_line = rec.add_line != 0;
    l.rect = rec.rect;
    l.color = make_rgb(static_cast<unsigned>(rec.red), static_cast<unsigned>(rec.green),
                       static_cast<unsigned>(rec.blue));
    const LogFont font = LogFont::from_bytes(rec.font);
    if (font.height < 100 && font.width < 100) l.font = font;
    return l;
}

}  // namespace

UndoFile::UndoFile(std::string path) { set_path(std::move(path)); }

UndoFile::~UndoFile() { set_path(std::string()); }

std::string UndoFile::name_for(const std::string& folder, const std::string& title) {
    std::string base = folder;
    if (!base.empty() && base.back() != '/' && base.back() != '\\') base += '/';
    base += title;
    std::lock_guard<std::mutex> lock(g_names_mutex);
    std::string name = base + undo_text::kSuffix;
    for (int n = 2; names_in_use().count(name); ++n) name = base + "(" + std::to_string(n) + ")" + undo_text::kSuffix;
    return name;
}

void UndoFile::set_path(std::string path) {
    if (path == path_) return;
    std::lock_guard<std::mutex> lock(g_names_mutex);
    if (!path_.empty()) {
        remove_file(path_);
        names_in_use().erase(path_);
    }
    path_ = std::move(path);
    if (!path_.empty()) names_in_use().insert(path_);
    available_ = false;
    saved_tiers_.clear();
}

void UndoFile::use_title(const std::string& folder, const std::string& title) {
    if (!path_.empty() && folder == folder_ && title == title_) return;
    set_path(std::string());  // frees the old name first, so it can be taken again
    set_path(name_for(folder, title));
    folder_ = folder;
    title_ = title;
}

void UndoFile::discard() {
    available_ = false;
    saved_tiers_.clear();
    if (!path_.empty()) remove_file(path_);
}

bool UndoFile::save(CMarbeckDoc& doc) {
    available_ = false;
    saved_tiers_.clear();
    BinaryFile file;
    // Made afresh each time: the previous copy goes first, and whatever else
    // might stand under the name (a link) is never written through.
    if (!path_.empty()) remove_file(path_);
    if (path_.empty() || !file.open(path_, BinaryFile::Mode::CreateNew)) {
        doc.prompts().message(undo_text::kCreateError, MessageIcon::Error);
        return false;
    }
    const CChannels& ch = doc.channels[0];
    std::vector<int> tiers;
    bool ok = true;
    try {
        unsigned char ident[kIdentBlockSize] = {};
        std::memcpy(ident, kPcIdent, std::strlen(kPcIdent));
        put_i32le(ident + 8, doc.channel_count);
        if (!file.write(ident, sizeof ident)) throw DocumentAbort("write");

        NativeHeader h = header_from_channel(ch);
        for (int t = 0; t < kTierCount; ++t)
            if (ch.tiers[t].in_use || !ch.tiers[t].labels.empty()) tiers.push_back(t);
        h.record_count = static_cast<std::int32_t>(tiers.size());
        unsigned char hb[kNativeHeaderSize];
        encode_native_header(h, hb);
        if (!file.write(hb, sizeof hb)) throw DocumentAbort("write");

        for (int t : tiers) {
            const Tier& tier = ch.tiers[t];
            unsigned char th[kTierHeaderSize] = {};
            put_fixed_string(th, 256, tier.name);
            put_i32le(th + 256, tier.label_count());
            put_i32le(th + 260, tier.height);
            if (!file.write(th, sizeof th)) throw DocumentAbort("write");
            for (const LABEL& l : tier.labels) {
                unsigned char lb[kLabelRecordSize];
                encode_label_record(l, 0.0, lb);
                if (!file.write(lb, sizeof lb)) throw DocumentAbort("write");
            }
        }

        const std::uint64_t n = ch.count();
        if (ch.samples.valid()) {
            const std::uint64_t have = std::min<std::uint64_t>(n, ch.samples.size());
            std::vector<unsigned char> buf(static_cast<std::size_t>(have * 2));
            for (std::uint64_t i = 0; i < have; ++i) put_u16le(&buf[2 * i], static_cast<std::uint16_t>(ch.samples[i]));
            if (!file.write(buf.data(), buf.size())) throw DocumentAbort("write");
        } else if (n > 0) {
            // A long recording: one second at a time from the raw file; a
            // left-button press before a chunk abandons the copy.
            const ChannelSamples raw = doc.samples(0);
            if (!raw.readable()) throw DocumentAbort("raw");
            if (raw.count() < n) throw DocumentAbort("raw short");
            const std::uint64_t block = one_second_bytes(ch.sample_rate) / 2;  // samples
            std::vector<std::int16_t> samples(static_cast<std::size_t>(block));
            std::vector<unsigned char> buf(static_cast<std::size_t>(block * 2));
            ProgressScope progress(doc.progress(), doc_text::kSavingCaption, static_cast<long long>(n / block + 1));
            for (std::uint64_t done = 0; done < n;) {
                if (doc.progress().cancelled()) throw DocumentCancelled();
                const std::size_t k = static_cast<std::size_t>(std::min<std::uint64_t>(n - done, block));
                if (!raw.read(done, k, samples.data())) throw DocumentAbort("copy");
                for (std::size_t i = 0; i < k; ++i) put_u16le(&buf[2 * i], static_cast<std::uint16_t>(samples[i]));
                if (!file.write(buf.data(), k * 2)) throw DocumentAbort("copy");
                done += k;
                doc.progress().step();
            }
        }
        if (!file.close()) ok = false;
    } catch (const DocumentAbort&) {
        ok = false;
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (!ok) {
        file.close();
        remove_file(path_);
        doc.prompts().message(undo_text::kWriteError, MessageIcon::Error);
        return false;
    }
    saved_tiers_ = std::move(tiers);
    available_ = true;
    return true;
}

UndoFile::Restore UndoFile::restore(CMarbeckDoc& doc, bool keep_window) {
    UserPrompts& prompts = doc.prompts();
    BinaryFile file;
    if (path_.empty() || !file.open(path_, BinaryFile::Mode::Read)) {
        prompts.message(undo_text::kOpenError, MessageIcon::Error);
        return Restore::OpenFailed;
    }
    const std::uint64_t length = file.length();
    unsigned char ident[kIdentBlockSize] = {};
    const bool have_ident = file.read_exact(ident, sizeof ident);
    if (!have_ident || std::memcmp(ident, kPcIdent, std::strlen(kPcIdent) + 1) != 0) {
        prompts.message(undo_text::kWrongType, MessageIcon::Error);
        return Restore::WrongType;
    }
    if (get_i32le(ident + 8) != 1) {
        prompts.message(undo_text::kWrongChannels, MessageIcon::Error);
        return Restore::WrongChannels;
    }

    // Everything is read into a scratch channel first, so that a damaged
    // file leaves the document as it is.
    auto damaged = [&] {
        prompts.message(undo_text::kOpenError, MessageIcon::Error);
        return Restore::Damaged;
    };
    unsigned char hb[kNativeHeaderSize];
    if (!file.read_exact(hb, sizeof hb)) return damaged();
    const NativeHeader h = decode_native_header(hb, ByteOrder::Little);
    if (h.record_count < 0 || h.record_count > kTierCount) return damaged();

    struct TierCopy {
        int index;
        std::string name;
        std::int32_t height;
        std::vector<LABEL> labels;
    };
    std::vector<TierCopy> tiers;
    const bool numbered = saved_tiers_.size() == static_cast<std::size_t>(h.record_count);
    for (int r = 0; r < h.record_count; ++r) {
        unsigned char th[kTierHeaderSize];
        if (!file.read_exact(th, sizeof th)) return damaged();
        TierCopy t;
        t.index = numbered ? saved_tiers_[static_cast<std::size_t>(r)] : r;
        t.name = get_fixed_string(th, 256);
        const std::int32_t count = get_i32le(th + 256);
        t.height = get_i32le(th + 260);
        if (count < 0 || static_cast<std::uint64_t>(count) > (length - file.tell()) / kLabelRecordSize)
            return damaged();
        t.labels.reserve(static_cast<std::size_t>(count));
        for (std::int32_t k = 0; k < count; ++k) {
            unsigned char lb[kLabelRecordSize];
            if (!file.read_exact(lb, sizeof lb)) return damaged();
            t.labels.push_back(label_from_record(decode_label_record(lb, ByteOrder::Little)));
        }
        tiers.push_back(std::move(t));
    }

    CChannels scratch;
    apply_native_header(h, scratch);
    const std::uint64_t n = scratch.count();
    if ((length - file.tell()) / 2 < n) return damaged();

    CChannels& ch = doc.channels[0];
    const bool to_raw = doc.samples_on_disk();
    SampleBlock block;
    std::string new_raw;
    try {
        if (!to_raw) {
            block.allocate(static_cast<std::size_t>(n));
            std::vector<unsigned char> buf(static_cast<std::size_t>(n * 2));
            if (!file.read_exact(buf.data(), buf.size())) return damaged();
            for (std::uint64_t i = 0; i < n; ++i) block[i] = get_i16le(&buf[2 * i]);
        } else {
            // The samples go back into a fresh raw file, which replaces the
            // old one only when it was written completely.
            const SampleFile old_file = RawFileAccess::sample_file(doc);
            new_raw = doc.new_sample_file();
            RawFileAccess::set_sample_file(doc, old_file);
            BinaryFile out;
            bool copied = out.open(new_raw, BinaryFile::Mode::CreateNew);
            const std::uint64_t chunk = one_second_bytes(scratch.sample_rate);
            std::vector<unsigned char> buf(static_cast<std::size_t>(chunk));
            for (std::uint64_t left = n * 2; copied && left > 0;) {
                const std::size_t k = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk));
                copied = file.read_exact(buf.data(), k) && out.write(buf.data(), k);
                left -= k;
            }
            copied = out.close() && copied;
            if (!copied) {
                remove_file(new_raw);
                return damaged();
            }
        }
    } catch (const std::bad_alloc&) {
        return damaged();
    }

    // Commit: the parameters, the window, the tiers and the samples.
    const double wf = ch.window_first, wl = ch.window_last, ws = ch.window_start_ms, we = ch.window_end_ms;
    const double pf = ch.prev_window_first, pl = ch.prev_window_last;
    apply_native_header(h, ch);
    ch.shown = 1;
    if (keep_window) {
        ch.window_first = wf;
        ch.window_last = wl;
        ch.window_start_ms = ws;
        ch.window_end_ms = we;
        ch.prev_window_first = pf;
        ch.prev_window_last = pl;
    }
    // A tier that held no labels when the copy was made (so is not in it)
    // goes back to empty: labels read into it since are undone too.
    if (numbered) {
        std::array<bool, kTierCount> kept{};
        for (const TierCopy& t : tiers)
            if (t.index >= 0 && t.index < kTierCount) kept[static_cast<std::size_t>(t.index)] = true;
        for (int i = 0; i < kTierCount; ++i)
            if (!kept[static_cast<std::size_t>(i)]) {
                ch.tiers[static_cast<std::size_t>(i)].labels.clear();
                ch.tiers[static_cast<std::size_t>(i)].in_use = 0;
            }
    }
    for (TierCopy& t : tiers) {
        if (t.index < 0 || t.index >= kTierCount) continue;
        Tier& tier = ch.tiers[static_cast<std::size_t>(t.index)];
        tier.name = t.name;
        tier.height = t.height;
        tier.in_use = 1;
        tier.labels = std::move(t.labels);
    }
    if (to_raw) {
        const SampleFile old_file = RawFileAccess::sample_file(doc);
        RawFileAccess::set_sample_file(doc, SampleFile{new_raw});
        // A recording read in place is not the document's to remove.
        if (!old_file.borrowed) remove_file(old_file.path);
        ch.samples.reset();
    } else {
        ch.samples = std::move(block);
    }
    doc.doc_rate = ch.sample_rate;
    doc.doc_count = ch.sample_count;
    doc.doc_duration_ms = ch.duration_ms;
    available_ = false;
    saved_tiers_.clear();
    doc.changes().publish(DocChange::Samples);
    doc.changes().publish(DocChange::Labels);
    return Restore::Restored;
}

}  // namespace vox
