// Label tiers of the waveform view: the mouse gestures in the tier bands
// (move, edit, delete and add through "Label entry"), "Set/Modify..." with
// the tier options, "Import Labels into a Tier..." and the label table.
#include <QFile>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "core/annotation/textgrid_tiers.h"
#include "core/app/config_file.h"
#include "core/io/binary_file.h"
#include "core/platform/user_prompts.h"
#include "gui/annotation/dialog_import_labels.h"
#include "gui/annotation/label_texts.h"
#include "gui/annotation/option_tiers.h"
#include "gui/views/waveform/label_interaction.h"
#include "gui/views/waveform/marbeck_view.h"
#include "gui/views/waveform/marbeck_view_labels.h"
#include "gui/views/waveform/painters/overlay_painter.h"

namespace vox {

const LABEL& CMarbeckView::label_template() const { return label_input_->label_template(); }

// --- gestures ---------------------------------------------------------------------------

bool CMarbeckView::label_drag(int x, int y) {
    const std::optional<Rect> outline = label_input_->drag(first(), x, y);
    if (!outline) return false;  // no label hit: an ordinary selection
    update(overlays_->show_label_outline(composed_, *outline));
    return true;
}

bool CMarbeckView::label_release() {
    overlays_->forget_label_outline();
    switch (label_input_->release(first(), selection_)) {
    case LabelInteraction::Outcome::NotALabelGesture:
        return false;
    case LabelInteraction::Outcome::Changed:
        labels_changed();
        return true;
    case LabelInteraction::Outcome::Unchanged:
        // Nothing changed: the outline and the old cursor go.
        compose_screen();
        update();
        return true;
    }
    return false;
}

void CMarbeckView::labels_changed() {
    doc_.set_modified(true);
    doc_.changes().publish(DocChange::Labels);
}

// --- tier options --------------------------------------------------------------------------

bool CMarbeckView::do_tiers_option() {
    const auto in_use_and_names = [this] {
        std::vector<std::pair<int, std::string>> v;
        for (const Tier& t : first().tiers) v.emplace_back(t.in_use, t.name);
        return v;
    };
    const auto before = in_use_and_names();
    COptionTiers dlg(first().tiers, doc_.prompts(), this);
    if (dlg.exec() != QDialog::Accepted) return false;
    // Tier names and flags are kept in the document's file: a change is
    // one to save.
    if (in_use_and_names() != before) doc_.set_modified(true);
    for (int t = 0; t < kTierCount; ++t) doc_.options.tier_names[static_cast<std::size_t>(t)] = first().tiers[t].name;
    emit configPatchRequested(ConfigGroup::TierNames);
    // Bands appear, vanish or move; labels of a tier out of use stay in it.
    doc_.changes().publish(DocChange::Labels);
    return true;
}

// --- import ---------------------------------------------------------------------------------

bool CMarbeckView::do_import_labels() {
    const auto in_use_names = [this] {
        QStringList names;
        for (const Tier& t : first().tiers)
            if (t.in_use) names << QString::fromStdString(t.name);
        return names;
    };
    if (in_use_names().isEmpty() && !do_tiers_option()) return false;
    const QStringList names = in_use_names();
    if (names.isEmpty()) return false;  // still no tier to import into

    CDialogImportLabels dlg(names, labels_->import_choices, this);
    if (dlg.exec() != QDialog::Accepted) return false;
    const LabelImportChoices choices = dlg.choices();
    labels_->import_choices = choices;
    const std::string chosen = dlg.tier_name().toStdString();
    int tier = -1;
    for (int t = 0; t < kTierCount && tier < 0; ++t)
        if (first().tiers[t].in_use && first().tiers[t].name == chosen) tier = t;
    if (tier < 0) return false;

    FileDialogRequest req;
    req.title = import_text::kFileDialogTitle;
    req.default_name = import_text::kDefaultName;
    req.default_extension = import_text::kDefaultExtension;
    req.filter = import_text::kFileFilter;
    req.confirm_overwrite = false;
    const std::optional<FileChoice> file = doc_.prompts().choose_open_file(req);
    if (!file) return false;

    QFile f(QString::fromStdString(file->path));
    if (!f.open(QIODevice::ReadOnly)) return false;  // silently, as a cancelled choice
    if (f.size() == 0) {
        doc_.prompts().beep();
        doc_.prompts().message(import_text::kOpenError, MessageIcon::Error);
        return false;
    }
    f.close();
    std::ifstream in(file->path, std::ios::binary);
    if (!in) return false;
    // The document keeps no time offset of its own: times are from its start.
    const std::size_t held = first().tiers[tier].labels.size();
    const std::size_t room = held < kMaxLabelsPerTier ? kMaxLabelsPerTier - held : 0;
    const LabelFileScan scan = ScanLabelFile(in, choices, 0.0, first().duration_ms, room);
    const std::string skipped = scan.message();
    bool added = false;
    // Nothing usable: the display stays as it was.
    if (!scan.kept.empty()) {
        if (!save_for_undo()) return false;  // its message has been shown
        added = ImportLabels(first(), tier, scan.kept, choices, 0.0) > 0;
        if (added) labels_changed();
    }
    if (!skipped.empty()) doc_.prompts().message(skipped, MessageIcon::Warning);
    return added;
}

// --- the label table ------------------------------------------------------------------------

CFrameLabelView* CMarbeckView::label_table() const { return labels_->table.data(); }

void CMarbeckView::refresh_label_table() {
    if (CFrameLabelView* t = labels_->table.data()) {
        t->update_title();
        t->refresh();
    }
}

CFrameLabelView* CMarbeckView::open_label_table() {
    LabelBandState& s = *labels_;
    if (CFrameLabelView* t = s.table.data()) {
        t->show();
        t->raise();
        t->activateWindow();
        return t;
    }
    // The window rectangle is the program's when the document has one.
    SessionState* session = doc_.services().session;
    WindowRect& placement = session && session->app_values ? session->app_values->label_window : s.own_table_rect;
    try {
        auto zoom_to = [this](double t_ms) {
            // A window of the zoom range centred on the label, on every channel.
            const double range_ms = doc_.options.zoom_range_ms;
            for (int i = 0; i < std::max(1, doc_.channel_count); ++i) {
                CChannels& ch = doc_.channels[i];
                if (!(ch.duration_ms > 0.0) || !(ch.sample_count > 0.0)) continue;
                const double centre = ch.sample_count / ch.duration_ms * t_ms;
                const double half = ch.sample_rate * range_ms / 1000.0 / 2.0;
                ch.prev_window_first = ch.window_first;
                ch.prev_window_last = ch.window_last;
                ch.window_first = std::max(0.0, centre - half);
                ch.window_last = std::min(ch.sample_count, centre + half);
            }
            // The scroll bar, the windows in ms and the zoomed flag as after a zoom.
            set_scroll_from_window();
            doc_.changes().publish(DocChange::Selection);
        };
        auto* t = new CFrameLabelView(doc_, placement, zoom_to, this);
        s.table = t;
        t->show();
        t->raise();
        return t;
    } catch (const std::exception&) {
        doc_.prompts().message(label_text::kCreateViewError, MessageIcon::Error);
        return nullptr;
    }
}

// --- TextGrid files ------------------------------------------------------------------------

bool CMarbeckView::do_import_textgrid() {
    FileDialogRequest req;
    req.title = textgrid_text::kImportTitle;
    req.default_extension = textgrid_text::kDefaultExtension;
    req.filter = textgrid_text::kFileFilter;
    req.confirm_overwrite = false;
    const std::optional<FileChoice> file = doc_.prompts().choose_open_file(req);
    if (!file) return false;
    std::ifstream in(file->path, std::ios::binary);
    if (!in) {
        doc_.prompts().beep();
        doc_.prompts().message(import_text::kOpenError, MessageIcon::Error);
        return false;
    }
    // A grid is text: the label files' bound keeps a wrong file from
    // filling the memory.
    std::string bytes(kMaxLabelFileBytes + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > kMaxLabelFileBytes) {
        doc_.prompts().message(textgrid_text::kTooLarge, MessageIcon::Error);
        return false;
    }
    const auto parsed = textgrid::Parse(bytes);
    if (const auto* e = std::get_if<textgrid::ParseError>(&parsed)) {
        doc_.prompts().message(MalformedGridMessage(*e), MessageIcon::Error);
        return false;
    }
    const GridLabels labels = LabelsFromGrid(std::get<textgrid::Grid>(parsed), first().duration_ms);
    if (!labels.tiers.empty()) {
        if (!save_for_undo()) return false;  // its message has been shown
        PutGridLabels(first(), labels);
        labels_changed();
    }
    if (const std::string m = labels.message(); !m.empty()) doc_.prompts().message(m, MessageIcon::Warning);
    return !labels.tiers.empty();
}

bool CMarbeckView::do_export_textgrid() {
    FileDialogRequest req;
    req.title = textgrid_text::kExportTitle;
    req.default_name = std::filesystem::path(doc_.title()).stem().string();
    req.default_extension = textgrid_text::kDefaultExtension;
    req.filter = textgrid_text::kFileFilter;
    req.confirm_overwrite = true;
    const std::optional<FileChoice> file = doc_.prompts().choose_save_file(req);
    if (!file) return false;
    const std::string text = textgrid::WriteLong(GridFromTiers(first(), first().duration_ms));
    if (!write_file_atomically(file->path, text.data(), text.size())) {
        doc_.prompts().beep();
        doc_.prompts().message(textgrid_text::kWriteError, MessageIcon::Error);
        return false;
    }
    return true;
}

}  // namespace vox
