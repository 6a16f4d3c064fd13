#pragma once
// The persisted properties of the picture control and their exchange with a
// container's property store, in one fixed order: Font, PictureName,
// OuterBevel, OuterBevelWidth, InnerBevel, InnerBevelWidth, InterBevelWidth,
// HorizontalJustification, VerticalJustification, StretchImage,
// PictureHorizontalJustification, PictureVerticalJustification,
// BevelFaceColor, BevelShadowColor, BevelHighlightColor, and — only in
// streams newer than version 1.1 — BackColor and Text.
//
// Stream form (QDataStream, big-endian): the version word (major << 16 |
// minor), then each property: font as its description text, picture as PNG
// bytes (empty: none), 16-bit and 32-bit integers, a boolean byte, colours as
// 0x00BBGGRR words, the text as a string.

#include <QByteArray>
#include <QStringList>
#include <QVariantMap>

#include "picturectl/quorpicture_state.h"

namespace quorpict {

inline constexpr quint32 make_version(quint16 major, quint16 minor) { return (quint32(major) << 16) | minor; }
// The version this control writes.
inline constexpr quint32 kStreamVersion = make_version(6, 0);
// The last version without BackColor and Text.
inline constexpr quint32 kStreamVersion1_1 = make_version(1, 1);

// The property names in exchange order for a stream of `version`.
QUORPICT_EXPORT QStringList exchange_order(quint32 version = kStreamVersion);

// Writes the persisted properties in the stream form of `version`.
QUORPICT_EXPORT QByteArray save_properties(const QuorPictureState& s, quint32 version = kStreamVersion);

// Reads a stream written by save_properties. Properties the stream's version
// does not hold, and values outside their ranges, take their defaults
// (`defaults`). A truncated or unreadable stream returns false and leaves
// `s` at the defaults. The run-time properties of `s` are kept.
QUORPICT_EXPORT bool load_properties(QuorPictureState& s, const QByteArray& stream, const QuorPictureState& defaults);

// The same exchange with a property bag keyed by property name (colours as
// 0x00BBGGRR numbers, the picture as PNG bytes, the font as its text).
QUORPICT_EXPORT QVariantMap save_property_bag(const QuorPictureState& s);
QUORPICT_EXPORT void load_property_bag(QuorPictureState& s, const QVariantMap& bag, const QuorPictureState& defaults);

}  // namespace quorpict
