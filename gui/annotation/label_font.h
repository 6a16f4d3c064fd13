#pragma once
// Labels keep their font as the 60-byte logical-font record of the native
// file and are drawn with a Qt font: the conversions both ways and the
// width of a label's text in its own font.

#include <QColor>
#include <QFont>

#include "core/document/label.h"

namespace vox {

// The logical font of a Qt font: height as the negative character height in
// pixels, weight, italic, underline, strike-out and face name (cut to 31
// bytes); the other fields 0.
LogFont ToLogFont(const QFont& font);
// A label's logical font as a Qt font, its height multiplied by scale: the
// face ("Arial" when none), the character height (14 px when 0, at most
// 400), weight, italic, underline and strike-out.
QFont LabelFont(const LogFont& lf, double scale = 1.0);
// The Qt font of a logical font at scale 1.
QFont ToQFont(const LogFont& font);

QColor ColorOf(ColorRef c);
ColorRef ColorRefOf(const QColor& c);

// The width (pixels) of the label's text in its font.
int LabelTextWidth(const LABEL& label);

}  // namespace vox
