#pragma once
// The document of one open recording: twenty channel slots, where the
// samples live when they are not in memory, the open chain that offers a
// file to every reader in turn, and the save, export and close commands.

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/app/option_block.h"
#include "core/document/channels.h"
#include "core/document/doc_events.h"
#include "core/document/sample_access.h"
#include "core/document/session_state.h"
#include "core/platform/audio_decoder.h"
#include "core/platform/progress.h"
#include "core/platform/temp_names.h"
#include "core/platform/user_prompts.h"

namespace vox {

class BinaryFile;

// What a reader of the open chain says about a file.
enum class ReadResult {
    Declined,  // not this reader's format: the chain goes on
    Accepted,  // read into the document
    Failed,    // recognised but could not be read: the open fails
};

// Thrown inside a reader or writer to abandon the operation; the command that
// started it catches it and the document is left as before.
class DocumentAbort : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The person cancelled a long read or write through the progress window:
// abandoned like a failure, but without a failure report.
class DocumentCancelled : public DocumentAbort {
public:
    DocumentCancelled() : DocumentAbort("cancelled") {}
};

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

// Where channel 0's samples lie when its block is null: 16-bit little-endian
// samples `stride` bytes apart from byte `offset` of `path`.
struct SampleFile {
    std::string path;
    std::uint64_t offset = 0;
    std::uint32_t stride = 2;
    // The recording's own file, read in place: the document never writes,
    // replaces or removes it.
    bool borrowed = false;
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
    // Opens a file: reads it and takes its path and title.
    bool open(const std::string& path);
    // The open-document override: offers the file to every reader in order,
    // then the generic-file dialog. Does not change the path or title.
    bool read_file(const std::string& path);
    // The framework's delete-contents hook: every slot back to its defaults.
    void delete_contents();
    // Called by readers when they have filled the channels: copies channel 0's
    // rate, count and duration, clears the modified flag.
    void finish_read(bool foreign);
    // A reader that recognised the file as its format but declined its
    // header leaves its reason here; when no reader takes the file the
    // reasons are shown before the generic-file question. Cleared at every
    // read.
    void note_refusal(std::string reason) { refusals_.push_back(std::move(reason)); }
    const std::vector<std::string>& refusals() const { return refusals_; }
    // A fresh temporary name that becomes the file holding channel 0's
    // samples (readers of long files write it); removed with the document.
    std::string new_sample_file();
    // The raw 16-bit little-endian file `path` holds channel 0's samples
    // from now on (the document does not remove it).
    void adopt_sample_file(std::string path);
    // Channel 0's samples are read in place from a recording's own file
    // (16-bit little-endian, sample i at byte offset + i·stride), which the
    // document never writes, replaces or removes.
    void borrow_sample_file(std::string path, std::uint64_t offset, std::uint32_t stride);
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

    bool run_generic_flow(BinaryFile& file);
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
    std::vector<std::string> refusals_;
    SampleFile raw_;  // the file holding channel 0 when its block is null
};

}  // namespace vox
