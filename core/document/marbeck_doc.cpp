#include "core/document/marbeck_doc.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <new>
#include <vector>

#include "core/document/native_format.h"
#include "core/document/sample_rate.h"
#include "core/io/binary_file.h"
#include "core/io/wave_header.h"

namespace vox {

namespace {
std::string file_name_of(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// `path` names the recording whose samples are read in place (false when
// either does not exist).
bool writes_over_borrowed(const SampleFile& f, const std::string& path) {
    if (!f.borrowed || f.path.empty()) return false;
    std::error_code ec;
    return std::filesystem::equivalent(f.path, path, ec) && !ec;
}
}  // namespace

CMarbeckDoc::CMarbeckDoc(DocServices services, const OptionBlock& opts) : options(opts), services_(services) {
    delete_contents();
}

CMarbeckDoc::~CMarbeckDoc() {
    for (const auto& p : owned_temp_files_) remove_file(p);
}

void CMarbeckDoc::set_path(const std::string& path) {
    path_ = path;
    title_ = file_name_of(path);
    if (on_path_changed) on_path_changed(path);
}

void CMarbeckDoc::delete_contents() {
    for (auto& ch : channels) ch = CChannels();
    for (int t = 0; t < kTierCount; ++t) channels[0].tiers[t].name = options.tier_names[t];
    channels[0].sample_rate = options.sample_rate;
    channel_count = 0;
    loaded = 0;
    has_channel_title = 0;
    channel_title.clear();
    raw_ = SampleFile{};
}

std::string CMarbeckDoc::new_sample_file() {
    raw_ = SampleFile{services_.temp_names.next()};
    owned_temp_files_.push_back(raw_.path);
    return raw_.path;
}

void CMarbeckDoc::adopt_sample_file(std::string path) { raw_ = SampleFile{std::move(path)}; }

void CMarbeckDoc::drop_sample_file() { raw_ = SampleFile{}; }

bool CMarbeckDoc::own_sample_file() {
    if (!sample_file_borrowed()) return true;
    const ChannelSamples from = samples(0);
    if (!from.readable()) return false;
    const std::string path = services_.temp_names.next();
    BinaryFile out;
    if (!out.open(path, BinaryFile::Mode::CreateNew)) return false;
    owned_temp_files_.push_back(path);
    const std::uint64_t n = from.count();
    constexpr std::uint64_t kPiece = 1u << 18;  // samples
    std::vector<std::int16_t> s(static_cast<std::size_t>(std::min(n, kPiece)));
    std::vector<unsigned char> bytes(s.size() * 2);
    bool ok = true;
    for (std::uint64_t done = 0; ok && done < n;) {
        const std::size_t k = static_cast<std::size_t>(std::min(n - done, kPiece));
        ok = from.read(done, k, s.data());
        for (std::size_t i = 0; ok && i < k; ++i) put_u16le(&bytes[2 * i], static_cast<std::uint16_t>(s[i]));
        ok = ok && out.write(bytes.data(), k * 2);
        done += k;
    }
    ok = out.close() && ok;
    if (!ok) {
        remove_file(path);
        return false;
    }
    raw_ = SampleFile{path};
    return true;
}

bool CMarbeckDoc::is_long(double duration_ms) const { return duration_ms / 60000.0 >= options.long_file_minutes; }

// --- reading ---------------------------------------------------------------------

void CMarbeckDoc::adopt(Recording&& rec, std::vector<std::string> temp_files) {
    for (auto& f : temp_files) owned_temp_files_.push_back(std::move(f));
    channels = std::move(rec.channels);
    channel_count = rec.channel_count;
    channel_title = std::move(rec.channel_title);
    has_channel_title = rec.has_channel_title;
    // A borrowed file is never among owned_temp_files_: nothing the document removes.
    raw_ = std::move(rec.sample_file);
    format_name_ = std::move(rec.format_name);
    foreign_format = rec.foreign ? 1 : 0;
    modified_ = false;
    if (services_.session) services_.session->current_rate_hz = channels[0].sample_rate;
    // Analysis values the person did not choose follow the recording's rate.
    fit_analysis_options(options, channels[0].sample_rate);
    is_recording = 0;
    loaded = 1;
    doc_rate = channels[0].sample_rate;
    doc_count = channels[0].sample_count;
    doc_duration_ms = channels[0].duration_ms;
    publish_reload();
}

void CMarbeckDoc::publish_reload() const {
    changes_.publish(DocChange::Samples);
    changes_.publish(DocChange::Labels);
}

// --- ranges and sample access -------------------------------------------------------------

CMarbeckDoc::Range CMarbeckDoc::sample_range(bool selection) const {
    const CChannels& ch = channels[0];
    const std::uint64_t n = ch.count();
    Range r;
    if (!selection) {
        r.count = n;
        return r;
    }
    auto clamp_pos = [n](double v) -> std::uint64_t {
        if (!(v > 0.0)) return 0;
        if (v >= static_cast<double>(n)) return n;
        return static_cast<std::uint64_t>(v);
    };
    const std::uint64_t lo = clamp_pos(ch.sel_lo_sample);
    const std::uint64_t hi = clamp_pos(ch.sel_hi_sample);
    r.start = lo;
    r.count = hi > lo ? hi - lo : 0;
    return r;
}

ChannelSamples CMarbeckDoc::samples(int channel) const {
    if (channel < 0 || channel >= kMaxChannels) return {};
    const CChannels& ch = channels[static_cast<std::size_t>(channel)];
    if (ch.samples.valid()) return ChannelSamples::memory(ch.samples.data(), std::min<std::uint64_t>(ch.count(), ch.samples.size()));
    if (channel == 0 && !raw_.path.empty()) return ChannelSamples::in_file(raw_.path, raw_.offset, raw_.stride, ch.count());
    return {};
}

bool CMarbeckDoc::read_audio(std::uint64_t start, std::uint64_t count, std::int16_t* dst) const {
    if (count == 0) return true;
    const ChannelSamples src = samples(0);
    for (std::uint64_t done = 0; done < count;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count - done, 1u << 20));
        if (!src.read(start + done, n, dst + done)) return false;
        done += n;
    }
    return true;
}

