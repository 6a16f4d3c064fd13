#include "gui/app/child_frame.h"

#include <QCloseEvent>

#include "core/document/marbeck_doc.h"
#include "gui/app/main_frame.h"
#include "gui/views/waveform/marbeck_view.h"
#include "gui/widgets/window_fit.h"

namespace vox {

CChildFrame::CChildFrame(CMainFrame& frame, CMarbeckDoc& doc) : QMdiSubWindow(nullptr), frame_(frame), doc_(doc) {
    setAttribute(Qt::WA_DeleteOnClose);
    auto* view = new CMarbeckView(doc, this);
    view_ = view;
    connect(view, &CMarbeckView::statusReadout, this, [this](const QString& t) { frame_.show_status(t); });
    connect(view, &CMarbeckView::configPatchRequested, this,
            [this](ConfigGroup g) { frame_.patch_config(g, doc_); });
    connect(view, &CMarbeckView::markerChanged, this, [this] { frame_.update_command_ui(); });
    setWidget(view_);
    setWindowIcon(windowIcon());
}

const CommandTable* CChildFrame::view_commands() const {
    return &static_cast<const CMarbeckView*>(view_)->commands();
}

void CChildFrame::stop_recording() {
    static_cast<CMarbeckView*>(view_)->stop_recording();
}

void CChildFrame::refresh_view() {
    static_cast<CMarbeckView*>(view_)->refresh();
}

void CChildFrame::apply_window_rectangles() {
    static_cast<CMarbeckView*>(view_)->apply_window_rectangles(frame_.app_values());
}

void CChildFrame::update_title(int number, int of) {
    // A channel picked from a multichannel file is named after it until the
    // document is saved under a name of its own.
    QString t = QString::fromStdString(doc_.has_channel_title && doc_.foreign_format ? doc_.channel_title
                                                                                   : doc_.title());
    if (of > 1) t += QString(":%1").arg(number);
    setWindowTitle(t);
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    // The recording ends first, so that the question about the document
    // (or another window of it) keeps what was captured.
    stop_recording();
    if (!frame_.child_may_close(*this)) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted()) frame_.child_closing(*this);
}

void CChildFrame::remember_placement() {
    // Only a normal window's own rectangle is worth keeping.
    // Nor is a place Tile or Cascade gave it.
    if (isMaximized() || isMinimized() || !isVisible() || ArrangingWindows::active(mdiArea())) return;
    auto& r = frame_.app_values().document_window;
    const QRect g = geometry();
    r = {g.left(), g.top(), g.width(), g.height()};
}

void CChildFrame::moveEvent(QMoveEvent* event) {
    QMdiSubWindow::moveEvent(event);
    remember_placement();
}

void CChildFrame::resizeEvent(QResizeEvent* event) {
    QMdiSubWindow::resizeEvent(event);
    remember_placement();
}

}  // namespace vox
