#pragma once
// The label table of a document: CFormLabelView lists every label of every
// channel and tier as a row ("Tier", "Label", "Time(ms)"), sorted by a click
// on a column header, and "Zoom to Selected Label" shows the chosen label's
// time in the waveform view. CFrameLabelView is its small floating window,
// titled "Labels:: " and the document's title; it keeps its rectangle in
// the application's configuration values.

#include <QWidget>

#include <functional>

#include "core/app/config_file.h"
#include "core/document/marbeck_doc.h"

class QLabel;
class QPushButton;

namespace vox {

class CGridControl;

class CFormLabelView : public QWidget {
    Q_OBJECT
public:
    // zoom_to: centres the waveform view's window on a time (ms); empty when
    // the view cannot zoom, and the button is then disabled.
    CFormLabelView(CMarbeckDoc& doc, std::function<void(double)> zoom_to, QWidget* parent = nullptr);

    // Refills the table from the document.
    void fill();
    // The button's action: the selected row's time to the waveform view.
    bool zoom_to_selected();

    CGridControl* grid() const { return grid_; }
    QPushButton* zoom_button() const { return zoom_; }

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    CMarbeckDoc& doc_;
    std::function<void(double)> zoom_to_;
    QLabel* hint_;
    QPushButton* zoom_;
    CGridControl* grid_;
};

class CFrameLabelView : public QWidget {
    Q_OBJECT
public:
    // placement: the remembered rectangle (left, top, width, height); all
    // zero places the window at (20, 20), 450 by 450.
    CFrameLabelView(CMarbeckDoc& doc, WindowRect& placement, std::function<void(double)> zoom_to,
                    QWidget* parent = nullptr);

    CFormLabelView* form() const { return form_; }
    void refresh() { form_->fill(); }
    // The title of the document may change (Save As).
    void update_title();
    // Moves the window to the remembered rectangle, inside the main window's
    // document area (the screen when there is none).
    void place();
    // That area in screen coordinates.
    QRect home_area() const;

protected:
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    CMarbeckDoc& doc_;
    WindowRect& placement_;
    CFormLabelView* form_;
    bool placed_ = false;
};

}  // namespace vox
