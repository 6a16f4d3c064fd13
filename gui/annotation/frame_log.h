#pragma once
// CFrameLog: the one measurement-log window of the application, a child of
// the multiple-document area hosting CFormLog. Log "New" opens it (or brings
// it to the top), "Open..." opens it on a file while none exists; closing a
// modified log asks whether to save it first. The window keeps its
// rectangle (left, top, right, bottom) in the application's configuration
// values. While it exists the views enable their entry commands.
// LogWindowSlot: the program's place for that one window, the log the views
// enter measurements into (handed to them with the session).

#include <QMdiSubWindow>
#include <QPointer>

#include <optional>

#include "core/annotation/log_target.h"
#include "core/app/command_table.h"
#include "core/app/config_file.h"
#include "core/platform/user_prompts.h"

class QMdiArea;

namespace vox {

class CFormLog;
class CFrameLog;

class LogWindowSlot final : public LogTarget {
public:
    // The window's rectangle is kept in `placement`.
    LogWindowSlot(UserPrompts& prompts, WindowRect& placement) : prompts_(prompts), placement_(placement) {}
    LogWindowSlot(const LogWindowSlot&) = delete;
    LogWindowSlot& operator=(const LogWindowSlot&) = delete;

    // The log window, or null when none is open.
    CFrameLog* current() const { return frame_.data(); }
    bool is_open() const override { return current() != nullptr; }
    // Hands an entry to the open log; false when there is none or the row
    // could not be added (the form reported it).
    bool add(const LogEntry& entry) override;

    // Log "New": the open window brought to the top, else a new empty one
    // in `area` at the remembered rectangle ((20, 20, 500, 300) when none is
    // kept).
    CFrameLog* open_new(QMdiArea* area);
    // Log "Open...": the "Open a log file" dialog, then the window on that
    // file. Null when cancelled or the file was not a log (nothing stays open).
    CFrameLog* open_with_dialog(QMdiArea* area);

    // The frame-level Log commands: New, Open..., Save and Save As..., for
    // a log window in this area.
    CommandTable commands(QMdiArea* area);

    // Before the application exits: the open log's close question, asked
    // without closing it (false: the exit stops here). The window goes
    // with close_for_exit once every other question was answered too.
    bool may_exit();
    void close_for_exit();

    // A closing or destroyed window leaves the slot empty.
    void forget(const CFrameLog* frame);

private:
    UserPrompts& prompts_;
    WindowRect& placement_;
    QPointer<CFrameLog> frame_;

    friend class CFrameLog;
};

class CFrameLog : public QMdiSubWindow {
    Q_OBJECT
public:
    // The new window is the slot's log window.
    CFrameLog(LogWindowSlot& slot, UserPrompts& prompts, WindowRect& placement, QWidget* parent = nullptr);
    ~CFrameLog() override;

    // The close question when modified; false when the window must stay
    // (the person wanted it saved and it was not).
    bool query_close();

    // Moves the window to a rectangle (left, top, right, bottom).
    void place(const WindowRect& r);

    CFormLog* form() const { return form_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void remember();

    LogWindowSlot& slot_;
    UserPrompts& prompts_;
    WindowRect& placement_;
    CFormLog* form_;
    bool placed_ = false;

    friend class LogWindowSlot;
};

}  // namespace vox
