#pragma once
// The document of one open recording: twenty channel slots, where the
// samples live when they are not in memory, the adoption of what a reader
// loaded, and the save, export and close commands.

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/app/option_block.h"
#include "core/document/channels.h"
#include "core/document/doc_events.h"
#include "core/document/recording.h"
#include "core/document/sample_access.h"
#include "core/document/session_state.h"
#include "core/platform/audio_decoder.h"
#include "core/platform/progress.h"
#include "core/platform/temp_names.h"
#include "core/platform/user_prompts.h"

namespace vox {

class BinaryFile;

// The outside services a document reaches through.
struct DocServices {
    UserPrompts& prompts;
    Progress& progress;
    TempNames& temp_names;
    // Decodes the formats the program's own readers do not know; none: such
    // files go on to the generic-file question.
    AudioDecoder* decoder = nullptr;
    // The program's shared state; null for a document on its own.
    SessionState* session = nullptr;
    // Where readers write their diagnostics of a file's inner layout (the
    // byte order found, say); none: they are not written.
    std::FILE* diagnostics = nullptr;
    // A long 16-bit PCM WAV recording is read where its samples lie instead
    // of being copied into a raw file of the document's own. Only for a
    // document that is never edited or saved (the command line's analyses):
    // the desktop application keeps the copy, which protects an open
    // document from another program rewriting or deleting the recording
    // while it is open.
    bool samples_in_place = false;
};

// Fixed texts of the document.
namespace doc_text {
inline constexpr const char* kSaveError = "Error in save operation.";
inline constexpr const char* kVxlFilter = "Voxtrel files (*.vxl)|*.vxl|";
inline constexpr const char* kWaveFilter = "Wave files (*.wav)|*.wav|";
inline constexpr const char* kSaveAsTitle = "Save file As";
inline constexpr const char* kSaveCopyTitle = "Save a Copy As";
inline constexpr const char* kSaveSelectionTitle = "Save Selection As";
inline constexpr const char* kExportTitle = "Save a Data Channel As";
inline constexpr const char* kExportSelectionTitle = "Save Selection of a Data Channel As";
inline constexpr const char* kUntitled = "Untitled";
// Captions of the progress window of long reads and writes.
inline constexpr const char* kReadingCaption = " Reading File...(Press mouse to cancel) ";
inline constexpr const char* kSavingCaption = " Saving File...(Press mouse to cancel) ";
inline constexpr const char* kTemplateStrings =
    "\nUntitled\nVoxtrel\nVoxtrel Files (*.vxl)\n.vxl\nVoxtrel.Document\nVoxtrel Document";
// The open dialog's filters, in order (the chosen index is remembered; it
// does not choose the reader).
inline constexpr const char* kOpenFilters =
    "Voxtrel(PC) files (*.vxl)|*.vxl|Voxtrel(Mac) files (*.vxl; *.*)|*.vxl; *.*|Lumetra files (*.lmf)|*.lmf|"
    "Wave files (*.wav)|*.wav|CSL files (*.NSP)|*.NSP|"
    "NIST(LDC) files (*.wav; *.sph; *.sp1; *.sp2)|*.wav; *.sph; *.sp1; *.sp2|NIST(LDC) files (*.*)|*.*|"
    "XWAVE files (*.d)|*.d|ESPS(xwave) files (*.*)|*.*|SUN au files (*.au)|*.au|"
    "AIFF files (*.aiff; *.*)|*.aiff; *.*|ASCII files (*.*)|*.*|Generic files (*.*)|*.*|";
}  // namespace doc_text

class CMarbeckDoc {
public:
    explicit CMarbeckDoc(DocServices services, const OptionBlock& options = OptionBlock{});
    ~CMarbeckDoc();
    CMarbeckDoc(const CMarbeckDoc&) = delete;
    CMarbeckDoc& operator=(const CMarbeckDoc&) = delete;

    // --- state ---------------------------------------------------------------
    std::array<CChannels, kMaxChannels> channels;
    std::int32_t channel_count = 0;
    std::int32_t loaded = 0;
    std::int32_t is_recording = 0;
    std::int32_t foreign_format = 0;
    std::int32_t selection_active = 0;
    OptionBlock options;
    std::string channel_title;
    std::int32_t has_channel_title = 0;
    std::string wav_work_path;
    double doc_rate = 0.0, doc_count = 0.0, doc_duration_ms = 0.0;
    GenericFileAnswers generic;  // the last generic-file answers

    DocServices& services() { return services_; }
    const DocServices& services() const { return services_; }
    UserPrompts& prompts() { return services_.prompts; }
    Progress& progress() { return services_.progress; }

    const std::string& title() const { return title_; }
    const std::string& path() const { return path_; }
    bool modified() const { return modified_; }
    void set_modified(bool m) { modified_ = m; }
    void set_path(const std::string& path);  // also sets the title to the file name
    // Name of the format of the file read last: the reader's ("WAV", "VXL_PC",
    // ...), or for a decoded file what the decoder calls it ("FLAC ...").
    const std::string& format_name() const { return format_name_; }
    void set_format_name(std::string n) { format_name_ = std::move(n); }

