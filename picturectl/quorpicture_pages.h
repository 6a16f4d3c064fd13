#pragma once
// The two property pages of the picture control and the sheet that shows
// them. Each page reads the control's properties when it is made and writes
// them back on apply; a sheet's OK applies both pages, Cancel neither.

#include <QDialog>
#include <QWidget>

#include "picturectl/quorpict_export.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QTabWidget;

namespace quorpict {

class CQuorpictureCtrl;

// "General": the text and its placement, the picture's stretch and placement.
class QUORPICT_EXPORT CQuorpictureGeneralPage : public QWidget {
    Q_OBJECT
public:
    explicit CQuorpictureGeneralPage(CQuorpictureCtrl& ctrl, QWidget* parent = nullptr);
    void load();
    void apply();

    QLineEdit* text_edit() const { return text_; }
    QComboBox* text_vertical() const { return text_v_; }
    QComboBox* text_horizontal() const { return text_h_; }
    QCheckBox* stretch() const { return stretch_; }
    QComboBox* picture_vertical() const { return pic_v_; }
    QComboBox* picture_horizontal() const { return pic_h_; }

private:
    CQuorpictureCtrl& ctrl_;
    QLineEdit* text_;
    QComboBox* text_v_;
    QComboBox* text_h_;
    QCheckBox* stretch_;
    QComboBox* pic_v_;
    QComboBox* pic_h_;
};

// "Bevels": the two bevel styles with their widths and the gap between them.
class QUORPICT_EXPORT CQuorpictureBevelsPage : public QWidget {
    Q_OBJECT
public:
    explicit CQuorpictureBevelsPage(CQuorpictureCtrl& ctrl, QWidget* parent = nullptr);
    void load();
    void apply();

    QComboBox* outer_style() const { return outer_; }
    QSpinBox* outer_width() const { return outer_w_; }
    QSpinBox* inter_width() const { return inter_w_; }
    QComboBox* inner_style() const { return inner_; }
    QSpinBox* inner_width() const { return inner_w_; }

private:
    CQuorpictureCtrl& ctrl_;
    QComboBox* outer_;
    QSpinBox* outer_w_;
    QSpinBox* inter_w_;
    QComboBox* inner_;
    QSpinBox* inner_w_;
};

class QUORPICT_EXPORT CQuorpicturePropertySheet : public QDialog {
    Q_OBJECT
public:
    explicit CQuorpicturePropertySheet(CQuorpictureCtrl& ctrl, QWidget* parent = nullptr);
    CQuorpictureGeneralPage* general() const { return general_; }
    CQuorpictureBevelsPage* bevels() const { return bevels_; }
    void apply();

private:
    CQuorpictureGeneralPage* general_;
    CQuorpictureBevelsPage* bevels_;
};

}  // namespace quorpict
