#include "gui/views/analysis/analysis_frame.h"

#include <QMdiArea>

#include "gui/widgets/window_fit.h"

namespace vox {

CAnalysisFrame::CAnalysisFrame(CMarbeckDoc& doc, WindowRect& remembered, QWidget* parent)
    : QMdiSubWindow(parent), doc_(doc), remembered_(remembered) {
    setAttribute(Qt::WA_DeleteOnClose);
}

QRect CAnalysisFrame::initial_geometry(const QRect& fallback) const {
    const WindowRect& r = remembered_;
    if (r.empty() || r.c < 50 || r.d < 50) return fallback;
    return QRect(r.a, r.b, r.c, r.d);
}

std::vector<CAnalysisFrame*> CAnalysisFrame::frames_of(const QMdiArea* area, const CMarbeckDoc& doc) {
    std::vector<CAnalysisFrame*> out;
    if (!area) return out;
    for (QMdiSubWindow* w : area->subWindowList(QMdiArea::CreationOrder))
        if (auto* f = qobject_cast<CAnalysisFrame*>(w); f && &f->document() == &doc) out.push_back(f);
    return out;
}

CommandTable CAnalysisFrame::held_while_active() {
    CommandTable t;
    for (CommandId id : {CommandId::PlayAll, CommandId::FileSave, CommandId::FileSaveAs, CommandId::FileSaveSelectionAs,
                         CommandId::FileExportWave, CommandId::FileLoadConfig, CommandId::FileSaveConfig,
                         CommandId::FileSaveScreenBmp})
        t.push_back({id, nullptr, nullptr});
    return t;
}

void CAnalysisFrame::remember() {
    // Only a normal window's own rectangle is worth keeping.
    if (isMaximized() || isMinimized() || !isVisible() || ArrangingWindows::active(mdiArea())) return;
    const QRect g = geometry();
    remembered_ = {g.left(), g.top(), g.width(), g.height()};
}

void CAnalysisFrame::moveEvent(QMoveEvent* event) {
    QMdiSubWindow::moveEvent(event);
    remember();
}

void CAnalysisFrame::resizeEvent(QResizeEvent* event) {
    QMdiSubWindow::resizeEvent(event);
    remember();
}

}  // namespace vox
