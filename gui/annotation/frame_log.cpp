#include "gui/annotation/frame_log.h"

#include <QCloseEvent>
#include <QMdiArea>

#include "core/annotation/log_texts.h"
#include "gui/annotation/form_log.h"
#include "gui/widgets/window_fit.h"

namespace vox {

QPointer<CFrameLog> CFrameLog::current_;

CFrameLog::CFrameLog(UserPrompts& prompts, WindowRect& placement, QWidget* parent)
    : QMdiSubWindow(parent), prompts_(prompts), placement_(placement) {
    setAttribute(Qt::WA_DeleteOnClose);
    form_ = new CFormLog(prompts, this);
    setWidget(form_);
    setWindowTitle(form_->title());
    connect(form_, &CFormLog::titleChanged, this, &QWidget::setWindowTitle);
    current_ = this;
}

CFrameLog::~CFrameLog() {
    if (current_ == this) current_ = nullptr;
}

CFrameLog* CFrameLog::current() { return current_.data(); }

bool CFrameLog::add_to_current(const LogEntry& entry) {
    CFrameLog* f = current();
    return f && f->form()->add_entry(entry);
}

void CFrameLog::place(const WindowRect& r) {
    WindowRect p = r;
    if (p.empty() || p.c <= p.a || p.d <= p.b) p = {20, 20, 500, 300};
    setGeometry(fit_rect(QRect(p.a, p.b, p.c - p.a, p.d - p.b), subwindow_bounds(mdiArea())));
}

CFrameLog* CFrameLog::open_new(QMdiArea* area, WindowRect& placement, UserPrompts& prompts) {
    if (CFrameLog* f = current()) {
        if (area) area->setActiveSubWindow(f);
        f->raise();
        return f;
    }
    if (!area) {
        prompts.message(log_text::kCreateFrameError, MessageIcon::Error);
        return nullptr;
    }
    auto* f = new CFrameLog(prompts, placement);
    area->addSubWindow(f);
    const WindowRect keep = placement;
    f->place(keep);
    f->show();
    f->placed_ = true;
    area->setActiveSubWindow(f);
    return f;
}

CFrameLog* CFrameLog::open_with_dialog(QMdiArea* area, WindowRect& placement, UserPrompts& prompts) {
    if (current()) return nullptr;
    FileDialogRequest req;
    req.title = log_text::kOpenTitle;
    req.default_extension = log_text::kTextExtension;
    req.filter = log_text::kTextFilter;
    req.confirm_overwrite = false;
    const auto choice = prompts.choose_open_file(req);
    if (!choice || choice->path.empty()) return nullptr;
    CFrameLog* f = open_new(area, placement, prompts);
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

CommandTable CFrameLog::commands(QMdiArea* area, WindowRect& placement, UserPrompts& prompts) {
    using C = CommandId;
    const auto open = [] { return current() != nullptr; };
    return {
        {C::LogNew, nullptr, [area, &placement, &prompts] { open_new(area, placement, prompts); }},
        {C::LogOpen, [] { return current() == nullptr; },
         [area, &placement, &prompts] { open_with_dialog(area, placement, prompts); }},
        {C::LogSave, open, [] { current()->form()->save(); }},
        {C::LogSaveAs, open, [] { current()->form()->save_as(); }},
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

bool CFrameLog::may_exit() {
    CFrameLog* f = current();
    return !f || f->query_close();
}

void CFrameLog::close_for_exit() {
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
    if (current_ == this) current_ = nullptr;  // the views see no log window any more
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
