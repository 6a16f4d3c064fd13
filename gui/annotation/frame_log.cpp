#include "gui/annotation/frame_log.h"

#include <QCloseEvent>
#include <QMdiArea>

#include "core/annotation/log_texts.h"
#include "gui/annotation/form_log.h"
#include "gui/widgets/window_fit.h"

namespace vox {

CFrameLog::CFrameLog(LogWindowSlot& slot, UserPrompts& prompts, WindowRect& placement, QWidget* parent)
    : QMdiSubWindow(parent), slot_(slot), prompts_(prompts), placement_(placement) {
    setAttribute(Qt::WA_DeleteOnClose);
    form_ = new CFormLog(prompts, this);
    setWidget(form_);
    setWindowTitle(form_->title());
    connect(form_, &CFormLog::titleChanged, this, &QWidget::setWindowTitle);
    slot_.frame_ = this;
}

CFrameLog::~CFrameLog() { slot_.forget(this); }

void LogWindowSlot::forget(const CFrameLog* frame) {
    if (frame_.data() == frame) frame_ = nullptr;
}

bool LogWindowSlot::add(const LogEntry& entry) {
    CFrameLog* f = current();
    return f && f->form()->add_entry(entry);
}

void CFrameLog::place(const WindowRect& r) {
    WindowRect p = r;
    if (p.empty() || p.c <= p.a || p.d <= p.b) p = {20, 20, 500, 300};
    setGeometry(fit_rect(QRect(p.a, p.b, p.c - p.a, p.d - p.b), subwindow_bounds(mdiArea())));
}

CFrameLog* LogWindowSlot::open_new(QMdiArea* area) {
    if (CFrameLog* f = current()) {
        if (area) area->setActiveSubWindow(f);
        f->raise();
        return f;
    }
    if (!area) {
        prompts_.message(log_text::kCreateFrameError, MessageIcon::Error);
        return nullptr;
    }
    auto* f = new CFrameLog(*this, prompts_, placement_);
    area->addSubWindow(f);
    const WindowRect keep = placement_;
    f->place(keep);
    f->show();
    f->placed_ = true;
    area->setActiveSubWindow(f);
    return f;
}

CFrameLog* LogWindowSlot::open_with_dialog(QMdiArea* area) {
    if (current()) return nullptr;
    FileDialogRequest req;
    req.title = log_text::kOpenTitle;
    req.default_extension = log_text::kTextExtension;
    req.filter = log_text::kTextFilter;
    req.confirm_overwrite = false;
    const auto choice = prompts_.choose_open_file(req);
    if (!choice || choice->path.empty()) return nullptr;
    CFrameLog* f = open_new(area);
    if (!f) return nullptr;
    if (!f->form()->open_file(choice->path)) {
        // Nothing was loaded: no empty window stays behind.
        f->setAttribute(Qt::WA_DeleteOnClose, false);
        f->close();
        delete f;
        return nullptr;
    }
    return f;
}

CommandTable LogWindowSlot::commands(QMdiArea* area) {
    using C = CommandId;
    const auto open = [this] { return current() != nullptr; };
    return {
        {C::LogNew, nullptr, [this, area] { open_new(area); }},
        {C::LogOpen, [this] { return current() == nullptr; }, [this, area] { open_with_dialog(area); }},
        {C::LogSave, open, [this] { current()->form()->save(); }},
        {C::LogSaveAs, open, [this] { current()->form()->save_as(); }},
    };
}

bool CFrameLog::query_close() {
    if (!form_->modified()) return true;
    const std::string q = std::string(log_text::kCloseQuestionStart) + windowTitle().toStdString() +
                          log_text::kCloseQuestionEnd;
    if (prompts_.ask_yes_no(q) != Answer::Yes) return true;
    // Asked to keep it: the window stays when the log was not written.
    return form_->save();
}

bool LogWindowSlot::may_exit() {
    CFrameLog* f = current();
    return !f || f->query_close();
}

void LogWindowSlot::close_for_exit() {
    // Answered already: the window goes without asking again.
    if (CFrameLog* f = current()) {
        f->setAttribute(Qt::WA_DeleteOnClose, false);
        delete f;
    }
}

void CFrameLog::closeEvent(QCloseEvent* event) {
    if (!query_close()) {
        event->ignore();
        return;
    }
    slot_.forget(this);  // the views see no log window any more
    QMdiSubWindow::closeEvent(event);
}

void CFrameLog::remember() {
    if (!placed_ || isMaximized() || isMinimized() || !isVisible() || ArrangingWindows::active(mdiArea())) return;
    const QRect g = geometry();
    placement_ = {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

void CFrameLog::moveEvent(QMoveEvent* event) {
    QMdiSubWindow::moveEvent(event);
    remember();
}

void CFrameLog::resizeEvent(QResizeEvent* event) {
    QMdiSubWindow::resizeEvent(event);
    remember();
}

}  // namespace vox
