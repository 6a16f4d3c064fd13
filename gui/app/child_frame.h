#pragma once
// The window of one document in the multiple-document frame. It hosts the
// document's main view and passes commands to it first; when the last window
// of a document closes, the document is asked whether to save.

#include <QMdiSubWindow>

#include "core/app/command_table.h"

namespace vox {

class CMarbeckDoc;
class CMainFrame;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    CChildFrame(CMainFrame& frame, CMarbeckDoc& doc);

    CMarbeckDoc& document() const { return doc_; }
    QWidget* view() const { return view_; }

    // The view's commands, offered first while this window is active; null
    // when the hosted view has none.
    const CommandTable* view_commands() const;

    // Ends a recording in progress in the view as Stop does (the captured
    // audio becomes the document's); nothing when none runs.
    void stop_recording();

    // Lays the view out again after its options changed.
    void refresh_view();
    // The loaded rectangles of the application values for the document's
    // windows (see CMarbeckView::apply_window_rectangles).
    void apply_window_rectangles();

    // Window title: the document title, followed by ":n" when the document
    // has several windows.
    void update_title(int number, int of);

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void remember_placement();

    CMainFrame& frame_;
    CMarbeckDoc& doc_;
    QWidget* view_ = nullptr;
};

}  // namespace vox
