#include "gui/app/label.h"

#include <QDesktopServices>
#include <QMouseEvent>

namespace vox {

CLabel::CLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    text_color_ = palette().color(QPalette::WindowText);
}

void CLabel::setTextColor(const QColor& c) {
    text_color_ = c;
    restyle();
}

void CLabel::setBackColor(const QColor& c) {
    back_color_ = c;
    restyle();
}

void CLabel::setLink(const QUrl& url) {
    link_ = url;
    QFont f = font();
    f.setUnderline(!link_.isEmpty());
    setFont(f);
    setCursor(link_.isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
    if (!link_.isEmpty() && text_color_ == palette().color(QPalette::WindowText)) text_color_ = palette().color(QPalette::Link);
    setToolTip(link_.toString());
    restyle();
}

void CLabel::restyle() {
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, text_color_);
    if (back_color_.isValid()) pal.setColor(QPalette::Window, back_color_);
    setAutoFillBackground(back_color_.isValid());
    setPalette(pal);
}

void CLabel::mousePressEvent(QMouseEvent* e) {
    pressed_ = e->button() == Qt::LeftButton;
    QLabel::mousePressEvent(e);
}

void CLabel::mouseReleaseEvent(QMouseEvent* e) {
    const bool click = pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(e);
    if (!click || link_.isEmpty()) return;
    emit linkClicked(link_);
    if (opener_) opener_(link_);
    else QDesktopServices::openUrl(link_);
}

}  // namespace vox