// --- saving ----------------------------------------------------------------------

std::string CMarbeckDoc::default_name(const char* prefix) const {
    std::string t = title_;
    std::replace(t.begin(), t.end(), '.', '_');
    return std::string(prefix) + t;
}

bool CMarbeckDoc::write_native(const std::string& path) {
    // The save replaces the file the samples are read from: they move into a
    // file of the document's own first.
    if (writes_over_borrowed(raw_, path) && !own_sample_file()) {
        prompts().save_failure_report(path);
        return false;
    }
    AtomicFileWriter out;
    if (!out.open(path)) {
        prompts().save_failure_report(path);
        return false;
    }
    try {
        write_native_file(*this, out.file(), selection_active != 0);
    } catch (const DocumentCancelled&) {
        return false;
    } catch (const DocumentAbort&) {
        prompts().save_failure_report(path);
        return false;
    }
    if (!out.commit()) {
        prompts().save_failure_report(path);
        return false;
    }
    return true;
}

bool CMarbeckDoc::write_wave(const std::string& path, bool selection) {
    if (writes_over_borrowed(raw_, path) && !own_sample_file()) return false;
    AtomicFileWriter out;
    if (!out.open(path)) return false;
    try {
        write_wave_channel(out.file(), selection);
    } catch (const DocumentAbort&) {
        return false;
    }
    return out.commit();
}

void CMarbeckDoc::write_wave_channel(BinaryFile& file, bool selection) {
    const CChannels& ch = channels[0];
    const double rate_d = ch.sample_rate;
    const std::uint32_t rate = rate_d >= 1.0 && rate_d < 4294967295.0 / 2 ? static_cast<std::uint32_t>(rate_d) : 0;
    const Range range = sample_range(selection && selection_active);
    const std::uint64_t bytes = range.count * 2;
    if (bytes > 0xFFFFFFFFull - 36) throw DocumentAbort("too long for a WAV file");
    const ChannelSamples from = samples(0);
    if (!from.held()) throw DocumentAbort("no samples");
    if (range.start + range.count > from.count()) throw DocumentAbort("range beyond the samples");
    unsigned char h[44];
    make_wave_header(h, rate, static_cast<std::uint32_t>(bytes));
    if (!file.write(h, sizeof h)) throw DocumentAbort("write failed");
    // Samples in a file are copied a second at a time behind the progress window.
    switch (from.write_le16(file, range.start, range.count, rate_d, from.in_memory() ? nullptr : &progress(),
                            doc_text::kSavingCaption)) {
        case CopyOutcome::Done: return;
        case CopyOutcome::Cancelled: throw DocumentCancelled();
        case CopyOutcome::Failed: break;
    }
    throw DocumentAbort("write failed");
}

bool CMarbeckDoc::save() {
    if (foreign_format || is_recording || path_.empty()) return save_as();
    selection_active = 0;
    if (!write_native(path_)) return false;
    foreign_format = 0;
    is_recording = 0;
    modified_ = false;
    return true;
}

bool CMarbeckDoc::save_as() {
    FileDialogRequest req{doc_text::kSaveAsTitle, doc_text::kUntitled, "vxl", doc_text::kVxlFilter, true, 0};
    const auto choice = prompts().choose_save_file(req);
    if (!choice) return false;
    selection_active = 0;
    if (!write_native(choice->path)) {
        prompts().beep();
        prompts().message(doc_text::kSaveError);
        return false;
    }
    set_path(choice->path);
    foreign_format = 0;
    is_recording = 0;
    modified_ = false;
    return true;
}

