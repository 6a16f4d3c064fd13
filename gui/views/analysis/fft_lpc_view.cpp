#include "gui/views/analysis/fft_lpc_view.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <algorithm>

#include "core/dsp/time_base.h"
#include <cmath>
#include <cstdio>

#include "core/app/config_file.h"
#include "core/document/channel_analysis.h"
#include "core/document/marbeck_doc.h"
#include "core/dsp/sample_source.h"
#include "gui/plot/bitmap_file.h"
#include "gui/plot/plot_draw.h"
#include "gui/views/analysis/analysis_text.h"
#include "gui/views/analysis/spectrogram_view.h"
#include "gui/views/waveform/plot_geometry.h"

namespace vox {

namespace {

constexpr const char* kCaptions[CFFTLPCView::FieldCount] = {
    analysis_text::kSampleRate, analysis_text::kLpcCoefficients, analysis_text::kBandwidth,
    analysis_text::kWindowLength, analysis_text::kAppliedWindow, analysis_text::kAverageStep,
    analysis_text::kPower, analysis_text::kFrequency};

QString fmt(const char* f, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, f, v);
    return QString::fromLatin1(buf);
}

int itrunc(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<int>(std::clamp(v, -2e9, 2e9));
}

}  // namespace

// The plot area: paints the view's curves and passes the mouse on.
class FftLpcPlot : public QWidget {
public:
    explicit FftLpcPlot(CFFTLPCView& view, QWidget* parent) : QWidget(parent), view_(view) {
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMinimumSize(160, 120);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        view_.draw(p, view_.plot_rect(), 1.0, view_.options_.color != 0, true);
        const Rect r = view_.plot_rect();
        if (view_.tracking_x_ >= r.left && view_.tracking_x_ < r.right) {
            p.setPen(QPen(QColor(0, 90, 255), 0, Qt::DotLine));
            p.drawLine(view_.tracking_x_, r.top, view_.tracking_x_, r.bottom - 1);
        }
    }
    void resizeEvent(QResizeEvent* e) override {
        QWidget::resizeEvent(e);
        view_.plot_resized();
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) view_.plot_mouse(e->position().toPoint().x(), true, false);
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        view_.plot_mouse(e->position().toPoint().x(), false, e->buttons() & Qt::LeftButton);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) view_.pressed_ = false;
    }

private:
    CFFTLPCView& view_;
};

CFFTLPCView::CFFTLPCView(CMarbeckDoc& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* bar = new QWidget(this);
    auto* grid = new QGridLayout(bar);
    grid->setContentsMargins(6, 3, 6, 3);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    QFont small;
    small.setPixelSize(11);
    for (int i = 0; i < FieldCount; ++i) {
        auto* caption = new QLabel(kCaptions[i], bar);
        caption->setFont(small);
        auto* value = new QLabel(bar);
        value->setFont(small);
        value->setMinimumWidth(64);
        value->setStyleSheet("QLabel { color: #000080; background: #f4f4f4; border: 1px solid #d0d0d0; padding: 0 2px; }");
        const int row = i % 3, col = (i / 3) * 2;
        grid->addWidget(caption, row, col, Qt::AlignRight);
        grid->addWidget(value, row, col + 1);
        fields_[i] = value;
    }
    formants_ = new QLabel(bar);
    QFont mono("DejaVu Sans Mono");
    mono.setStyleHint(QFont::Monospace);
    mono.setPixelSize(11);
    formants_->setFont(mono);
    // The formants text on its own rows under the read-outs, wide enough for ten values.
    formants_->setTextFormat(Qt::PlainText);
    grid->addWidget(formants_, 3, 0, 1, 6, Qt::AlignLeft | Qt::AlignTop);
    // The room left over stays empty right of the read-outs, which keep
    // their own width.
    grid->setColumnStretch(6, 1);
    outer->addWidget(bar);
    plot_ = new FftLpcPlot(*this, this);
    outer->addWidget(plot_, 1);
    commands_ = make_commands();
}

QString CFFTLPCView::field_text(Field f) const { return fields_[f]->text(); }

Rect CFFTLPCView::plot_rect() const {
    const QFontMetrics fm(ViewFont());
    const int left = fm.horizontalAdvance("-0000 dB") + 6;
    return Rect{left, 10, std::max(left + 1, plot_->width() - 12), std::max(11, plot_->height() - fm.height() - 8)};
}

bool CFFTLPCView::set_parameters(const FftLpcStretch& stretch, const FftLpcOptions& options) {
    stretch_ = stretch;
    options_ = options;
    const CChannels& ch = doc_.channels[0];
    fs_ = doc_.doc_rate > 0.0 ? doc_.doc_rate : ch.sample_rate;
    parameters_set_ = true;
    compute(true);
    fill_fields();
    plot_->update();
    return result_.has_value();
}

