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

#include "core/app/command_ids.h"
#include "core/app/config_file.h"

namespace vox {

class CMarbeckDoc;

class CAnalysisFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    CAnalysisFrame(CMarbeckDoc& doc, WindowRect& remembered, QWidget* parent = nullptr);

    CMarbeckDoc& document() const { return doc_; }

    virtual std::optional<bool> command_enabled(CommandId id) const = 0;
    virtual bool handle_command(CommandId id) = 0;

    // The remembered rectangle (left, top, width, height), or the window's
    // first placement when none has been recorded.
    QRect initial_geometry(const QRect& fallback) const;

    // The analysis frames of a document among the area's windows.
    static std::vector<CAnalysisFrame*> frames_of(const class QMdiArea* area, const CMarbeckDoc& doc);

    // The commands that would change the document or the configuration,
    // disabled while an analysis window is active.
    static bool disabled_while_active(CommandId id);

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void remember();

    CMarbeckDoc& doc_;
    WindowRect& remembered_;
};

}  // namespace vox
