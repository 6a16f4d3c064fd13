#pragma once
// CAnalysisFrame: the window of an analysis view (spectrogram, FFT/LPC) in
// the multiple-document frame. It belongs to one document and takes part in
// command routing before the document: its answer for a command is either
// a decision (hosted and enabled, hosted and disabled, or disabled while the
// window is active) or no opinion, which lets the document, the frame and
// the application decide. Its normal position and size are remembered
// process-wide per kind of window.

#include <QMdiSubWindow>

#include <optional>

#include "core/app/command_table.h"
#include "core/app/config_file.h"

namespace vox {

class CMarbeckDoc;

class CAnalysisFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    CAnalysisFrame(CMarbeckDoc& doc, WindowRect& remembered, QWidget* parent = nullptr);

    CMarbeckDoc& document() const { return doc_; }

    // The window's commands. Every command it declares is decided here,
    // enabled or not; the others go on to the document, the frame and the
    // application.
    virtual const CommandTable& commands() const = 0;

    // The remembered rectangle (left, top, width, height), or the window's
    // first placement when none has been recorded.
    QRect initial_geometry(const QRect& fallback) const;

    // The analysis frames of a document among the area's windows.
    static std::vector<CAnalysisFrame*> frames_of(const class QMdiArea* area, const CMarbeckDoc& doc);

    // The commands that would change the document or the configuration,
    // held disabled while an analysis window is active (entries without a
    // handler, for the start of a window's table).
    static CommandTable held_while_active();

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void remember();

    CMarbeckDoc& doc_;
    WindowRect& remembered_;
};

}  // namespace vox
