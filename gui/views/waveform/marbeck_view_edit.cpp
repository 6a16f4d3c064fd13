// Zoom, reference and editing commands of the waveform view: Copy, Cut and
// Paste through the application's clip, Undo, "Clear to Reference", the
// channels' reference, "Reference/Gain..." and Smooth, each around the undo
// copy and the redisplay that follows an edit.
#include <QDialog>
#include <QScrollBar>

#include <algorithm>

#include "core/document/channel_analysis.h"
#include "core/document/doc_edit.h"
#include "core/document/undo_file.h"
#include "core/dsp/intensity.h"
#include "gui/views/waveform/marbeck_view.h"
#include "gui/views/waveform/reference_gain_dialog.h"

namespace vox {

namespace {

// The clip every document of the program shares; a document on its own (an
// embedding, the view tests) shares one clip of the process instead.
std::shared_ptr<EditClip>& clip_slot(CMarbeckDoc& doc) {
    static std::shared_ptr<EditClip> standalone;
    SessionState* session = doc.services().session;
    return session ? session->clip : standalone;
}

EditClip& application_clip(CMarbeckDoc& doc) {
    std::shared_ptr<EditClip>& slot = clip_slot(doc);
    if (!slot) slot = std::make_shared<EditClip>();
    return *slot;
}

bool clip_has_data(CMarbeckDoc& doc) {
    const std::shared_ptr<EditClip>& slot = clip_slot(doc);
    return slot && slot->holds_data;
}

}  // namespace

// A new, empty document before a paste gave it its channels: the undo file
// cannot hold a document without channels, so Undo puts this back instead.
struct EmptyDocumentUndo {
    std::array<CChannels, kMaxChannels> channels;
    double doc_rate = 0.0, doc_count = 0.0, doc_duration_ms = 0.0;
    std::int32_t is_recording = 0;
    bool modified = false;
};

bool CMarbeckView::paste_available() const { return !recording_sound() && clip_has_data(doc_); }

// --- the undo copy and the end of an edit ------------------------------------------------

bool CMarbeckView::undo_available() const { return (undo_ && undo_->available()) || empty_undo_ != nullptr; }

bool CMarbeckView::save_for_undo() {
    empty_undo_.reset();  // one level: the new copy replaces it
    if (!undo_) undo_ = std::make_unique<UndoFile>();
    undo_->use_title(doc_.services().temp_names.folder(), doc_.title());
    return undo_->save(doc_);
}

// Before Cut, Paste, "Clear to Reference" and the other sample changes:
// without an undo copy the person decides whether to go on.
bool CMarbeckView::save_for_edit() {
    if (save_for_undo()) return true;
    doc_.prompts().beep();
    return doc_.prompts().ask_yes_no(undo_text::kContinueQuestion) == Answer::Yes;
}

void CMarbeckView::recompute_after_change() {
    if (doc_.options.display.always_analyse && has_data()) compute_pitch(range_all());
}

void CMarbeckView::finish_edit() {
    for (int i = 0; i < std::max(1, doc_.channel_count); ++i) {
        CChannels& ch = doc_.channels[i];
        ch.sel_start_sample = ch.sel_end_sample = ch.sel_lo_sample = ch.sel_hi_sample = 0.0;
        ch.sel_start_ms = ch.sel_end_ms = ch.sel_lo_ms = ch.sel_hi_ms = 0.0;
        ch.sel_length_ms = ch.sel_length_samples = 0.0;
        ch.sel_anchor_px = ch.sel_moving_px = 0;
    }
    selection_ = false;
    cursor_ = false;
    doc_.selection_active = 0;
    anchor_x_ = last_drag_x_ = 0;
    cursor_x_ = -1;
    window_from_scroll();  // announces the cleared selection and the window
    doc_.set_modified(true);
    recompute_after_change();
}

// --- clip commands --------------------------------------------------------------------------

bool CMarbeckView::edit_copy() {
    const bool ok = copy_selection(doc_, application_clip(doc_));
    emit markerChanged();  // Paste may have become available
    return ok;
}

bool CMarbeckView::edit_cut() {
    if (!copy_selection(doc_, application_clip(doc_))) return false;
    emit markerChanged();
    // A long recording is refused after the copy; a copy of it for undo
    // would only cost the time of writing the whole file.
    if (!is_long_channel(doc_, 0) && !save_for_edit()) return false;
    if (cut_selection(doc_) != EditResult::Done) return false;
    finish_edit();
    return true;
}

bool CMarbeckView::edit_paste() {
    const EditClip& clip = application_clip(doc_);
    if (!clip.holds_data) return false;
    const bool fresh = doc_.channel_count == 0;
    if (!fresh && !is_long_channel(doc_, 0) && !save_for_edit()) return false;
    std::shared_ptr<EmptyDocumentUndo> before;
    if (fresh) {
        before = std::make_shared<EmptyDocumentUndo>();
        before->channels = doc_.channels;
        before->doc_rate = doc_.doc_rate;
        before->doc_count = doc_.doc_count;
        before->doc_duration_ms = doc_.doc_duration_ms;
        before->is_recording = doc_.is_recording;
        before->modified = doc_.modified();
    }
    const bool replace = selection_ && first().has_selection();
    if (paste_clip(doc_, clip, replace) != EditResult::Done) return false;
    if (fresh) {
        // A new document: Undo empties it again, and its layout starts anew.
        if (undo_) undo_->discard();
        empty_undo_ = std::move(before);
        for (int i = 0; i < doc_.channel_count; ++i) doc_.channels[i].reset_window();
        set_scroll_from_window();
    }
    finish_edit();
    return true;
}

bool CMarbeckView::edit_undo() {
    if (!undo_available()) return false;
    if (empty_undo_) {
        const std::shared_ptr<EmptyDocumentUndo> e = std::move(empty_undo_);
        stop_playback();
        doc_.channels = e->channels;
        doc_.channel_count = 0;
        doc_.loaded = 0;
        doc_.is_recording = e->is_recording;
        doc_.selection_active = 0;
        doc_.doc_rate = e->doc_rate;
        doc_.doc_count = e->doc_count;
        doc_.doc_duration_ms = e->doc_duration_ms;
        selection_ = cursor_ = false;
        pitch_ = PitchTrack{};
        pitch_range_ = intensity_range_ = ViewRange{};
        intensity_range_set_ = false;
        intensity_range_changed();
        set_scroll_from_window();
        doc_.set_modified(e->modified);
        // The channels were put back here, not by the document: announce them.
        doc_.changes().publish(DocChange::Samples);
        doc_.changes().publish(DocChange::Labels);
        doc_.changes().publish(DocChange::Selection);
        return true;
    }
    if (undo_->restore(doc_, zoomed_) != UndoFile::Restore::Restored) return false;
    selection_ = cursor_ = false;
    doc_.selection_active = 0;
    set_scroll_from_window();
    // The data differ from what was saved or shown before.
    doc_.set_modified(true);
    recompute_after_change();
    doc_.changes().publish(DocChange::Selection);  // cursor and selection went
    return true;
}

// --- reference, gain, smoothing ---------------------------------------------------------------

bool CMarbeckView::edit_clear_to_reference() {
    if (!save_for_edit()) return false;
    if (clear_to_reference(doc_) != EditResult::Done) return false;
    doc_.set_modified(true);
    recompute_after_change();
    return true;
}

void CMarbeckView::set_reference_all(bool zero) {
    for (int c : ::vox::set_reference_all(doc_, zero)) {
        try {
            ComputeChannelIntensity(doc_, c, doc_.options.intensity, doc_.progress());
        } catch (const std::exception&) {
            doc_.channels[static_cast<std::size_t>(c)].intensity_valid = 0;
        }
    }
    refresh();  // the intensity contours computed here
    doc_.set_modified(true);
}

void CMarbeckView::reset_reference_all() {
    if (has_data()) set_reference_all(true);
}

bool CMarbeckView::apply_reference_gain_answer(int gain_percent, int reference) {
    doc_.options.gain_percent = gain_percent;
    doc_.options.reference = reference;
    emit configPatchRequested(ConfigGroup::ReferenceGain);
    const std::string question = std::string(edit_text::kPermanentQuestion) + edit_text::kSaveBefore + doc_.title() +
                                 edit_text::kBeforeProceeding;
    const Answer a = doc_.prompts().ask_yes_no_cancel(question);
    if (a == Answer::Cancel) return false;
    if (a == Answer::Yes) doc_.save_copy_as();
    if (!save_for_edit()) return false;
    const bool ok = apply_reference_gain(doc_, doc_.options.reference, doc_.options.gain_percent);
    // A cancelled long recording keeps the seconds already changed (the
    // document announced them).
    doc_.set_modified(true);
    recompute_after_change();
    return ok;
}

bool CMarbeckView::do_reference_gain() {
    CDialogReferenceGain dlg(static_cast<int>(doc_.options.gain_percent), static_cast<int>(doc_.options.reference), this);
    if (dlg.exec() != QDialog::Accepted) return false;
    return apply_reference_gain_answer(dlg.gain_percent(), dlg.reference());
}

bool CMarbeckView::do_smooth() {
    const Answer a = doc_.prompts().ask_yes_no_cancel(edit_text::kSmoothQuestion);
    if (a == Answer::Cancel) return false;
    if (a == Answer::Yes) doc_.save_as();
    if (!save_for_edit()) return false;
    const bool ok = smooth_channels(doc_);
    if (!ok) doc_.prompts().message(edit_text::kSmoothFailed, MessageIcon::Error);
    doc_.set_modified(true);
    return ok;
}

}  // namespace vox
