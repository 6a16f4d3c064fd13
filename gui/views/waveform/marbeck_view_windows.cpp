// The windows of a document moved to the rectangles of a loaded
// configuration: the document's own window, its label table and its
// FFT/LPC and spectrogram windows, each inside the area that holds it.
#include <QMdiArea>
#include <QMdiSubWindow>

#include "gui/annotation/label_table_view.h"
#include "gui/widgets/window_fit.h"
#include "gui/views/analysis/fft_lpc_view.h"
#include "gui/views/analysis/spectrogram_view.h"
#include "gui/views/waveform/marbeck_view.h"

namespace vox {

namespace {

void move_to(QMdiSubWindow* w, const WindowRect& r, QMdiArea* area) {
    if (!w || r.empty() || r.c <= 0 || r.d <= 0) return;
    if (w->isMaximized() || w->isMinimized()) w->showNormal();
    w->setGeometry(fit_rect(QRect(r.a, r.b, r.c, r.d), subwindow_bounds(area)));
}

}  // namespace

void CMarbeckView::apply_window_rectangles(const AppConfigValues& app) {
    QMdiSubWindow* own = nullptr;
    for (QWidget* p = parentWidget(); p && !own; p = p->parentWidget()) own = qobject_cast<QMdiSubWindow*>(p);
    QMdiArea* area = own ? own->mdiArea() : nullptr;
    move_to(own, app.document_window, area);
    if (CFrameLabelView* t = label_table()) t->place();
    for (CAnalysisFrame* f : CAnalysisFrame::frames_of(area, doc_)) {
        if (qobject_cast<CFFTLPCFrame*>(f))
            move_to(f, app.fft_lpc_window, area);
        else if (qobject_cast<CSpectrogramFrame*>(f))
            move_to(f, app.spectrogram_window, area);
    }
    refresh();
}

}  // namespace vox
