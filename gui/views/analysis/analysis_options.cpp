#include "gui/views/analysis/analysis_options.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

#include "core/dsp/spectrogram.h"
#include "core/platform/user_prompts.h"
#include "gui/views/analysis/analysis_text.h"

namespace vox {

namespace {

QString bandwidth_text(double rate, int points) {
    char buf[64];
    std::snprintf(buf, sizeof buf, analysis_text::kBandwidthFormat, static_cast<int>(rate / points));
    return QString::fromLatin1(buf);
}

QSpinBox* int_box(int lo, int hi, QWidget* parent) {
    auto* b = new QSpinBox(parent);
    b->setRange(lo, hi);
    return b;
}

QDoubleSpinBox* real_box(double lo, double hi, int decimals, QWidget* parent) {
    auto* b = new QDoubleSpinBox(parent);
    b->setRange(lo, hi);
    b->setDecimals(decimals);
    return b;
}

// A check box with its spacing edit, the edit enabled only while ticked.
QWidget* checked_edit(QCheckBox* box, QSpinBox* edit, QWidget* parent) {
    auto* w = new QWidget(parent);
    auto* h = new QHBoxLayout(w);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(box);
    h->addWidget(edit);
    QObject::connect(box, &QCheckBox::toggled, edit, &QWidget::setEnabled);
    return w;
}


}  // namespace

QString SpectrogramWindowText(double rate, int index) {
    index = std::clamp(index, 0, 8);
    return bandwidth_text(rate, 1 << (index + 5)) + analysis_text::kSgPointLabels[index];
}

QString FftLpcSizeText(double rate, int index) {
    index = std::clamp(index, 0, 7);
    return bandwidth_text(rate, 1 << (index + 5)) + analysis_text::kFlPointLabels[index];
}

// --- "Spectrogram Option" ------------------------------------------------------------

COptionSpectrogram::COptionSpectrogram(const SpectrogramOptions& options, double rate, UserPrompts& prompts,
                                       QWidget* parent)
    : QDialog(parent), options_(options), rate_(rate), prompts_(prompts) {
    setWindowTitle(analysis_text::kSpectrogramOptionTitle);
    auto* form = new QFormLayout;
    window_ = new QComboBox(this);
    for (int k = 0; k < 9; ++k) window_->addItem(SpectrogramWindowText(rate, k));
    form->addRow(analysis_text::kSgBandwidth, window_);
    range_ = int_box(0, 1000000, this);
    form->addRow(analysis_text::kSgFrequencyRange, range_);
    dynamic_ = int_box(1, 200, this);
    form->addRow(analysis_text::kSgDynamicRange, dynamic_);
    pre_ = real_box(0.0, 1.0, 2, this);
    pre_->setSingleStep(0.01);
    form->addRow(analysis_text::kSgPreEmphasis, pre_);
    formants_ = new QCheckBox(analysis_text::kSgDisplayFormants, this);
    form->addRow(formants_);
    lpc_ = int_box(4, 400, this);
    form->addRow(analysis_text::kSgLpcOrder, lpc_);
    audio_ = new QCheckBox(analysis_text::kSgDrawAudio, this);
    labels_ = new QCheckBox(analysis_text::kSgDrawLabels, this);
    intensity_ = new QCheckBox(analysis_text::kSgDrawIntensity, this);
    auto* draws = new QHBoxLayout;
    draws->addWidget(audio_);
    draws->addWidget(labels_);
    draws->addWidget(intensity_);
    form->addRow(draws);
    fgrid_ = new QCheckBox(analysis_text::kSgFrequencyGrid, this);
    fgrid_hz_ = int_box(1, 100000, this);
    form->addRow(checked_edit(fgrid_, fgrid_hz_, this));
    tgrid_ = new QCheckBox(analysis_text::kSgTimeGrid, this);
    tgrid_ms_ = int_box(1, 10000000, this);
    form->addRow(checked_edit(tgrid_, tgrid_ms_, this));
    auto* size = new QGroupBox(this);
    auto* sg = new QGridLayout(size);
    width_ = real_box(0.5, 100.0, 2, this);
    height_ = real_box(0.5, 100.0, 2, this);
    inches_ = new QRadioButton(analysis_text::kInches, size);
    cm_ = new QRadioButton(analysis_text::kCm, size);
    sg->addWidget(new QLabel(analysis_text::kWidth, size), 0, 0);
    sg->addWidget(width_, 0, 1);
    sg->addWidget(inches_, 0, 2);
    sg->addWidget(new QLabel(analysis_text::kHeight, size), 1, 0);
    sg->addWidget(height_, 1, 1);
    sg->addWidget(cm_, 1, 2);
    form->addRow(size);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* defaults = buttons->addButton(analysis_text::kDefaults, QDialogButtonBox::ResetRole);
    connect(defaults, &QPushButton::clicked, this, &COptionSpectrogram::press_defaults);
    connect(buttons, &QDialogButtonBox::accepted, this, &COptionSpectrogram::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(form);
    outer->addWidget(buttons);
    load();
}

void COptionSpectrogram::load() {
    const SpectrogramOptions& o = options_;
    window_->setCurrentIndex(std::clamp(o.bandwidth_index, 0, 8));
    range_->setValue(o.frequency_range_hz);
    dynamic_->setValue(o.dynamic_range_db);
    pre_->setValue(o.pre_emphasis);
    formants_->setChecked(o.display_formants != 0);
    lpc_->setValue(o.formant_lpc_coefficients);
    audio_->setChecked(o.draw_audio != 0);
    labels_->setChecked(o.draw_labels != 0);
    intensity_->setChecked(o.draw_intensity != 0);
    fgrid_->setChecked(o.add_frequency_grid != 0);
    fgrid_hz_->setValue(o.frequency_grid_hz);
    fgrid_hz_->setEnabled(o.add_frequency_grid != 0);
    tgrid_->setChecked(o.add_time_grid != 0);
    tgrid_ms_->setValue(o.time_grid_ms);
    tgrid_ms_->setEnabled(o.add_time_grid != 0);
    width_->setValue(o.print_width);
    height_->setValue(o.print_height);
    inches_->setChecked(o.inches != 0);
    cm_->setChecked(o.inches == 0);
}

void COptionSpectrogram::store() {
    SpectrogramOptions& o = options_;
    o.bandwidth_index = window_->currentIndex();
    o.analysis_points = 1 << (o.bandwidth_index + 5);
    o.frequency_range_hz = range_->value();
    o.dynamic_range_db = dynamic_->value();
    o.pre_emphasis = pre_->value();
    o.display_formants = formants_->isChecked();
    o.formant_lpc_coefficients = lpc_->value();
    o.draw_audio = audio_->isChecked();
    o.draw_labels = labels_->isChecked();
    o.draw_intensity = intensity_->isChecked();
    o.add_frequency_grid = fgrid_->isChecked();
    o.frequency_grid_hz = fgrid_hz_->value();
    o.add_time_grid = tgrid_->isChecked();
    o.time_grid_ms = tgrid_ms_->value();
    o.print_width = width_->value();
    o.print_height = height_->value();
    o.inches = inches_->isChecked();
}

void COptionSpectrogram::press_defaults() {
    // The formant flag keeps its setting.
    const std::int32_t formants = formants_->isChecked();
    SpectrogramOptions d = spectrogram_rate_defaults(SpectrogramOptions{}, rate_);
    d.dynamic_range_db = 35;
    d.pre_emphasis = 0.98;
    d.display_formants = formants;
    d.draw_audio = d.draw_labels = d.draw_intensity = 0;
    d.add_frequency_grid = 1;
    d.frequency_grid_hz = 1000;
    d.add_time_grid = 1;
    d.time_grid_ms = 500;
    d.print_width = 6.0;
    d.print_height = 4.0;
    d.inches = 1;
    options_ = d;
    load();
}

bool COptionSpectrogram::try_accept() {
    store();
    const std::string message = validate_spectrogram_dialog(rate_, options_.frequency_range_hz,
                                                            options_.formant_lpc_coefficients);
    if (!message.empty()) {
        prompts_.message(message, MessageIcon::Warning);
        return false;
    }
    return true;
}

void COptionSpectrogram::accept() {
    if (try_accept()) QDialog::accept();
}

// --- "FFT/LPC Option" -------------------------------------------------------------------

COptionFFTLPC::COptionFFTLPC(const FftLpcOptions& options, double rate, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), options_(options), rate_(rate), prompts_(prompts) {
    setWindowTitle(analysis_text::kFftLpcOptionTitle);
    auto* form = new QFormLayout;
    sizes_ = new QListWidget(this);
    for (int k = 0; k < 8; ++k) sizes_->addItem(FftLpcSizeText(rate, k));
    sizes_->setMaximumHeight(sizes_->sizeHintForRow(0) * 8 + 6);
    form->addRow(analysis_text::kFlBandwidth, sizes_);
    applied_ = int_box(1, 1000000, this);
    form->addRow(analysis_text::kFlAppliedWindow, applied_);
    range_ = int_box(0, 1000000, this);
    form->addRow(analysis_text::kFlFrequencyRange, range_);
    step_ = int_box(1, 100000, this);
    form->addRow(analysis_text::kFlAverageStep, step_);
    lpc_ = int_box(4, 100, this);
    lpc_->setSingleStep(2);
    form->addRow(analysis_text::kFlLpc, lpc_);
    draw_lpc_ = new QCheckBox(analysis_text::kFlDrawLpc, this);
    form->addRow(draw_lpc_);
    auto* fmtw = new QWidget(this);
    auto* fmth = new QHBoxLayout(fmtw);
    fmth->setContentsMargins(0, 0, 0, 0);
    relative_ = new QRadioButton(analysis_text::kFlRelative, fmtw);
    absolute_ = new QRadioButton(analysis_text::kFlAbsolute, fmtw);
    absolute_db_ = int_box(0, 1000, fmtw);
    fmth->addWidget(relative_);
    fmth->addWidget(absolute_);
    fmth->addWidget(absolute_db_);
    form->addRow(fmtw);
    fgrid_ = new QCheckBox(analysis_text::kFlFrequencyGrid, this);
    fgrid_hz_ = int_box(1, 100000, this);
    form->addRow(checked_edit(fgrid_, fgrid_hz_, this));
    pgrid_ = new QCheckBox(analysis_text::kFlPowerGrid, this);
    pgrid_db_ = int_box(1, 1000, this);
    form->addRow(checked_edit(pgrid_, pgrid_db_, this));
    auto* size = new QGroupBox(this);
    auto* sg = new QGridLayout(size);
    width_ = real_box(0.5, 100.0, 2, size);
    height_ = real_box(0.5, 100.0, 2, size);
    auto* units = new QButtonGroup(size);
    inches_ = new QRadioButton(analysis_text::kInches, size);
    cm_ = new QRadioButton(analysis_text::kCm, size);
    units->addButton(inches_);
    units->addButton(cm_);
    auto* colours = new QButtonGroup(size);
    color_ = new QRadioButton(analysis_text::kFlColor, size);
    bw_ = new QRadioButton(analysis_text::kFlBlackWhite, size);
    colours->addButton(color_);
    colours->addButton(bw_);
    sg->addWidget(new QLabel(analysis_text::kFlWidth, size), 0, 0);
    sg->addWidget(width_, 0, 1);
    sg->addWidget(inches_, 0, 2);
    sg->addWidget(color_, 0, 3);
    sg->addWidget(new QLabel(analysis_text::kFlHeight, size), 1, 0);
    sg->addWidget(height_, 1, 1);
    sg->addWidget(cm_, 1, 2);
    sg->addWidget(bw_, 1, 3);
    form->addRow(size);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* defaults = buttons->addButton(analysis_text::kFlDefaultSize, QDialogButtonBox::ResetRole);
    connect(defaults, &QPushButton::clicked, this, &COptionFFTLPC::press_default_size);
    connect(buttons, &QDialogButtonBox::accepted, this, &COptionFFTLPC::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(sizes_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) choose_size(row);
    });
    connect(applied_, &QSpinBox::editingFinished, this, &COptionFFTLPC::check_applied_window);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(form);
    outer->addWidget(buttons);
    load();
}

int COptionFFTLPC::max_applied_window() const {
    const int row = std::max(0, sizes_->currentRow());
    return static_cast<int>((1 << (row + 5)) * 1000.0 / rate_);
}

void COptionFFTLPC::choose_size(int index) {
    if (sizes_->currentRow() != index) {
        sizes_->setCurrentRow(index);  // comes back here through the signal
        return;
    }
    applied_->setValue(max_applied_window());
}

void COptionFFTLPC::check_applied_window() {
    if (applied_->value() <= max_applied_window()) return;
    prompts_.beep();
    prompts_.message(analysis_text::kFlWindowOutOfRange, MessageIcon::Warning);
    applied_->setValue(max_applied_window());
}

void COptionFFTLPC::load() {
    const FftLpcOptions& o = options_;
    {
        const QSignalBlocker block(sizes_);
        sizes_->setCurrentRow(std::clamp(o.window_list_index, 0, 7));
    }
    applied_->setValue(o.applied_window_ms);
    range_->setValue(o.frequency_range_hz);
    step_->setValue(o.average_step_ms);
    lpc_->setValue(o.lpc_coefficients);
    draw_lpc_->setChecked(o.draw_lpc != 0);
    absolute_->setChecked(o.absolute_db != 0);
    relative_->setChecked(o.absolute_db == 0);
    absolute_db_->setValue(o.absolute_top_db);
    fgrid_->setChecked(o.add_frequency_grid != 0);
    fgrid_hz_->setValue(o.frequency_grid_hz);
    fgrid_hz_->setEnabled(o.add_frequency_grid != 0);
    pgrid_->setChecked(o.add_power_grid != 0);
    pgrid_db_->setValue(o.power_grid_db);
    pgrid_db_->setEnabled(o.add_power_grid != 0);
    width_->setValue(o.print_width);
    height_->setValue(o.print_height);
    inches_->setChecked(o.inches != 0);
    cm_->setChecked(o.inches == 0);
    color_->setChecked(o.color != 0);
    bw_->setChecked(o.color == 0);
}

void COptionFFTLPC::store() {
    FftLpcOptions& o = options_;
    o.window_list_index = std::max(0, sizes_->currentRow());
    o.fft_points = 1 << (o.window_list_index + 5);
    o.applied_window_ms = std::min(applied_->value(), max_applied_window());
    o.frequency_range_hz = range_->value();
    o.average_step_ms = step_->value();
    // An even number of coefficients: an odd entry goes down to the even one below.
    o.lpc_coefficients = std::max(4, lpc_->value() / 2 * 2);
    o.draw_lpc = draw_lpc_->isChecked();
    o.absolute_db = absolute_->isChecked();
    o.absolute_top_db = absolute_db_->value();
    o.add_frequency_grid = fgrid_->isChecked();
    o.frequency_grid_hz = fgrid_hz_->value();
    o.add_power_grid = pgrid_->isChecked();
    o.power_grid_db = pgrid_db_->value();
    o.print_width = width_->value();
    o.print_height = height_->value();
    o.inches = inches_->isChecked();
    o.color = color_->isChecked();
}

void COptionFFTLPC::press_default_size() {
    FftLpcOptions d = fft_lpc_rate_defaults(FftLpcOptions{}, rate_);
    d.average_step_ms = 10;
    d.draw_lpc = 1;
    d.absolute_db = 1;
    d.absolute_top_db = 80;
    d.add_frequency_grid = 1;
    d.frequency_grid_hz = 1000;
    d.add_power_grid = 1;
    d.power_grid_db = 20;
    d.print_width = 6.0;
    d.print_height = 4.0;
    d.inches = 1;
    d.color = 1;
    options_ = d;
    load();
}

bool COptionFFTLPC::try_accept() {
    check_applied_window();
    store();
    return true;
}

void COptionFFTLPC::accept() {
    if (try_accept()) QDialog::accept();
}

}  // namespace vox