void CFFTLPCView::compute(bool report) {
    result_.reset();
    cursor_index_ = -1;
    if (!parameters_set_ || !doc_.loaded) return;
    const Rect r = plot_rect();
    SliceRequest rq;
    rq.fs = fs_;
    rq.frame_start = stretch_.frame_start;
    rq.selection = stretch_.selection;
    rq.sel_start = stretch_.sel_start;
    rq.sel_end = stretch_.sel_end;
    rq.out_points = r.right - r.left;
    rq.options = options_;
    try {
        SampleSource src = channel_source(doc_, 0);
        result_ = ComputeFftLpcSlice(src, rq, report ? &doc_.prompts() : nullptr);
    } catch (const AnalysisAbandoned&) {
        result_.reset();
    }
    // The formants text.
    formants_text_ = analysis_text::kFormantsCaption;
    const SliceResult empty;
    const SliceResult& s = result_ ? *result_ : empty;
    for (double f : s.F) formants_text_ += "\t" + fmt("%7.1f", f);
    formants_text_ += analysis_text::kBandwidthsCaption;
    for (double b : s.B) formants_text_ += "\t" + fmt("%7.1f", b);
    QString shown = formants_text_;
    // On screen the captions are padded so that the two rows of values line up.
    shown.replace("Formants\t", "Formants   ").replace("Bandwidths\t", "Bandwidths ").replace("\t", " ");
    formants_->setText(shown);
}

void CFFTLPCView::fill_fields() {
    const int N = slice_fft_points(options_);
    fields_[SampleRate]->setText(QString::number(static_cast<int>(fs_)));
    fields_[LpcCoefficients]->setText(QString::number(options_.lpc_coefficients));
    fields_[Bandwidth]->setText(QString::number(static_cast<int>(fs_) / N));
    fields_[WindowLength]->setText(QString::number(N));
    fields_[AppliedWindow]->setText(QString::number(options_.applied_window_ms));
    fields_[AverageStep]->setText(QString::number(options_.average_step_ms));
}

void CFFTLPCView::plot_resized() {
    // One curve value per pixel column: a new width is a new analysis.
    if (!parameters_set_ || !result_) return;
    const int points = plot_rect().right - plot_rect().left;
    if (static_cast<int>(result_->fft.size()) == points) return;
    compute(false);
}

double CFFTLPCView::axis_top() const {
    if (!result_) return 1.0;
    const double span = std::max(1.0, result_->fft_max);
    const double step = options_.add_power_grid && options_.power_grid_db > 0 ? options_.power_grid_db : 10.0;
    return std::ceil(span / step) * step;
}

double CFFTLPCView::frequency_at(int index) const {
    if (!result_ || result_->fft.empty()) return 0.0;
    return index * (double(options_.frequency_range_hz) / double(result_->fft.size()));
}

double CFFTLPCView::level_at(int index) const {
    if (!result_ || result_->fft.empty()) return 0.0;
    const int i = std::clamp(index, 0, static_cast<int>(result_->fft.size()) - 1);
    const double v = result_->fft[static_cast<std::size_t>(i)];
    // Absolute: the curve's value plus the level of its minimum (dB);
    // relative: the distance below its top.
    return options_.absolute_db ? v + result_->fft_min : -(result_->fft_max - v);
}

double CFFTLPCView::lpc_curve_value(int i) const {
    const auto& lpc = result_->lpc;
    const double peak = *std::max_element(lpc.begin(), lpc.end());
    const int j = std::clamp(i, 0, static_cast<int>(lpc.size()) - 1);
    // The envelope is drawn with its peak on the FFT curve's top.
    return lpc[static_cast<std::size_t>(j)] + (result_->fft_max - peak);
}

double CFFTLPCView::lpc_level_at(int index) const {
    if (!result_ || result_->lpc.empty()) return 0.0;
    const double v = lpc_curve_value(index);
    return options_.absolute_db ? v + result_->fft_min : -(result_->fft_max - v);
}

double CFFTLPCView::slice_start_ms() const {
    if (!(fs_ > 0.0)) return 0.0;
    return sample_time_ms(double(stretch_.selection ? stretch_.sel_start : stretch_.frame_start), fs_);
}

double CFFTLPCView::slice_end_ms() const {
    if (!(fs_ > 0.0)) return 0.0;
    if (stretch_.selection) return sample_time_ms(double(stretch_.sel_end), fs_);
    // One frame of the FFT size from the cursor.
    return sample_time_ms(double(stretch_.frame_start + static_cast<std::uint64_t>(slice_fft_points(options_))), fs_);
}

