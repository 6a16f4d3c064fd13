#include "gui/views/analysis/spectrogram_view.h"

#include <QGridLayout>
#include <QLabel>
#include <QMdiArea>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

#include "core/annotation/log_target.h"
#include "core/app/config_file.h"
#include "core/document/marbeck_doc.h"
#include "gui/plot/bitmap_file.h"
#include "gui/views/analysis/analysis_text.h"
#include "gui/views/analysis/fft_lpc_view.h"
#include "gui/views/waveform/marbeck_view.h"
#include "gui/widgets/window_fit.h"

namespace vox {

namespace {

QString printf_int(int v) { return QString::number(v); }

QString printf_real(const char* fmt, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, v);
    return QString::fromLatin1(buf).trimmed();
}

constexpr const char* kCaptions[CSpectrogramView::FieldCount] = {
    analysis_text::kSampleRate, analysis_text::kWindowLength, analysis_text::kDynamicRange,
    analysis_text::kLpcCoefficients, analysis_text::kBandwidth, analysis_text::kPreEmphasis,
    analysis_text::kTime, analysis_text::kFrequency, analysis_text::kDuration};

}  // namespace

// --- the view ----------------------------------------------------------------------

CSpectrogramView::CSpectrogramView(CMarbeckDoc& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* bar = new QWidget(this);
    bar->setObjectName("information_bar");
    bar->setAutoFillBackground(true);
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
    // The room left over stays empty right of the read-outs, which keep
    // their own width.
    grid->setColumnStretch(6, 1);
    outer->addWidget(bar);
    pane_ = new CSpectrogramPane(doc, this);
    outer->addWidget(pane_, 1);
    connect(pane_, &CSpectrogramPane::readout, this, &CSpectrogramView::show_readout);
    connect(pane_, &CSpectrogramPane::closeRequested, this, &CSpectrogramView::closeRequested);
    commands_ = make_commands();
}

QString CSpectrogramView::field_text(Field f) const { return fields_[f]->text(); }

bool CSpectrogramView::setup(const SpectrogramStretch& stretch, const SpectrogramOptions& options) {
    const CChannels& ch = doc_.channels[0];
    const double rate = doc_.doc_rate > 0.0 ? doc_.doc_rate : ch.sample_rate;
    if (const char* m = check_spectrogram_setup(rate, options.frequency_range_hz, options.formant_lpc_coefficients)) {
        doc_.prompts().message(m, MessageIcon::Error);
        return false;
    }
    start_ms_ = stretch.start_ms;
    end_ms_ = stretch.end_ms;
    span_ms_ = end_ms_ - start_ms_;
    pane_->setup(stretch, options);
    const int window = 1 << (std::clamp(options.bandwidth_index, 0, 8) + 5);
    fields_[SampleRate]->setText(printf_int(static_cast<int>(rate)));
    fields_[WindowLength]->setText(printf_int(window));
    fields_[DynamicRange]->setText(printf_int(options.dynamic_range_db));
    fields_[LpcCoefficients]->setText(printf_int(options.formant_lpc_coefficients));
    fields_[Bandwidth]->setText(printf_int(static_cast<int>(rate) / window));
    fields_[PreEmphasis]->setText(printf_real("%3.2f", options.pre_emphasis));
    fields_[Time]->setText(printf_real("%20.1f", 0.0));
    fields_[Frequency]->setText(printf_real("%5.1f", 0.0));
    fields_[Duration]->setText(printf_real("%20.1f", 0.0));
    return true;
}

void CSpectrogramView::show_readout(double time_ms, double frequency_hz, double duration_ms) {
    if (time_ms != -1.0) fields_[Time]->setText(printf_real("%20.1f", time_ms));
    if (frequency_hz != -1.0) fields_[Frequency]->setText(printf_real("%5.1f", frequency_hz));
    if (duration_ms != -1.0) fields_[Duration]->setText(printf_real("%20.1f", duration_ms));
}