bool CMarbeckDoc::save_copy_as() {
    FileDialogRequest req{doc_text::kSaveCopyTitle, default_name("Copy of "), "vxl", doc_text::kVxlFilter, true, 0};
    const auto choice = prompts().choose_save_file(req);
    if (!choice) return false;
    const std::int32_t kept = selection_active;
    selection_active = 0;
    const bool ok = write_native(choice->path);
    selection_active = kept;
    if (!ok) {
        prompts().beep();
        prompts().message(doc_text::kSaveError);
        return false;
    }
    foreign_format = 0;
    modified_ = false;
    return true;
}

bool CMarbeckDoc::save_selection_as() {
    if (!can_save_selection_as()) return false;
    FileDialogRequest req{doc_text::kSaveSelectionTitle, default_name("Selection of "), "vxl", doc_text::kVxlFilter,
                          true, 0};
    const auto choice = prompts().choose_save_file(req);
    if (!choice) return false;
    if (!write_native(choice->path)) {
        prompts().beep();
        prompts().message(doc_text::kSaveError);
        return false;
    }
    return true;
}

bool CMarbeckDoc::export_with_dialog(const char* title, bool selection) {
    FileDialogRequest req{title, default_name("Export "), "wav", doc_text::kWaveFilter, true, 0};
    const auto choice = prompts().choose_save_file(req);
    if (!choice) return false;
    if (!write_wave(choice->path, selection)) {
        prompts().beep();
        prompts().message(doc_text::kSaveError);
        return false;
    }
    return true;
}

bool CMarbeckDoc::export_wave() {
    if (!can_export_wave()) return false;
    return export_with_dialog(doc_text::kExportTitle, false);
}

bool CMarbeckDoc::export_selection_wave() {
    if (!can_export_selection_wave()) return false;
    return export_with_dialog(doc_text::kExportSelectionTitle, selection_active != 0);
}

bool CMarbeckDoc::can_close() {
    if (!modified_) return true;
    const std::string q = "Save Changes to '" + title_ + "' before closing ?";
    switch (prompts().ask_yes_no_cancel(q)) {
        case Answer::Yes:
            return save();
        case Answer::No:
            modified_ = false;
            return true;
        case Answer::Cancel:
        default:
            return false;
    }
}

// --- recordings ------------------------------------------------------------------------

bool CMarbeckDoc::drop_recording() {
    delete_contents();
    publish_reload();
    return false;
}

bool CMarbeckDoc::accept_recording(const std::string& raw_recording_path) {
    const std::uint64_t bytes = file_size(raw_recording_path);
    if (bytes <= 100) return false;
    CChannels& ch = channels[0];
    const double rate = ch.sample_rate;
    ch.samples.reset();
    ch.set_foreign_audio(rate, static_cast<double>(bytes / 2));
    raw_ = SampleFile{raw_recording_path};
    if (wav_work_path.empty()) {
        wav_work_path = services_.temp_names.next();
        owned_temp_files_.push_back(wav_work_path);
    }
    if (!write_wave(wav_work_path, false)) {
        changes_.publish(DocChange::Samples);  // channel 0 now names the recording
        prompts().beep();
        prompts().message(doc_text::kSaveError);
        return false;
    }
    // Channel 0 becomes the working WAV file's samples, as a reader of it
    // leaves them: at the file's whole rate, in memory, or for a long
    // recording in the raw file, which the document keeps in place of a copy.
    const double whole_rate = static_cast<double>(
        rate >= 1.0 && rate < 4294967295.0 / 2 ? static_cast<std::uint32_t>(rate) : 0);
    const std::uint64_t n = ch.count();
    Recording rec;
    rec.channels = std::move(channels);
    CChannels& to = rec.channels[0];
    to.set_foreign_audio(whole_rate, static_cast<double>(n));
    if (!is_long(to.duration_ms)) {
        try {
            to.allocate_samples(static_cast<std::size_t>(n));
        } catch (const std::bad_alloc&) {
            return drop_recording();
        }
        if (!ChannelSamples::raw_file(raw_recording_path, n).read(0, static_cast<std::size_t>(n), to.samples.data()))
            return drop_recording();
        remove_file(raw_recording_path);
        raw_ = SampleFile{};
    } else {
        owned_temp_files_.push_back(raw_recording_path);
        rec.sample_file = SampleFile{raw_recording_path};
    }
    rec.channel_count = 1;
    rec.channel_title = channel_title;
    rec.has_channel_title = has_channel_title;
    rec.foreign = true;
    rec.format_name = "WAV";
    adopt(std::move(rec));
    modified_ = true;
    foreign_format = 1;
    is_recording = 1;
    return true;
}

}  // namespace vox
