#pragma once
// Editing of a document's samples and labels: Copy, Cut and Paste through
// one clip shared by every document, "Clear to Reference", the channels'
// reference, "Reference/Gain..." over the audio channel and smoothing.
// These are the data steps only; the waveform view adds the questions, the
// undo copy and the redisplay around them.
//
// Labels follow the samples: a label lies inside a stretch when
// start < t < end (both strict); labels inside a removed stretch are
// deleted, labels at or after its end move earlier by its duration, and the
// labels of a copied stretch travel with it, their times relative to its
// start.

#include <array>
#include <cstdint>
#include <vector>

#include "core/document/marbeck_doc.h"

namespace vox {

namespace edit_text {
inline constexpr const char* kCutLong =
    "For very long files, cutting is not permitted.\nYou may select a piece and save it to a smaller file for further editing.";
inline constexpr const char* kPasteLong = "For very long files, pasting is not permitted.";
inline constexpr const char* kPasteChannels = "Pasting of files with different number of channels is not allowed.";
inline constexpr const char* kPasteRates = "Pasting files with different sample rates for channels is not allowed.";
inline constexpr const char* kClearLong = "long file error";
inline constexpr const char* kSmoothFailed = " Smmoth function failed ";
inline constexpr const char* kGainCaption = "Reference and Gain";
inline constexpr const char* kGainField = "Gain(%) =\n(Negative values reduce the gain)";
inline constexpr const char* kReferenceField =
    "Reference =\n(Negative values lower the signal and positive values raise the signal.)";
inline constexpr const char* kPermanentQuestion = "This operation will change the current data permanently.\n";
inline constexpr const char* kSaveBefore = "Save '";
inline constexpr const char* kBeforeProceeding = "' before proceeding ?";
inline constexpr const char* kSmoothQuestion = "This operation will replace the existing data.\nDo you wish to save this data first?";
}  // namespace edit_text

// The copied stretch of every channel: parameters, samples, the tiers'
// names, bands, heights and in-use flags, and the labels that lay inside the
// stretch with times relative to its start. One for the whole application.
struct EditClip {
    bool holds_data = false;
    std::int32_t channel_count = 0;
    std::array<CChannels, kMaxChannels> channels;

    // Empties the clip: no data, no samples, no labels, selection zeroed.
    void clear();
};

// The stretch of a channel's selection as sample indices [start, end),
// clamped to the channel, with its bounds in ms.
struct EditStretch {
    std::size_t start = 0, end = 0;
    double start_ms = 0.0, end_ms = 0.0;
    std::size_t length() const { return end - start; }
    double duration_ms() const { return end_ms - start_ms; }
};
EditStretch selection_stretch(const CChannels& ch);

// True when the channel's samples stay in the document's raw file.
bool is_long_channel(const CMarbeckDoc& doc, int channel);

// Copy: the selection of every channel goes to the clip (emptied first).
// The samples of a long recording are read from the raw file one second at
// a time behind the progress window (" Reading File..."); false when that
// copy was cancelled or failed (the clip is then empty).
bool copy_selection(CMarbeckDoc& doc, EditClip& clip);

enum class EditResult {
    Done,     // the data changed
    Refused,  // a check failed; its message was shown; nothing changed
    Failed,   // memory could not be had; nothing changed
};

// Cut after the copy: every channel loses its selected samples, the labels
// inside the selection and shifts later labels. A long recording is refused
// with its message. A cut that takes every sample leaves a consistent empty
// channel (no samples, duration 0), which a later paste can fill again.
EditResult cut_selection(CMarbeckDoc& doc);

// Paste of the clip: replaces the selection (`replace`), inserts at the
// cursor, or fills a document without channels. The checks (long recording,
// channel count, sample rates) come first, each with its message.
EditResult paste_clip(CMarbeckDoc& doc, const EditClip& clip, bool replace);

// Sets the selected samples of channel 0 to its reference (an integer,
// saturated to 16 bits). Refused with "long file error" for a long recording.
EditResult clear_to_reference(CMarbeckDoc& doc);

// Every data channel (type other than audio) takes the sample value at the
// cursor time as its reference; with `zero`, every channel's reference
// becomes 0. Returns the channels whose intensity was computed (they need
// it recomputed).
std::vector<int> set_reference_all(CMarbeckDoc& doc, bool zero);

// s := s + reference, then s := s + s × gain / 100, for every sample of
// channel 0; each result saturates at the 16-bit limits instead of
// wrapping. A long recording is changed in place in its raw file one second
// at a time behind the progress window; a cancel stops between chunks
// (chunks already written stay changed). False when the raw file could not
// be read or written or the work was cancelled.
bool apply_reference_gain(CMarbeckDoc& doc, double reference, double gain_percent);

// One sample of reference/gain (exposed for its rounding and saturation):
// the reference is taken as a whole number, the product truncated toward 0.
std::int16_t reference_gain_sample(std::int16_t s, double reference, double gain_percent);

// Smooths every channel whose smooth_on flag is set (moving average of
// smooth_points samples). A long recording is smoothed in its raw file one
// second at a time; false when that file cannot be read or written.
bool smooth_channels(CMarbeckDoc& doc);

// Keeps the document's rate, count and duration equal to channel 0's.
void sync_document_counts(CMarbeckDoc& doc);

}  // namespace vox