CommandTable CSpectrogramView::make_commands() {
    using C = CommandId;
    const auto computed = [this] { return pane_->computed(); };
    const auto log = [this] { return open_log(doc_.services().session) != nullptr && pane_->computed(); };
    CommandTable t = CAnalysisFrame::held_while_active();
    t.insert(t.end(), {
        {C::FileSaveBmp, computed, [this] { save_bitmap(); }},
        {C::FilePrint, computed, [this] { print(false); }},
        {C::FilePrintPreview, computed, [this] { print(true); }},
        {C::FftLpc, [this] { return pane_->computed() && pane_->has_cursor(); }, [this] { open_fft_lpc(false); }},
        {C::FftLpcSelection, [this] { return pane_->computed() && pane_->has_selection(); },
         [this] { open_fft_lpc(true); }},
        {C::PlaySelection, [this] { return pane_->computed() && pane_->has_selection() && !pane_->playing(); },
         [this] { pane_->play(true); }},
        {C::PlayWindow, [this] { return pane_->computed() && !pane_->playing(); }, [this] { pane_->play(false); }},
        {C::LogEnterAtMarker, [log, this] { return log() && pane_->has_cursor(); }, [this] { log_at_marker(); }},
        {C::LogEnterDuration, [log, this] { return log() && pane_->has_selection(); }, [this] { log_duration(); }},
        {C::LogEnterFormantsAtMarker, [log, this] { return log() && formants_found() && pane_->has_cursor(); },
         [this] { log_formants_at_marker(); }},
        {C::LogEnterFormantsSelection, [log, this] { return log() && formants_found() && pane_->has_selection(); },
         [this] { log_formants_selection(); }},
    });
    return t;
}

void CSpectrogramView::print(bool preview) {
    const QString title = QString::fromStdString(doc_.path().empty() ? doc_.title() : doc_.path()) +
                          analysis_text::kSpectrogramTitleSuffix;
    const auto render = [this](QPainter& p, const plot::PlotTarget& t) { pane_->render_plot(p, t); };
    if (preview) plot::PreviewPlot(this, page_setup(), title, render);
    else plot::PrintPlotWithDialog(this, page_setup(), title, render);
}

plot::PageSetup CSpectrogramView::page_setup() const {
    const SpectrogramOptions& o = pane_->options();
    plot::PageSetup s;
    s.width = o.print_width > 0.0 ? o.print_width : 6.0;
    s.height = o.print_height > 0.0 ? o.print_height : 4.0;
    s.inches = o.inches != 0;
    s.color = true;  // the formant dots are red
    return s;
}

QImage CSpectrogramView::render_bitmap() {
    pane_->cached_image();
    const QString title = QString::fromLatin1(analysis_text::kSpectrogramBitmapTitle) + " " +
                          QString::fromStdString(doc_.title());
    return plot::RenderPlotBitmap(page_setup(), title,
                                  [this](QPainter& p, const plot::PlotTarget& t) { pane_->render_plot(p, t); });
}

bool CSpectrogramView::save_bitmap() {
    std::string name = doc_.title();
    std::replace(name.begin(), name.end(), '.', '_');
    const std::string path = AskBitmapPath(doc_.prompts(), std::string(analysis_text::kSpectrogramBitmapTitle) + "_" + name);
    if (path.empty()) return false;
    const QImage img = render_bitmap();
    if (img.isNull() || !WriteBitmapFile(img, path)) {
        doc_.prompts().beep();
        doc_.prompts().message(bitmap_text::kSaveError, MessageIcon::Error);
        return false;
    }
    return true;
}

void CSpectrogramView::open_fft_lpc(bool selection) {
    const CChannels& ch = doc_.channels[0];
    const double rate = doc_.doc_rate > 0.0 ? doc_.doc_rate : ch.sample_rate;
    auto sample_of = [&](double ms) {
        const double s = std::clamp(ms * rate / 1000.0, 0.0, std::max(0.0, ch.sample_count - 1.0));
        return static_cast<std::uint64_t>(s);
    };
    FftLpcStretch st;
    st.selection = selection;
    if (selection) {
        st.sel_start = sample_of(pane_->selection_start_ms());
        st.sel_end = sample_of(pane_->selection_end_ms());
    } else {
        st.frame_start = sample_of(pane_->cursor_ms());
    }
    OpenFftLpc(doc_, AreaOf(this), st);
}

