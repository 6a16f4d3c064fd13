#include "gui/views/waveform/option_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/dsp/pitch_options.h"
#include "core/platform/user_prompts.h"

namespace vox {

namespace {

QDoubleSpinBox* real_box(double lo, double hi, double v, int decimals = 1) {
    auto* b = new QDoubleSpinBox;
    b->setRange(lo, hi);
    b->setDecimals(decimals);
    b->setValue(v);
    return b;
}
QSpinBox* int_box(int lo, int hi, int v) {
    auto* b = new QSpinBox;
    b->setRange(lo, hi);
    b->setValue(v);
    return b;
}
QWidget* pair_row(QWidget* a, QWidget* b) {
    auto* w = new QWidget;
    auto* l = new QHBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(a);
    l->addWidget(b);
    return w;
}
QDialogButtonBox* ok_cancel(QDialog* d) {
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(box, &QDialogButtonBox::accepted, d, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, d, &QDialog::reject);
    return box;
}

}  // namespace

// --- Display Option ----------------------------------------------------------------

CDialogOptionDisplay::CDialogOptionDisplay(const DisplayOptions& d, double long_file_minutes, QWidget* parent)
    : QDialog(parent), base_(d) {
    setWindowTitle("Display Option");
    auto* form = new QFormLayout;
    minutes_ = real_box(0.1, 100000.0, long_file_minutes);
    form->addRow("Available memory to read files (min) = ", minutes_);
    always_ = new QRadioButton("Always perform Pitch and Intensity for all files automatically.");
    never_ = new QRadioButton("Never perform Pitch and Intensity automatically.");
    (d.always_analyse ? always_ : never_)->setChecked(true);
    auto* g1 = new QButtonGroup(this);
    g1->addButton(always_);
    g1->addButton(never_);
    form->addRow(always_);
    form->addRow(never_);
    msec_ = new QRadioButton("Msec");
    seconds_ = new QRadioButton("Seconds");
    (d.msec ? msec_ : seconds_)->setChecked(true);
    auto* g2 = new QButtonGroup(this);
    g2->addButton(msec_);
    g2->addButton(seconds_);
    form->addRow("Time base: ", pair_row(msec_, seconds_));
    audio_h_ = int_box(10, 4000, d.audio_height);
    int_h_ = int_box(10, 4000, d.intensity_height);
    form->addRow("Audio Heigth (pixels) = ", audio_h_);
    form->addRow("Intensity Heigth (pixels) = ", int_h_);
    track_ = new QCheckBox("Track mouse for all windows");
    track_->setChecked(d.track_mouse != 0);
    form->addRow(track_);
    grid_ = new QCheckBox("Add Time grid with spacing (ms) = ");
    grid_->setChecked(d.add_time_grid != 0);
    grid_ms_ = int_box(0, 10000000, d.time_grid_ms);
    grid_ms_->setEnabled(grid_->isChecked());
    connect(grid_, &QCheckBox::toggled, grid_ms_, &QWidget::setEnabled);
    form->addRow(grid_, grid_ms_);

    auto* print = new QGroupBox("Print/BMP size");
    auto* pf = new QFormLayout(print);
    inches_ = new QRadioButton("inches");
    cm_ = new QRadioButton("cm");
    (d.inches ? inches_ : cm_)->setChecked(true);
    auto* g3 = new QButtonGroup(this);
    g3->addButton(inches_);
    g3->addButton(cm_);
    pf->addRow(pair_row(inches_, cm_));
    width_ = real_box(0.5, 100.0, d.print_width, 2);
    height_ = real_box(0.5, 100.0, d.print_height, 2);
    pf->addRow("Width = ", width_);
    pf->addRow("Height = ", height_);
    color_ = new QRadioButton("Color");
    bw_ = new QRadioButton("Black White");
    (d.color ? color_ : bw_)->setChecked(true);
    auto* g4 = new QButtonGroup(this);
    g4->addButton(color_);
    g4->addButton(bw_);
    pf->addRow(pair_row(color_, bw_));

    auto* v = new QVBoxLayout(this);
    v->addLayout(form);
    v->addWidget(print);
    v->addWidget(ok_cancel(this));
}

DisplayOptions CDialogOptionDisplay::display() const {
    DisplayOptions d = base_;
    d.always_analyse = always_->isChecked() ? 1 : 0;
    d.msec = msec_->isChecked() ? 1 : 0;
    d.audio_height = audio_h_->value();
    d.intensity_height = int_h_->value();
    d.track_mouse = track_->isChecked() ? 1 : 0;
    d.add_time_grid = grid_->isChecked() ? 1 : 0;
    d.time_grid_ms = grid_ms_->value();
    d.inches = inches_->isChecked() ? 1 : 0;
    d.print_width = width_->value();
    d.print_height = height_->value();
    d.color = color_->isChecked() ? 1 : 0;
    return d;
}

double CDialogOptionDisplay::long_file_minutes() const { return minutes_->value(); }

// --- pitch options -------------------------------------------------------------------

COptionPitch::COptionPitch(const PitchOptions& options, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), options_(options), prompts_(prompts), method_(options.cepstral ? 1 : 0) {
    setWindowTitle("Pitch Options");
    auto* form = new QFormLayout;
    window_ = real_box(0.1, 10000.0, 0);
    step_ = real_box(0.1, 10000.0, 0);
    calc_low_ = real_box(0.0, 100000.0, 0);
    calc_high_ = real_box(0.0, 100000.0, 0);
    disp_low_ = int_box(0, 100000, 0);
    disp_high_ = int_box(0, 100000, 0);
    deviation_ = real_box(0.0, 100000.0, 0);
    threshold_ = real_box(0.0, 100.0, 0, 2);
    grid_ = new QCheckBox("Add Frequency grid with spacing (Hz) = ");
    grid_hz_ = int_box(1, 100000, 20);
    connect(grid_, &QCheckBox::toggled, grid_hz_, &QWidget::setEnabled);
    cepstral_ = new QRadioButton("Cepstral");
    amdf_ = new QRadioButton("AutoCorrolation");
    auto* g = new QButtonGroup(this);
    g->addButton(cepstral_, 1);
    g->addButton(amdf_, 0);
    form->addRow("Calculation Method: ", pair_row(cepstral_, amdf_));
    form->addRow("Window length (ms)  = ", window_);
    form->addRow("Step size (ms)           = ", step_);
    form->addRow("Calculation range (Hz)  = ", pair_row(calc_low_, calc_high_));
    form->addRow("Display range (Hz)        = ", pair_row(disp_low_, disp_high_));
    form->addRow("Frequency deviation (Hz) = ", deviation_);
    form->addRow("Tracking threshold (%)     = ", threshold_);
    form->addRow(grid_, grid_hz_);
    auto* defaults = new QPushButton("Defaults ");
    connect(defaults, &QPushButton::clicked, this, &COptionPitch::press_defaults);
    connect(g, &QButtonGroup::idClicked, this, &COptionPitch::select_method);
    auto* v = new QVBoxLayout(this);
    v->addLayout(form);
    auto* row = new QHBoxLayout;
    row->addWidget(defaults);
    row->addStretch();
    row->addWidget(ok_cancel(this));
    v->addLayout(row);
    load_boxes();
}

void COptionPitch::load_pair(int method) {
    const PitchTrackingPair pair = tracking_pair(options_, method);
    deviation_->setValue(pair.deviation);
    threshold_->setValue(pair.threshold);
    // The AMDF tracker has fixed frames of 100 samples.
    window_->setEnabled(method == kPitchMethodCepstral);
    step_->setEnabled(method == kPitchMethodCepstral);
}

void COptionPitch::load_boxes() {
    window_->setValue(options_.window_ms);
    step_->setValue(options_.step_ms);
    calc_low_->setValue(options_.calc_low_hz);
    calc_high_->setValue(options_.calc_high_hz);
    disp_low_->setValue(options_.display_low_hz);
    disp_high_->setValue(options_.display_high_hz);
    grid_->setChecked(options_.add_frequency_grid != 0);
    grid_hz_->setValue(options_.frequency_grid_hz);
    grid_hz_->setEnabled(grid_->isChecked());
    (method_ == kPitchMethodCepstral ? cepstral_ : amdf_)->setChecked(true);
    load_pair(method_);
}

void COptionPitch::store_boxes() {
    options_.window_ms = window_->value();
    options_.step_ms = step_->value();
    options_.calc_low_hz = calc_low_->value();
    options_.calc_high_hz = calc_high_->value();
    options_.display_low_hz = disp_low_->value();
    options_.display_high_hz = disp_high_->value();
    options_.add_frequency_grid = grid_->isChecked() ? 1 : 0;
    options_.frequency_grid_hz = grid_hz_->value();
    store_tracking_pair(options_, method_, PitchTrackingPair{deviation_->value(), threshold_->value()});
}

void COptionPitch::select_method(int method) {
    if (method == method_) return;
    // The boxes of the method being left are kept for it.
    store_tracking_pair(options_, method_, PitchTrackingPair{deviation_->value(), threshold_->value()});
    method_ = method;
    (method_ == kPitchMethodCepstral ? cepstral_ : amdf_)->setChecked(true);
    load_pair(method_);
}

void COptionPitch::press_defaults() {
    store_boxes();
    apply_pitch_defaults(options_, method_);
    load_boxes();
}

bool COptionPitch::try_accept() {
    store_boxes();
    options_.cepstral = method_;
    if (const char* msg = validate_pitch_options(options_)) {
        prompts_.message(msg, MessageIcon::Warning);
        return false;
    }
    return true;
}

void COptionPitch::accept() {
    if (try_accept()) QDialog::accept();
}

// --- intensity options -----------------------------------------------------------------

COptionIntensitySmooth::COptionIntensitySmooth(const IntensityOptions& o, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Intensity Options");
    auto* form = new QFormLayout;
    window_ = int_box(1, 100000, static_cast<int>(o.window_ms));
    step_ = int_box(1, 100000, static_cast<int>(o.step_ms));
    form->addRow("Window Length (ms) = ", window_);
    form->addRow("Step Size (ms) = ", step_);
    absolute_ = new QRadioButton("Absolute");
    relative_ = new QRadioButton("Relative");
    (o.relative ? relative_ : absolute_)->setChecked(true);
    auto* g = new QButtonGroup(this);
    g->addButton(absolute_, 0);
    g->addButton(relative_, 1);
    form->addRow(pair_row(absolute_, relative_));
    auto* v = new QVBoxLayout(this);
    v->addLayout(form);
    v->addWidget(ok_cancel(this));
}

IntensityOptions COptionIntensitySmooth::options() const {
    IntensityOptions o;
    o.window_ms = window_->value();
    o.step_ms = step_->value();
    o.relative = relative_->isChecked() ? 1 : 0;
    return o;
}

}  // namespace vox