void CFFTLPCView::plot_mouse(int x, bool press, bool moving_with_button) {
    const Rect r = plot_rect();
    if (x < r.left || x >= r.right) return;  // outside the plot nothing changes
    tracking_x_ = x;
    if (press) pressed_ = true;
    if (result_ && !result_->fft.empty()) {
        const int points = static_cast<int>(result_->fft.size());
        const int c = std::clamp(static_cast<int>(double(points) / (r.right - r.left) * (x - r.left)), 0, points - 1);
        fields_[Frequency]->setText(fmt("%5.1f", frequency_at(c)));
        const double level = level_at(c);
        fields_[Power]->setText(options_.absolute_db ? fmt("%5.1f", level) : fmt("-%5.1f", -level));
        if (press || (pressed_ && moving_with_button)) cursor_index_ = c;
    }
    plot_->update();
}

void CFFTLPCView::draw(QPainter& p, const Rect& r, double k, bool color, bool cursor) {
    const int W = r.right - r.left, H = r.bottom - r.top;
    if (W <= 0 || H <= 0) return;
    p.save();
    const QFont font = ViewFont(k);
    p.setFont(font);
    if (result_ && !result_->fft.empty()) {
        const double top = axis_top();
        // The power axis reads in the same terms as the level read-out.
        const double low = options_.absolute_db ? result_->fft_min : -top;
        const double high = options_.absolute_db ? result_->fft_min + top : 0.0;
        if (options_.add_frequency_grid && options_.frequency_grid_hz > 0)
            plot::DrawFrequencyGrid(p, r, 0.0, options_.frequency_range_hz, options_.frequency_grid_hz, 2, "Hz", false);
        if (options_.add_power_grid && options_.power_grid_db > 0)
            plot::DrawFrequencyGrid(p, r, low, high, options_.power_grid_db, 1, "dB", false);
        const auto& fft = result_->fft;
        const int n = static_cast<int>(fft.size());
        // Value v (dB over the curve's minimum) at height v / top.
        auto y_of = [&](double v) { return r.bottom - 1 - (v / top) * (H - 1); };
        auto x_of = [&](int i) { return r.left + double(i) * W / n; };
        p.setRenderHint(QPainter::Antialiasing, true);
        QPainterPath fpath;
        for (int i = 0; i < n; ++i) {
            const QPointF pt(x_of(i), y_of(fft[static_cast<std::size_t>(i)]));
            if (i == 0) fpath.moveTo(pt); else fpath.lineTo(pt);
        }
        p.setPen(QPen(color ? QColor(20, 40, 120) : QColor(Qt::black), std::max(1.0, k)));
        p.drawPath(fpath);
        if (options_.draw_lpc && !result_->lpc.empty()) {
            QPainterPath lpath;
            const int m = static_cast<int>(result_->lpc.size());
            for (int i = 0; i < m; ++i) {
                const QPointF pt(r.left + double(i) * W / m, y_of(lpc_curve_value(i)));
                if (i == 0) lpath.moveTo(pt); else lpath.lineTo(pt);
            }
            QPen pen(color ? QColor(220, 30, 30) : QColor(Qt::black), std::max(1.0, 2.0 * k));
            if (!color) pen.setStyle(Qt::DashLine);
            p.setPen(pen);
            p.drawPath(lpath);
        }
        p.setRenderHint(QPainter::Antialiasing, false);
        if (cursor && cursor_index_ >= 0) {
            const int x = r.left + itrunc(double(W) / n * cursor_index_);
            p.setPen(QPen(Qt::black, 0));
            p.drawLine(x, r.top, x, r.bottom - 1);
        }
    }
    p.setPen(QPen(Qt::black, std::max(1, itrunc(k))));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.left, r.top, W - 1, H - 1);
    p.restore();
}

