#pragma once
// Everything the picture control shows, as one plain value: the persisted
// properties, the ones that live only while the control runs, and the hot
// spots. The painter and the property exchange work on this value so that
// neither needs the widget.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QMap>
#include <QObject>
#include <QRect>
#include <QString>

#include "picturectl/quorpict_export.h"

namespace quorpict {

Q_NAMESPACE_EXPORT(QUORPICT_EXPORT)

enum enumPictureBevelStyles : short { quorpicNone = 0, quorpicRaised = 1, quorpicInset = 2 };
Q_ENUM_NS(enumPictureBevelStyles)
enum enumPictureTextHorizontalJustification : int { quorpicHTextLeft = 0, quorpicHTextCenter = 1, quorpicHTextRight = 2 };
Q_ENUM_NS(enumPictureTextHorizontalJustification)
enum enumPictureTextVerticalJustification : int {
    quorpicVTextTop = 0,
    quorpicVTextCenter = 1,
    quorpicVTextBottom = 2,
    quorpicVTextTopBorder = 3,
    quorpicVTextBottomBorder = 4
};
Q_ENUM_NS(enumPictureTextVerticalJustification)
enum enumPictureImageHorizontalJustification : int { quorpicHImageLeft = 0, quorpicHImageCenter = 1, quorpicHImageRight = 2 };
Q_ENUM_NS(enumPictureImageHorizontalJustification)
enum enumPictureImageVerticalJustification : int { quorpicVImageTop = 0, quorpicVImageCenter = 1, quorpicVImageBottom = 2 };
Q_ENUM_NS(enumPictureImageVerticalJustification)

// Bevel and gap widths are pixels in 0..50.
inline constexpr short kMaxBevelWidth = 50;

inline bool valid_bevel_style(int v) { return v >= quorpicNone && v <= quorpicInset; }
inline bool valid_bevel_width(int v) { return v >= 0 && v <= kMaxBevelWidth; }
inline bool valid_text_horizontal(int v) { return v >= quorpicHTextLeft && v <= quorpicHTextRight; }
inline bool valid_text_vertical(int v) { return v >= quorpicVTextTop && v <= quorpicVTextBottomBorder; }
inline bool valid_image_horizontal(int v) { return v >= quorpicHImageLeft && v <= quorpicHImageRight; }
inline bool valid_image_vertical(int v) { return v >= quorpicVImageTop && v <= quorpicVImageBottom; }

// The text shown until the user gives another.
inline constexpr const char* kDefaultText = "Quorvane Picture";
// 0x00BBGGRR 0xC0C0C0: light grey.
inline constexpr unsigned kDefaultBackColor = 0xC0C0C0u;

// Colours travel as 0x00BBGGRR words in streams and property bags.
QUORPICT_EXPORT unsigned to_colorref(const QColor& c);
QUORPICT_EXPORT QColor from_colorref(unsigned rgb);

struct QUORPICT_EXPORT QuorPictureState {
    // Persisted, in the order of the exchange.
    QFont font;
    QImage picture;  // null: no picture
    short outer_bevel = quorpicRaised;
    short outer_bevel_width = 3;
    short inner_bevel = quorpicInset;
    short inner_bevel_width = 3;
    short inter_bevel_width = 5;
    int horizontal_justification = quorpicHTextCenter;
    int vertical_justification = quorpicVTextBottom;
    bool stretch_image = true;
    int picture_horizontal_justification = quorpicHImageCenter;
    int picture_vertical_justification = quorpicVImageCenter;
    QColor bevel_face_color;
    QColor bevel_shadow_color;
    QColor bevel_highlight_color;
    QColor back_color = from_colorref(kDefaultBackColor);
    QString text = QString::fromLatin1(kDefaultText);

    // Run-time only.
    QColor fore_color = Qt::black;
    bool display_hot_spots = false;
    QMap<QString, QRect> hot_spots;

    // The defaults: the standard font and the desktop's button colours.
    static QuorPictureState defaults();
};

}  // namespace quorpict
