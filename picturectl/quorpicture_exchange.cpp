#include "picturectl/quorpicture_exchange.h"

#include <QBuffer>
#include <QDataStream>
#include <QIODevice>

namespace quorpict {

namespace {

QByteArray picture_bytes(const QImage& img) {
    QByteArray out;
    if (img.isNull()) return out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return out;
}

QImage picture_from(const QByteArray& bytes) {
    if (bytes.isEmpty()) return {};
    return QImage::fromData(bytes);
}

// One exchange, reading or writing. `Px` offers loading(), version() and
// px(name, value, default, valid) for every value type used here; the order of
// the calls below is the exchange order.
template <typename Px>
void exchange(Px& px, QuorPictureState& s, const QuorPictureState& d) {
    px.font("Font", s.font, d.font);
    px.picture("PictureName", s.picture);
    px.i16("OuterBevel", s.outer_bevel, d.outer_bevel, valid_bevel_style);
    px.i16("OuterBevelWidth", s.outer_bevel_width, d.outer_bevel_width, valid_bevel_width);
    px.i16("InnerBevel", s.inner_bevel, d.inner_bevel, valid_bevel_style);
    px.i16("InnerBevelWidth", s.inner_bevel_width, d.inner_bevel_width, valid_bevel_width);
    px.i16("InterBevelWidth", s.inter_bevel_width, d.inter_bevel_width, valid_bevel_width);
    px.i32("HorizontalJustification", s.horizontal_justification, d.horizontal_justification, valid_text_horizontal);
    px.i32("VerticalJustification", s.vertical_justification, d.vertical_justification, valid_text_vertical);
    px.boolean("StretchImage", s.stretch_image);
    px.i32("PictureHorizontalJustification", s.picture_horizontal_justification,
           d.picture_horizontal_justification, valid_image_horizontal);
    px.i32("PictureVerticalJustification", s.picture_vertical_justification, d.picture_vertical_justification,
           valid_image_vertical);
    px.color("BevelFaceColor", s.bevel_face_color);
    px.color("BevelShadowColor", s.bevel_shadow_color);
    px.color("BevelHighlightColor", s.bevel_highlight_color);
    if (px.version() > kStreamVersion1_1) {
        px.color("BackColor", s.back_color);
        px.string("Text", s.text);
    } else if (px.loading()) {
        s.back_color = d.back_color;
        s.text = d.text;
    }
}

// Lists the names in order.
struct NamePx {
    quint32 v;
    QStringList names;
    bool loading() const { return false; }
    quint32 version() const { return v; }
    void font(const char* n, QFont&, const QFont&) { names << n; }
    void picture(const char* n, QImage&) { names << n; }
    template <typename T, typename F>
    void i16(const char* n, T&, T, F) { names << n; }
    template <typename T, typename F>
    void i32(const char* n, T&, T, F) { names << n; }
    void boolean(const char* n, bool&) { names << n; }
    void color(const char* n, QColor&) { names << n; }
    void string(const char* n, QString&) { names << n; }
};

struct StreamWritePx {
    QDataStream& out;
    quint32 v;
    bool loading() const { return false; }
    quint32 version() const { return v; }
    void font(const char*, QFont& f, const QFont&) { out << f.toString(); }
    void picture(const char*, QImage& img) { out << picture_bytes(img); }
    template <typename F>
    void i16(const char*, short& x, short, F) { out << qint16(x); }
    template <typename F>
    void i32(const char*, int& x, int, F) { out << qint32(x); }
    void boolean(const char*, bool& b) { out << quint8(b ? 1 : 0); }
    void color(const char*, QColor& c) { out << quint32(to_colorref(c)); }
    void string(const char*, QString& t) { out << t; }
};

struct StreamReadPx {
    QDataStream& in;
    quint32 v;
    bool loading() const { return true; }
    quint32 version() const { return v; }
    bool ok() const { return in.status() == QDataStream::Ok; }
    void font(const char*, QFont& f, const QFont& d) {
        QString text;
        in >> text;
        QFont read;
        f = ok() && read.fromString(text) ? read : d;
    }
    void picture(const char*, QImage& img) {
        QByteArray bytes;
        in >> bytes;
        img = ok() ? picture_from(bytes) : QImage();
    }
    template <typename F>
    void i16(const char*, short& x, short d, F valid) {
        qint16 r = 0;
        in >> r;
        x = ok() && valid(r) ? r : d;
    }
    template <typename F>
    void i32(const char*, int& x, int d, F valid) {
        qint32 r = 0;
        in >> r;
        x = ok() && valid(r) ? r : d;
    }
    void boolean(const char*, bool& b) {
        quint8 r = 0;
        in >> r;
        b = r != 0;
    }
    void color(const char*, QColor& c) {
        quint32 r = 0;
        in >> r;
        c = from_colorref(r);
    }
    void string(const char*, QString& t) { in >> t; }
};

struct BagWritePx {
    QVariantMap& bag;
    bool loading() const { return false; }
    quint32 version() const { return kStreamVersion; }
    void font(const char* n, QFont& f, const QFont&) { bag[n] = f.toString(); }
    void picture(const char* n, QImage& img) { bag[n] = picture_bytes(img); }
    template <typename F>
    void i16(const char* n, short& x, short, F) { bag[n] = int(x); }
    template <typename F>
    void i32(const char* n, int& x, int, F) { bag[n] = x; }
    void boolean(const char* n, bool& b) { bag[n] = b; }
    void color(const char* n, QColor& c) { bag[n] = to_colorref(c); }
    void string(const char* n, QString& t) { bag[n] = t; }
};

struct BagReadPx {
    const QVariantMap& bag;
    const QuorPictureState& d;
    bool loading() const { return true; }
    quint32 version() const { return kStreamVersion; }
    void font(const char* n, QFont& f, const QFont& def) {
        QFont read;
        f = bag.contains(n) && read.fromString(bag[n].toString()) ? read : def;
    }
    void picture(const char* n, QImage& img) { img = picture_from(bag.value(n).toByteArray()); }
    template <typename T, typename F>
    void number(const char* n, T& x, T def, F valid) {
        bool ok = false;
        const int r = bag.value(n).toInt(&ok);
        x = ok && valid(r) ? static_cast<T>(r) : def;
    }
    template <typename F>
    void i16(const char* n, short& x, short def, F valid) { number(n, x, def, valid); }
    template <typename F>
    void i32(const char* n, int& x, int def, F valid) { number(n, x, def, valid); }
    void boolean(const char* n, bool& b) { b = bag.contains(n) ? bag[n].toBool() : d.stretch_image; }
    void color(const char* n, QColor& c) {
        bool ok = false;
        const uint r = bag.value(n).toUInt(&ok);
        if (ok) c = from_colorref(r);
        else if (QString(n) == "BevelFaceColor") c = d.bevel_face_color;
        else if (QString(n) == "BevelShadowColor") c = d.bevel_shadow_color;
        else if (QString(n) == "BevelHighlightColor") c = d.bevel_highlight_color;
        else c = d.back_color;
    }
    void string(const char* n, QString& t) { t = bag.contains(n) ? bag[n].toString() : d.text; }
};

}  // namespace

QStringList exchange_order(quint32 version) {
    NamePx px{version, {}};
    QuorPictureState s;
    exchange(px, s, s);
    return px.names;
}

QByteArray save_properties(const QuorPictureState& s, quint32 version) {
    QByteArray out;
    QDataStream stream(&out, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_6_0);
    stream << version;
    QuorPictureState copy = s;
    StreamWritePx px{stream, version};
    exchange(px, copy, s);
    return out;
}

bool load_properties(QuorPictureState& s, const QByteArray& bytes, const QuorPictureState& defaults) {
    QDataStream stream(bytes);
    stream.setVersion(QDataStream::Qt_6_0);
    quint32 version = 0;
    stream >> version;
    QuorPictureState read = defaults;
    read.fore_color = s.fore_color;
    read.display_hot_spots = s.display_hot_spots;
    read.hot_spots = s.hot_spots;
    bool ok = stream.status() == QDataStream::Ok;
    if (ok) {
        StreamReadPx px{stream, version};
        exchange(px, read, defaults);
        ok = px.ok();
    }
    if (!ok) {
        read = defaults;
        read.fore_color = s.fore_color;
        read.display_hot_spots = s.display_hot_spots;
        read.hot_spots = s.hot_spots;
    }
    s = read;
    return ok;
}

QVariantMap save_property_bag(const QuorPictureState& s) {
    QVariantMap bag;
    QuorPictureState copy = s;
    BagWritePx px{bag};
    exchange(px, copy, s);
    return bag;
}

void load_property_bag(QuorPictureState& s, const QVariantMap& bag, const QuorPictureState& defaults) {
    BagReadPx px{bag, defaults};
    exchange(px, s, defaults);
}

}  // namespace quorpict