// --- the frame ---------------------------------------------------------------------

WindowRect& CSpectrogramFrame::remembered(CMarbeckDoc& doc) {
    // The program's remembered place; a document on its own keeps one for
    // the process.
    static WindowRect standalone;
    if (SessionState* session = doc.services().session; session && session->app_values)
        return session->app_values->spectrogram_window;
    return standalone;
}

CSpectrogramFrame::CSpectrogramFrame(CMarbeckDoc& doc, QWidget* parent)
    : CAnalysisFrame(doc, remembered(doc), parent) {
    view_ = new CSpectrogramView(doc, this);
    setWidget(view_);
    setWindowTitle(QString::fromStdString(doc.path().empty() ? doc.title() : doc.path()) +
                   analysis_text::kSpectrogramTitleSuffix);
    // A failed set-up of the display closes the window once the event is over.
    connect(view_, &CSpectrogramView::closeRequested, this, [this] { QTimer::singleShot(0, this, &QWidget::close); });
}

// --- opening -----------------------------------------------------------------------

QMdiArea* AreaOf(QWidget* w) {
    for (QWidget* p = w; p; p = p->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(p)) return sub->mdiArea();
    return nullptr;
}

void ShowAnalysisFrame(CAnalysisFrame* frame, QMdiArea* area, const QRect& fallback) {
    const QRect g = frame->initial_geometry(fallback);
    if (area) {
        area->addSubWindow(frame);
        frame->setGeometry(fit_rect(g, subwindow_bounds(area)));
        frame->show();
        area->setActiveSubWindow(frame);
    } else {
        frame->setGeometry(g);
        frame->show();
    }
}

CSpectrogramFrame* OpenSpectrogram(CMarbeckView& from, const SpectrogramStretch& range) {
    CMarbeckDoc& doc = from.document();
    const CChannels& ch = doc.channels[0];
    const double rate = doc.doc_rate > 0.0 ? doc.doc_rate : ch.sample_rate;
    const SpectrogramOptions& o = doc.options.spectrogram;
    // The checks come before any window: a refused stretch leaves nothing behind.
    if (doc.loaded) {
        if (const char* m = check_spectrogram_setup(rate, o.frequency_range_hz, o.formant_lpc_coefficients)) {
            doc.prompts().message(m, MessageIcon::Error);
            return nullptr;
        }
    }
    CSpectrogramFrame* frame = nullptr;
    try {
        frame = new CSpectrogramFrame(doc);
    } catch (const std::bad_alloc&) {
        doc.prompts().beep();
        doc.prompts().message(analysis_text::kCreateViewError, MessageIcon::Error);
        return nullptr;
    }
    QMdiArea* area = AreaOf(&from);
    ShowAnalysisFrame(frame, area,
                      QRect(CSpectrogramFrame::kDefaultX, CSpectrogramFrame::kDefaultY, CSpectrogramFrame::kDefaultW,
                            CSpectrogramFrame::kDefaultH));
    if (doc.loaded && doc.channel_count > 0) frame->view().setup(range, o);
    // The spectrogram follows the mouse of every waveform window of the document.
    std::vector<CMarbeckView*> views{&from};
    if (area)
        for (QMdiSubWindow* w : area->subWindowList())
            if (auto* v = qobject_cast<CMarbeckView*>(w->widget()); v && v != &from && &v->document() == &doc)
                views.push_back(v);
    CSpectrogramPane* pane = &frame->view().pane();
    for (CMarbeckView* v : views)
        QObject::connect(v, &CMarbeckView::pointerForwarded, pane,
                         [pane](int phase, double ms) { pane->follow(static_cast<FollowPhase>(phase), ms); });
    return frame;
}

}  // namespace vox
