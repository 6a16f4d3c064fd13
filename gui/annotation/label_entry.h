#pragma once
// "Label entry" (CLabelEntry): the text of one label with its font, colour,
// justification and "Add line" flag. It opens on a label (the hit label or
// the template) and gives back the edited copy; its time and rectangle are
// not the dialog's business.

#include <QDialog>

#include "core/document/label.h"

class QCheckBox;
class QFontDialog;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace vox {

class CLabelEntry : public QDialog {
    Q_OBJECT
public:
    // At most 254 bytes of text (a label holds 255 and the NUL; the edit
    // counts UTF-8 bytes so that no character is ever cut in half).
    static constexpr int kMaxTextBytes = 254;

    explicit CLabelEntry(const LABEL& label, QWidget* parent = nullptr);

    // The label as edited (the opening label's other fields unchanged).
    LABEL label() const;

    // What the "Font" button's dialog gives on OK.
    void set_font_and_color(const LogFont& font, ColorRef color);

    QPlainTextEdit* text_edit() const { return text_; }
    QPushButton* font_button() const { return font_button_; }
    QRadioButton* justification_button(int align) const;
    QCheckBox* add_line_box() const { return add_line_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void choose_font();
    void limit_text();

    LABEL label_;
    QPlainTextEdit* text_;
    QPushButton* font_button_;
    QRadioButton *left_, *center_, *right_;
    QCheckBox* add_line_;
};

// The font dialog of the "Font" button: the font chooser with a colour
// choice beside it.
class CLabelFontDialog : public QDialog {
    Q_OBJECT
public:
    CLabelFontDialog(const QFont& font, const QColor& color, QWidget* parent = nullptr);
    QFont selected_font() const;
    QColor selected_color() const { return color_; }

private:
    void show_color();
    QFontDialog* fonts_;
    QPushButton* color_button_;
    QColor color_;
};

}  // namespace vox
