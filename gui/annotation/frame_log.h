#pragma once
// CFrameLog: the one measurement-log window of the application, a child of
// the multiple-document area hosting CFormLog. Log "New" opens it (or brings
// it to the top), "Open..." opens it on a file while none exists; closing a
// modified log asks whether to save it first. The window keeps its
// rectangle (left, top, right, bottom) in the application's configuration
// values. While it exists the views enable their entry commands.

#include <QMdiSubWindow>
#include <QPointer>

#include <optional>

#include "core/app/command_table.h"
#include "core/app/config_file.h"
#include "core/platform/user_prompts.h"

class QMdiArea;

namespace vox {

class CFormLog;
struct LogEntry;

class CFrameLog : public QMdiSubWindow {
    Q_OBJECT
public:
    CFrameLog(UserPrompts& prompts, WindowRect& placement, QWidget* parent = nullptr);
    ~CFrameLog() override;

    // The log window, or null when none is open.
    static CFrameLog* current();
    // Hands an entry to the open log; false when there is none or the row
    // could not be added (the form reported it).
    static bool add_to_current(const LogEntry& entry);

    // Log "New": the open window brought to the top, else a new empty one
    // at the remembered rectangle ((20, 20, 500, 300) when none is kept).
    static CFrameLog* open_new(QMdiArea* area, WindowRect& placement, UserPrompts& prompts);
    // Log "Open...": the "Open a log file" dialog, then the window on that
    // file. Null when cancelled or the file was not a log (nothing stays open).
    static CFrameLog* open_with_dialog(QMdiArea* area, WindowRect& placement, UserPrompts& prompts);

    // The frame-level Log commands: New, Open..., Save and Save As..., for
    // a log window in this area at this rectangle.
    static CommandTable commands(QMdiArea* area, WindowRect& placement, UserPrompts& prompts);

    // The close question when modified; false when the window must stay
    // (the person wanted it saved and it was not).
    bool query_close();
    // Before the application exits: the open log's close question, asked
    // without closing it (false: the exit stops here). The window goes
    // with close_for_exit once every other question was answered too.
    static bool may_exit();
    static void close_for_exit();

    // Moves the window to a rectangle (left, top, right, bottom).
    void place(const WindowRect& r);

    CFormLog* form() const { return form_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void remember();

    UserPrompts& prompts_;
    WindowRect& placement_;
    CFormLog* form_;
    bool placed_ = false;
    static QPointer<CFrameLog> current_;
};

}  // namespace vox
