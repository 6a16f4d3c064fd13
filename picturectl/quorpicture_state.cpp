#include "picturectl/quorpicture_state.h"

#include <QApplication>
#include <QPalette>

namespace quorpict {

unsigned to_colorref(const QColor& c) {
    const QColor rgb = c.toRgb();
    return unsigned(rgb.red()) | (unsigned(rgb.green()) << 8) | (unsigned(rgb.blue()) << 16);
}

QColor from_colorref(unsigned rgb) { return QColor(int(rgb & 0xFF), int((rgb >> 8) & 0xFF), int((rgb >> 16) & 0xFF)); }

QuorPictureState QuorPictureState::defaults() {
    QuorPictureState s;
    // The container's standard font and the desktop's button colours: face,
    // shadow (dark) and highlight (light).
    const QPalette pal = QApplication::palette();
    s.font = QApplication::font();
    s.bevel_face_color = pal.color(QPalette::Button);
    s.bevel_shadow_color = pal.color(QPalette::Dark);
    s.bevel_highlight_color = pal.color(QPalette::Light);
    return s;
}

}  // namespace quorpict
