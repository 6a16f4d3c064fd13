#include "gui/annotation/label_entry.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include "gui/annotation/label_font.h"
#include "gui/annotation/label_texts.h"

namespace vox {

CLabelEntry::CLabelEntry(const LABEL& label, QWidget* parent) : QDialog(parent), label_(label) {
    setWindowTitle(label_text::kEntryTitle);
    auto* top = new QVBoxLayout(this);
    top->addWidget(new QLabel(label_text::kEntryCaption, this));
    text_ = new QPlainTextEdit(this);
    text_->setPlainText(QString::fromStdString(label.text_string()));
    text_->setTabChangesFocus(true);
    text_->setFixedHeight(60);
    text_->installEventFilter(this);
    top->addWidget(text_);
    connect(text_, &QPlainTextEdit::textChanged, this, &CLabelEntry::limit_text);

    auto* row = new QHBoxLayout;
    font_button_ = new QPushButton(label_text::kFontButton, this);
    font_button_->setAutoDefault(false);
    connect(font_button_, &QPushButton::clicked, this, &CLabelEntry::choose_font);
    row->addWidget(font_button_, 0, Qt::AlignTop);
    auto* group = new QGroupBox(label_text::kJustification, this);
    auto* gl = new QHBoxLayout(group);
    left_ = new QRadioButton(label_text::kLeft, group);
    center_ = new QRadioButton(label_text::kCenter, group);
    right_ = new QRadioButton(label_text::kRight, group);
    gl->addWidget(left_);
    gl->addWidget(center_);
    gl->addWidget(right_);
    // Any value other than 1 or 2 shows as "Left".
    (label.align == 1 ? center_ : label.align == 2 ? right_ : left_)->setChecked(true);
    row->addWidget(group);
    add_line_ = new QCheckBox(label_text::kAddLine, this);
    add_line_->setChecked(label.add_line);
    row->addWidget(add_line_, 0, Qt::AlignTop);
    top->addLayout(row);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    top->addWidget(buttons);
    text_->setFocus();
    text_->moveCursor(QTextCursor::End);
}

QRadioButton* CLabelEntry::justification_button(int align) const {
    return align == 1 ? center_ : align == 2 ? right_ : left_;
}

bool CLabelEntry::eventFilter(QObject* watched, QEvent* event) {
    // Return takes the dialog's OK, as in a one-line entry: label texts have
    // no line breaks.
    if (watched == text_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CLabelEntry::limit_text() {
    const QString t = text_->toPlainText();
    if (t.toUtf8().size() <= kMaxTextBytes) return;
    QString cut = t;
    while (!cut.isEmpty() && cut.toUtf8().size() > kMaxTextBytes) cut.chop(1);
    if (!cut.isEmpty() && cut.back().isHighSurrogate()) cut.chop(1);
    const QSignalBlocker block(text_);
    text_->setPlainText(cut);
    text_->moveCursor(QTextCursor::End);
}

void CLabelEntry::choose_font() {
    CLabelFontDialog dlg(ToQFont(label_.font), ColorOf(label_.color), this);
    if (dlg.exec() != QDialog::Accepted) return;
    set_font_and_color(ToLogFont(dlg.selected_font()), ColorRefOf(dlg.selected_color()));
}

void CLabelEntry::set_font_and_color(const LogFont& font, ColorRef color) {
    label_.font = font;
    label_.color = color;
}

LABEL CLabelEntry::label() const {
    LABEL l = label_;
    QString t = text_->toPlainText();
    t.replace(QChar('\n'), QChar(' '));
    l.set_text(t.toStdString());
    l.align = center_->isChecked() ? 1 : right_->isChecked() ? 2 : 0;
    l.add_line = add_line_->isChecked();
    return l;
}

// --- the font dialog ----------------------------------------------------------------

CLabelFontDialog::CLabelFontDialog(const QFont& font, const QColor& color, QWidget* parent)
    : QDialog(parent), color_(color) {
    setWindowTitle(label_text::kFontButton);
    auto* top = new QVBoxLayout(this);
    fonts_ = new QFontDialog(font, this);
    fonts_->setWindowFlags(Qt::Widget);
    fonts_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    top->addWidget(fonts_);
    auto* row = new QHBoxLayout;
    color_button_ = new QPushButton(this);
    color_button_->setAutoDefault(false);
    color_button_->setMinimumWidth(80);
    connect(color_button_, &QPushButton::clicked, this, [this] {
        const QColor c = QColorDialog::getColor(color_, this);
        if (c.isValid()) {
            color_ = c;
            show_color();
        }
    });
    row->addWidget(new QLabel(label_text::kColorCaption, this));
    row->addWidget(color_button_);
    row->addStretch();
    top->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    top->addWidget(buttons);
    show_color();
}

QFont CLabelFontDialog::selected_font() const { return fonts_->currentFont(); }

void CLabelFontDialog::show_color() {
    color_button_->setStyleSheet(QStringLiteral("QPushButton { background: %1; }").arg(color_.name()));
}

}  // namespace vox
