#include "gui/audio/form_record_play.h"

#include <QComboBox>
#include <QLabel>
#include <algorithm>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/audio/record_options.h"
#include "gui/audio/audio_texts.h"
#include "gui/grid/grid_control.h"

namespace vox {

namespace {
QString qs(const std::string& s) { return QString::fromStdString(s); }
QString tabs(const std::vector<int>& v) { return qs(tab_list(v)); }
int number_of(const CGridControl& g, int row, int col) {
    const auto v = g.cell_number(row, col);
    if (!v) throw GridError("no number");
    return static_cast<int>(*v);
}
}  // namespace

CFormRecordPlay::CFormRecordPlay(RecordSettings& settings, UserPrompts& prompts, QWidget* parent)
    : QWidget(parent), settings_(settings), prompts_(prompts), saved_(settings) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(audio_text::kParametersCaption, this));
    params_ = new CGridControl(this);
    params_->setObjectName("recordPlayParameters");
    params_->insert_column(0, "Sample Rate (Hz)", 120, CGridControl::Align::Right);
    params_->insert_column(1, "Input", 100, CGridControl::Align::Center);
    params_->insert_column(2, "Source", 150, CGridControl::Align::Center);
    params_->setMaximumHeight(80);
    layout->addWidget(params_);
    // The unit comes with 5 or 9 inputs; the channel grid has one row each.
    auto* model_row = new QHBoxLayout;
    model_row->addWidget(new QLabel(audio_text::kUnitModelCaption, this));
    model_ = new QComboBox(this);
    model_->setObjectName("recordPlayUnitModel");
    model_->addItem("5", 5);
    model_->addItem("9", 9);
    model_row->addWidget(model_);
    model_row->addStretch();
    layout->addLayout(model_row);
    layout->addWidget(new QLabel(audio_text::kChannelsCaption, this));
    channels_ = new CGridControl(this);
    channels_->setObjectName("recordPlayChannels");
    channels_->insert_column(0, "On", 50, CGridControl::Align::Center);
    channels_->insert_column(1, "Sample Rate (Hz)", 120, CGridControl::Align::Right);
    channels_->insert_column(2, "Filter (Hz)", 100, CGridControl::Align::Right);
    channels_->insert_column(3, "Gain", 80, CGridControl::Align::Right);
    layout->addWidget(channels_, 1);
    auto* buttons = new QHBoxLayout;
    save_ = new QPushButton(audio_text::kSaveAndClose, this);
    cancel_ = new QPushButton(audio_text::kCancel, this);
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);

    connect(params_, &CGridControl::cellValueChanged, this, [this](int, int) { parameter_changed(); });
    connect(channels_, &CGridControl::cellValueChanged, this, [this](int row, int) { channel_changed(row); });
    connect(model_, &QComboBox::activated, this, [this](int) { model_changed(); });
    connect(save_, &QPushButton::clicked, this, [this] { save_and_close(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { cancel(); });
    conform_unit_channels(settings_);
    begin_session();
    refresh();
}

void CFormRecordPlay::begin_session() { saved_ = settings_; }

void CFormRecordPlay::refresh() {
    const int at = model_->findData(settings_.unit_model);
    if (at >= 0) model_->setCurrentIndex(at);
    fill_parameters(true);
    fill_channels(true);
}

void CFormRecordPlay::fill_parameters(bool rebuild) {
    try {
        if (rebuild || params_->row_count() != 1) {
            params_->remove_all_rows();
            params_->append_row({});
            params_->set_row_caption(0, "1");
        }
        params_->set_cell_number(0, kRateCol, settings_.sample_rate_hz, QString::number(settings_.sample_rate_hz));
        params_->set_cell_choices(0, kRateCol, tabs(record_rate_choices(settings_.source)));
        params_->set_cell_text(0, kInputCol, qs(settings_.input));
        params_->set_cell_choices(0, kInputCol, QString("%1\t%2").arg(kRecordInputMic, kRecordInputLine));
        params_->set_cell_text(0, kSourceCol, qs(settings_.source));
        params_->set_cell_choices(0, kSourceCol, QString("%1\t%2").arg(kRecordSourceExternal, kRecordSourceComputer));
    } catch (const GridError&) {
        prompts_.message(audio_text::kFormGridError, MessageIcon::Error);
    }
}

void CFormRecordPlay::fill_channels(bool rebuild) {
    try {
        const int rows = static_cast<int>(settings_.channels.size());
        if (rebuild || channels_->row_count() != rows) channels_->remove_all_rows();
        const int unit_rate = settings_.uses_external_unit() ? settings_.sample_rate_hz : 22000;
        for (int k = 0; k < rows; ++k) {
            const auto& c = settings_.channels[static_cast<std::size_t>(k)];
            if (k >= channels_->row_count()) channels_->append_row({});
            channels_->set_row_caption(k, k == 0 ? QString(audio_text::kAudioRow) : QString::asprintf("%d", k));
            // The audio row is always on and its box cannot be cleared.
            channels_->set_cell_check(k, kOnCol, k == 0 || c.enabled, k != 0);
            channels_->set_cell_text(k, kChannelRateCol, QString::asprintf("%d", c.sample_rate_hz));
            channels_->set_cell_choices(k, kChannelRateCol,
                                        tabs(unit_channel_rate_choices(settings_.unit_model, unit_rate, k)));
            channels_->set_cell_text(k, kFilterCol, QString::asprintf("%d", c.filter_cutoff_hz));
            channels_->set_cell_choices(k, kFilterCol, tabs(filter_choices(c.sample_rate_hz)));
            channels_->set_cell_text(k, kGainCol, QString::asprintf("%d", c.gain));
            channels_->set_cell_choices(k, kGainCol, tabs(k == 0 ? audio_gain_choices() : channel_gain_choices()));
        }
    } catch (const GridError&) {
        prompts_.message(audio_text::kFormGridError, MessageIcon::Error);
    }
}

void CFormRecordPlay::parameter_changed() {
    try {
        const RecordSettings before = settings_;
        settings_.sample_rate_hz = number_of(*params_, 0, kRateCol);
        settings_.input = params_->cell_text(0, kInputCol).toStdString();
        settings_.source = params_->cell_text(0, kSourceCol).toStdString();
        // A new source offers other rates: keep the rate only when offered.
        const auto rates = record_rate_choices(settings_.source);
        if (std::find(rates.begin(), rates.end(), settings_.sample_rate_hz) == rates.end())
            settings_.sample_rate_hz = rates.front();
        if (settings_.sample_rate_hz != before.sample_rate_hz || settings_.source != before.source)
            conform_unit_channels(settings_);
    } catch (const GridError&) {
        prompts_.message(audio_text::kFormGridError, MessageIcon::Error);
        return;
    }
    // In place: the choice cell that reported the change is still on the
    // call stack and must not be destroyed under it.
    fill_parameters(false);
    fill_channels(false);
    if (on_rate_stored) on_rate_stored(settings_.sample_rate_hz);
    if (on_settings_changed) on_settings_changed();
}

void CFormRecordPlay::channel_changed(int row) {
    if (row < 0 || row >= static_cast<int>(settings_.channels.size())) return;
    try {
        auto& c = settings_.channels[static_cast<std::size_t>(row)];
        c.enabled = row == 0 ? 1 : (channels_->cell_checked(row, kOnCol) ? 1 : 0);
        c.sample_rate_hz = number_of(*channels_, row, kChannelRateCol);
        c.filter_cutoff_hz = number_of(*channels_, row, kFilterCol);
        c.gain = number_of(*channels_, row, kGainCol);
        conform_unit_channel(settings_, row);
    } catch (const GridError&) {
        prompts_.message(audio_text::kFormGridError, MessageIcon::Error);
        return;
    }
    fill_channels(false);
    if (on_settings_changed) on_settings_changed();
}

void CFormRecordPlay::model_changed() {
    const int model = model_->currentData().toInt();
    if (model == settings_.unit_model) return;
    // The inputs both models have keep their records; the others get the
    // defaults, and every rate and filter is made one the model offers.
    settings_.unit_model = model;
    conform_unit_channels(settings_);
    fill_channels(true);
    if (on_settings_changed) on_settings_changed();
}

void CFormRecordPlay::save_and_close() {
    saved_ = settings_;
    if (on_close) on_close();
}

void CFormRecordPlay::cancel() {
    settings_ = saved_;
    refresh();
    if (on_settings_changed) on_settings_changed();
    if (on_close) on_close();
}

}  // namespace vox
