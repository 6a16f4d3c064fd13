#include "gui/annotation/label_font.h"

#include <QFontInfo>
#include <QFontMetrics>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>


namespace vox {

LogFont ToLogFont(const QFont& font) {
    LogFont lf;
    int px = font.pixelSize();
    if (px <= 0) px = QFontInfo(font).pixelSize();  // a point-size font: as the screen shows it
    lf.height = -std::max(1, px);
    lf.weight = std::clamp(static_cast<int>(font.weight()), 100, 900);
    lf.italic = font.italic() ? 1 : 0;
    lf.underline = font.underline() ? 1 : 0;
    lf.strike_out = font.strikeOut() ? 1 : 0;
    const QByteArray face = font.family().toUtf8();
    // Whole UTF-8 sequences only, at most 31 bytes and the NUL.
    int n = std::min<int>(face.size(), sizeof lf.face_name - 1);
    while (n > 0 && n < face.size() && (static_cast<unsigned char>(face[n]) & 0xC0) == 0x80) --n;
    std::memcpy(lf.face_name, face.constData(), static_cast<std::size_t>(n));
    return lf;
}

QFont LabelFont(const LogFont& lf, double scale) {
    const std::string face(lf.face_name, strnlen(lf.face_name, sizeof lf.face_name));
    QFont f(face.empty() ? QStringLiteral("Arial") : QString::fromStdString(face));
    const int h = lf.height == 0 ? 14 : std::abs(lf.height);
    // Truncated toward zero, as the view's other sizes are.
    const double px = std::min(h, 400) * scale;
    f.setPixelSize(std::max(1, std::isfinite(px) ? static_cast<int>(std::clamp(px, -2e9, 2e9)) : 0));
    if (lf.weight > 0) f.setWeight(static_cast<QFont::Weight>(std::clamp(lf.weight, 100, 900)));
    f.setItalic(lf.italic != 0);
    f.setUnderline(lf.underline != 0);
    f.setStrikeOut(lf.strike_out != 0);
    return f;
}

QFont ToQFont(const LogFont& font) { return LabelFont(font); }

QColor ColorOf(ColorRef c) { return QColor(int(red_of(c)), int(green_of(c)), int(blue_of(c))); }

ColorRef ColorRefOf(const QColor& c) {
    return make_rgb(static_cast<unsigned>(c.red()), static_cast<unsigned>(c.green()), static_cast<unsigned>(c.blue()));
}

int LabelTextWidth(const LABEL& label) {
    const QFontMetrics fm(ToQFont(label.font));
    return fm.horizontalAdvance(QString::fromStdString(label.text_string()));
}

}  // namespace vox