    // Called with the new path whenever the document takes a path (the
    // application adds it to the recent-file list).
    std::function<void(const std::string&)> on_path_changed;

    // Views subscribe here; every change of samples, labels, selection or
    // window is published here by whoever makes it.
    DocPublisher& changes() const { return changes_; }

    // --- reading -------------------------------------------------------------
    // (Files are read by the open chain in core/formats, which hands what it
    // loaded to adopt().)
    // The framework's delete-contents hook: every slot back to its defaults.
    void delete_contents();
    // Takes what a reader loaded as the document's content: its channels,
    // tiers and samples (the files named in `temp_files`, made during the
    // read, are removed with the document), then fits the analysis options
    // to channel 0's rate, marks the document loaded and unmodified and
    // publishes that samples and labels changed.
    void adopt(Recording&& recording, std::vector<std::string> temp_files = {});
    // Publishes that samples and labels changed (an open that failed after
    // the document was cleared).
    void publish_reload() const;
    // A fresh temporary name that becomes the file holding channel 0's
    // samples (an edit of a long recording writes it); removed with the
    // document.
    std::string new_sample_file();
    // The raw 16-bit little-endian file `path` holds channel 0's samples
    // from now on (the document does not remove it).
    void adopt_sample_file(std::string path);
    // Channel 0's samples are no longer in a file.
    void drop_sample_file();
    // Channel 0's samples are held in a file, not in memory.
    bool samples_on_disk() const { return !channels[0].samples.valid() && !raw_.path.empty(); }
    // Channel 0's samples are read in place from a recording's own file.
    bool sample_file_borrowed() const { return raw_.borrowed && !raw_.path.empty(); }
    // Before anything rewrites channel 0's file: samples read in place are
    // copied into a raw file of the document's own, which takes their place.
    // False when that copy could not be made (the document is unchanged).
    bool own_sample_file();
    // True when a recording of this duration stays on disk.
    bool is_long(double duration_ms) const;

    // --- saving -------------------------------------------------------------
    bool save();
    bool save_as();
    bool save_copy_as();
    bool save_selection_as();
    bool export_wave();
    bool export_selection_wave();
    // The save-document override: writes the native file (whole or the
    // selection by selection_active). Never damages an existing file.
    bool write_native(const std::string& path);
    // Writes channel 0 (whole or selection) as a 16-bit mono WAV file.
    bool write_wave(const std::string& path, bool selection);
    // The file writer of write_wave: a 16-bit mono PCM WAV of channel 0
    // (whole or selection). Throws DocumentAbort on a failed write,
    // DocumentCancelled on a cancel.
    void write_wave_channel(BinaryFile& file, bool selection);

    // Close with changes: true when the document may close.
    bool can_close();

    // A finished raw recording becomes channel 0 through the working WAV file.
    bool accept_recording(const std::string& raw_recording_path);

    // --- command availability ----------------------------------------------
    bool can_save() const { return modified_; }
    bool can_save_as() const { return loaded != 0; }
    bool can_save_copy_as() const { return loaded != 0; }
    bool can_export_wave() const { return loaded != 0; }
    bool can_save_selection_as() const { return loaded != 0 && selection_active != 0; }
    bool can_export_selection_wave() const { return loaded != 0 && selection_active != 0; }

    // The ordered selection of channel 0 in samples, clamped to the channel.
    struct Range {
        std::uint64_t start = 0;
        std::uint64_t count = 0;
    };
    Range sample_range(bool selection) const;

    // Read access to the samples of a channel wherever they are held (its
    // block, or for channel 0 of a long recording the raw file); no samples
    // for a channel that holds none.
    ChannelSamples samples(int channel) const;
    // Reads `count` samples of channel 0 starting at `start` into dst. False
    // when they cannot be read.
    bool read_audio(std::uint64_t start, std::uint64_t count, std::int16_t* dst) const;

private:
    // The document's own files (core/document) that rewrite the raw file in
    // place reach its name through RawFileAccess; everyone else reads through
    // samples().
    friend struct RawFileAccess;

    // A recording that could not become channel 0: the document is emptied.
    bool drop_recording();
    bool save_with_dialog(const char* title, const std::string& default_name, bool selection, bool copy);
    std::string default_name(const char* prefix) const;
    bool export_with_dialog(const char* title, bool selection);
    void forget_temp_file(std::string& path);

    DocServices services_;
    mutable DocPublisher changes_;
    std::string title_ = doc_text::kUntitled;
    std::string path_;
    bool modified_ = false;
    std::string format_name_;
    std::vector<std::string> owned_temp_files_;
    SampleFile raw_;  // the file holding channel 0 when its block is null
};

}  // namespace vox