QImage CFFTLPCView::plot_image() {
    QImage img(plot_->size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    draw(p, plot_rect(), 1.0, options_.color != 0, true);
    return img;
}

CommandTable CFFTLPCView::make_commands() {
    using C = CommandId;
    CommandTable t = CAnalysisFrame::held_while_active();
    t.insert(t.end(), {
        {C::FileSaveBmp, nullptr, [this] { save_bitmap(); }},
        {C::FilePrint, nullptr, [this] { print(false); }},
        {C::FilePrintPreview, nullptr, [this] { print(true); }},
        {C::LogEnterAtMarker, [this] { return log_open_with_fft() && has_cursor(); }, [this] { log_at_marker(); }},
        {C::LogEnterFormantsBandwidths, [this] { return log_open_with_fft() && !result_->lpc.empty(); },
         [this] { log_formants_bandwidths(); }},
        {C::LogEnterAllFftLpcFrame, [this] { return log_open_with_fft(); }, [this] { log_all_frame(); }},
    });
    return t;
}

void CFFTLPCView::print(bool preview) {
    const QString title = QString::fromLatin1(analysis_text::kFftLpcBitmapTitle);
    const auto render = [this](QPainter& p, const plot::PlotTarget& t) { render_plot(p, t); };
    if (preview) plot::PreviewPlot(this, page_setup(), title, render);
    else plot::PrintPlotWithDialog(this, page_setup(), title, render);
}

plot::PageSetup CFFTLPCView::page_setup() const {
    plot::PageSetup s;
    s.width = options_.print_width > 0.0 ? options_.print_width : 6.0;
    s.height = options_.print_height > 0.0 ? options_.print_height : 4.0;
    s.inches = options_.inches != 0;
    s.color = options_.color != 0;
    return s;
}

void CFFTLPCView::render_plot(QPainter& p, const plot::PlotTarget& t) {
    const double k = t.scale;
    const QFontMetrics fm(ViewFont(k));
    const Rect r{t.area.left + fm.horizontalAdvance("-0000 dB") + itrunc(8 * k), t.area.top + itrunc(10 * k),
                 t.area.right - itrunc(12 * k), t.area.bottom - fm.height() - itrunc(10 * k)};
    p.save();
    p.fillRect(QRect(t.area.left + 1, t.area.top + 1, t.area.right - t.area.left - 1, t.area.bottom - t.area.top - 1),
               Qt::white);
    draw(p, r, k, t.color, false);
    p.restore();
}

QImage CFFTLPCView::render_bitmap() {
    return plot::RenderPlotBitmap(page_setup(), analysis_text::kFftLpcBitmapTitle,
                                  [this](QPainter& p, const plot::PlotTarget& t) { render_plot(p, t); });
}

bool CFFTLPCView::save_bitmap() {
    const std::string path = AskBitmapPath(doc_.prompts(), analysis_text::kFftLpcBitmapTitle);
    if (path.empty()) return false;
    const QImage img = render_bitmap();
    if (img.isNull() || !WriteBitmapFile(img, path)) {
        doc_.prompts().beep();
        doc_.prompts().message(bitmap_text::kSaveError, MessageIcon::Error);
        return false;
    }
    return true;
}

// --- the frame ---------------------------------------------------------------------

WindowRect& CFFTLPCFrame::remembered(CMarbeckDoc& doc) {
    // The program's remembered place; a document on its own keeps one for
    // the process.
    static WindowRect standalone;
    if (SessionState* session = doc.services().session; session && session->app_values)
        return session->app_values->fft_lpc_window;
    return standalone;
}

CFFTLPCFrame::CFFTLPCFrame(CMarbeckDoc& doc, bool average, QWidget* parent)
    : CAnalysisFrame(doc, remembered(doc), parent) {
    view_ = new CFFTLPCView(doc, this);
    setWidget(view_);
    setWindowTitle(QString::fromStdString(doc.title()) +
                   (average ? analysis_text::kAverageFftLpcTitleSuffix : analysis_text::kFftLpcTitleSuffix));
}

CFFTLPCFrame* OpenFftLpc(CMarbeckDoc& doc, QMdiArea* area, const FftLpcStretch& stretch) {
    const CChannels& ch = doc.channels[0];
    const double fs = doc.doc_rate > 0.0 ? doc.doc_rate : ch.sample_rate;
    if (const char* m = check_slice_options(doc.options.fft_lpc, fs)) {
        doc.prompts().message(m, MessageIcon::Error);
        return nullptr;
    }
    CFFTLPCFrame* frame = nullptr;
    try {
        frame = new CFFTLPCFrame(doc, stretch.selection);
    } catch (const std::bad_alloc&) {
        doc.prompts().beep();
        doc.prompts().message(analysis_text::kCreateViewError, MessageIcon::Error);
        return nullptr;
    }
    ShowAnalysisFrame(frame, area, QRect(CFFTLPCFrame::kDefaultPlace[0], CFFTLPCFrame::kDefaultPlace[1], CFFTLPCFrame::kDefaultPlace[2], CFFTLPCFrame::kDefaultPlace[3]));
    // The plot must have its width before the analysis (one value per column).
    frame->view().plot_widget()->ensurePolished();
    if (frame->view().layout()) frame->view().layout()->activate();
    frame->view().set_parameters(stretch, doc.options.fft_lpc);
    return frame;
}

}  // namespace vox
