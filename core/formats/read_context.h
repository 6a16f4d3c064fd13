#pragma once
// What a reader of the open chain works with besides the file: where it
// asks and tells the person, the progress window of long reads, fresh
// temporary names for the raw sample file of a long recording, where its
// diagnostics go, and the choices that decide where samples are kept. A
// reader fills a Recording and says how the read went; it never sees the
// document.

#include <cstdio>
#include <string>
#include <vector>

#include "core/app/option_block.h"
#include "core/document/recording.h"
#include "core/platform/audio_decoder.h"
#include "core/platform/progress.h"
#include "core/platform/temp_names.h"
#include "core/platform/user_prompts.h"

namespace vox {

class BinaryFile;

// What a reader of the open chain says about a file.
enum class ReadResult {
    Declined,  // not this reader's format: the chain goes on
    Accepted,  // read into the recording
    Failed,    // recognised but could not be read (or the person cancelled): the open ends
};

class ReadContext {
public:
    ReadContext(UserPrompts& prompts, Progress& progress, TempNames& temp_names, const OptionBlock& options)
        : prompts(prompts), progress(progress), temp_names_(temp_names), options_(options) {}
    ~ReadContext();
    ReadContext(const ReadContext&) = delete;
    ReadContext& operator=(const ReadContext&) = delete;

    UserPrompts& prompts;
    Progress& progress;
    // Decodes the formats the program's own readers do not know; none: the
    // last reader declines every file.
    AudioDecoder* decoder = nullptr;
    // Where readers write their diagnostics of a file's inner layout; none:
    // they are not written.
    std::FILE* diagnostics = nullptr;
    // A long 16-bit PCM WAV recording is read where its samples lie instead
    // of being copied into a raw file (for a document never edited or saved).
    bool samples_in_place = false;
    // The answers of the generic-file question, for the generic readers.
    GenericFileAnswers generic;

    // A recording with every channel as a fresh document holds it (the
    // tiers' names and the rate of the options), for a reader to fill.
    Recording fresh_recording() const;
    // True when a recording of this duration stays on disk.
    bool is_long(double duration_ms) const;
    // A fresh temporary name that becomes the file holding channel 0's
    // samples of `rec`. The names handed out are removed with the context
    // unless take_temp_files() took them.
    std::string new_sample_file(Recording& rec);
    std::vector<std::string> take_temp_files();

    // A reader that recognised the file as its format but declined its
    // header leaves its reason here; when no reader takes the file the
    // reasons are shown before the generic-file question.
    void note_refusal(std::string reason) { refusals_.push_back(std::move(reason)); }
    const std::vector<std::string>& refusals() const { return refusals_; }

private:
    TempNames& temp_names_;
    const OptionBlock& options_;
    std::vector<std::string> temp_files_;
    std::vector<std::string> refusals_;
};

}  // namespace vox
