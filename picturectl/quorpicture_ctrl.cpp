#include "picturectl/quorpicture_ctrl.h"

#include <QBuffer>
#include <QFile>
#include <QFileDialog>
#include <QImageReader>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <new>

#include "picturectl/quorpict_texts.h"
#include "picturectl/quorpicture_exchange.h"
#include "picturectl/quorpicture_pages.h"
#include "picturectl/quorpicture_paint.h"

namespace quorpict {

namespace {

// Screen painting goes through an off-screen image this many pixels larger
// than the control in each direction.
constexpr int kOffscreenMargin = 10;

short button_code(Qt::MouseButtons b) {
    short code = 0;
    if (b & Qt::LeftButton) code |= 1;
    if (b & Qt::RightButton) code |= 2;
    if (b & Qt::MiddleButton) code |= 4;
    return code;
}

short shift_code(Qt::KeyboardModifiers m) {
    short code = 0;
    if (m & Qt::ShiftModifier) code |= 1;
    if (m & Qt::ControlModifier) code |= 2;
    if (m & Qt::AltModifier) code |= 4;
    return code;
}

}  // namespace

CQuorpictureCtrl::CQuorpictureCtrl(QWidget* parent) : QWidget(parent), s_(QuorPictureState::defaults()) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CQuorpictureCtrl::~CQuorpictureCtrl() = default;

qulonglong CQuorpictureCtrl::hWnd() const { return static_cast<qulonglong>(winId()); }

void CQuorpictureCtrl::property_changed() {
    modified_ = true;
    emit changed();
    if (redraw_) update();
}

#define QUORPICT_SETTER(name, field, valid)     \
    void CQuorpictureCtrl::name(short v) {      \
        if (!valid(v) || s_.field == v) return; \
        s_.field = v;                           \
        property_changed();                     \
    }
QUORPICT_SETTER(setOuterBevel, outer_bevel, valid_bevel_style)
QUORPICT_SETTER(setInnerBevel, inner_bevel, valid_bevel_style)
QUORPICT_SETTER(setInterBevelWidth, inter_bevel_width, valid_bevel_width)
QUORPICT_SETTER(setOuterBevelWidth, outer_bevel_width, valid_bevel_width)
QUORPICT_SETTER(setInnerBevelWidth, inner_bevel_width, valid_bevel_width)
#undef QUORPICT_SETTER

#define QUORPICT_SETTER(name, type, field, valid) \
    void CQuorpictureCtrl::name(type v) {         \
        if (!valid(v) || s_.field == v) return;   \
        s_.field = v;                             \
        property_changed();                       \
    }
QUORPICT_SETTER(setVerticalJustification, int, vertical_justification, valid_text_vertical)
QUORPICT_SETTER(setHorizontalJustification, int, horizontal_justification, valid_text_horizontal)
QUORPICT_SETTER(setPictureHorizontalJustification, int, picture_horizontal_justification, valid_image_horizontal)
QUORPICT_SETTER(setPictureVerticalJustification, int, picture_vertical_justification, valid_image_vertical)
#undef QUORPICT_SETTER

#define QUORPICT_SETTER(name, type, field)   \
    void CQuorpictureCtrl::name(type v) {    \
        if (s_.field == v) return;           \
        s_.field = v;                        \
        property_changed();                  \
    }
QUORPICT_SETTER(setControlFont, const QFont&, font)
QUORPICT_SETTER(setText, const QString&, text)
QUORPICT_SETTER(setForeColor, const QColor&, fore_color)
QUORPICT_SETTER(setStretchImage, bool, stretch_image)
QUORPICT_SETTER(setBackColor, const QColor&, back_color)
QUORPICT_SETTER(setBevelFaceColor, const QColor&, bevel_face_color)
QUORPICT_SETTER(setBevelShadowColor, const QColor&, bevel_shadow_color)
QUORPICT_SETTER(setBevelHighlightColor, const QColor&, bevel_highlight_color)
QUORPICT_SETTER(setDisplayHotSpots, bool, display_hot_spots)
#undef QUORPICT_SETTER

void CQuorpictureCtrl::setPicture(const QImage& img) {
    s_.picture = img;
    property_changed();
}

void CQuorpictureCtrl::setRedraw(bool on) {
    if (redraw_ == on) return;
    redraw_ = on;
    // Changes made while drawing was off show now.
    if (redraw_) update();
}

// --- methods -----------------------------------------------------------------

void CQuorpictureCtrl::tell(const char* text, const QString& file) {
    const QString msg = QString::fromUtf8(text).arg(file);
    if (message_) message_(msg);
    else QMessageBox::warning(this, QString(), msg);
}

void CQuorpictureCtrl::BrowseForPicture() {
    const QString file = chooser_ ? chooser_()
                                  : QFileDialog::getOpenFileName(this, QString::fromUtf8(texts::kBrowseTitle), QString(),
                                                                 QString::fromUtf8(texts::kPictureFilter));
    if (!file.isEmpty()) LoadPicture(file);
}

bool CQuorpictureCtrl::LoadPicture(const QString& FileName) {
    QFile f(FileName);
    if (!f.exists()) {
        tell(texts::kReadFailed, FileName);
        return false;
    }
    // A file whose size cannot be found, or that cannot be opened, is denied.
    const qint64 size = f.size();
    if (size < 0 || !f.open(QIODevice::ReadOnly)) {
        tell(texts::kAccessDenied, FileName);
        return false;
    }
    QByteArray bytes;
    try {
        bytes.resize(size);
    } catch (const std::bad_alloc&) {
        tell(texts::kOutOfMemory, FileName);
        return false;
    }
    // The whole file into one block; a short read is a read failure.
    qint64 got = 0;
    while (got < size) {
        const qint64 n = f.read(bytes.data() + got, size - got);
        if (n <= 0) break;
        got += n;
    }
    if (got != size) {
        tell(texts::kReadFailed, FileName);
        return false;
    }
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    QImageReader reader(&stream);
    QImage img = reader.read();
    if (img.isNull()) {
        if (reader.error() == QImageReader::UnknownError && size > 0) tell(texts::kOutOfMemory, FileName);
        else tell(texts::kNotAPicture, FileName);
        return false;
    }
    setPicture(img);
    return true;
}

void CQuorpictureCtrl::AddHotSpot(int Top, int Bottom, int Left, int Right, const QString& Key) {
    // Right and bottom are exclusive, as the edges of a rectangle given by
    // its four sides; sides given the wrong way round are put in order.
    const int l = std::min(Left, Right), r = std::max(Left, Right);
    const int t = std::min(Top, Bottom), b = std::max(Top, Bottom);
    s_.hot_spots.insert(Key, QRect(l, t, r - l, b - t));
    if (s_.display_hot_spots && redraw_) update();
}

void CQuorpictureCtrl::RemoveHotSpot(const QString& Key) {
    if (s_.hot_spots.remove(Key) && s_.display_hot_spots && redraw_) update();
}

void CQuorpictureCtrl::RemoveAllHotSpots() {
    if (s_.hot_spots.isEmpty()) return;
    s_.hot_spots.clear();
    if (s_.display_hot_spots && redraw_) update();
}

void CQuorpictureCtrl::AboutBox() {
    if (message_) message_(QString::fromUtf8(texts::kAboutText));
    else QMessageBox::about(this, QString::fromUtf8(texts::kAboutCaption), QString::fromUtf8(texts::kAboutText));
}

QStringList CQuorpictureCtrl::hot_spots_at(QPoint pos) const {
    QStringList keys;
    for (auto it = s_.hot_spots.cbegin(); it != s_.hot_spots.cend(); ++it)
        if (it.value().contains(pos)) keys << it.key();
    return keys;
}

// --- persistence ---------------------------------------------------------------

QByteArray CQuorpictureCtrl::saveProperties() const { return save_properties(s_); }

bool CQuorpictureCtrl::loadProperties(const QByteArray& stream) {
    const bool ok = load_properties(s_, stream, QuorPictureState::defaults());
    modified_ = false;
    emit changed();
    if (redraw_) update();
    return ok;
}

QVariantMap CQuorpictureCtrl::savePropertyBag() const { return save_property_bag(s_); }

void CQuorpictureCtrl::loadPropertyBag(const QVariantMap& bag) {
    load_property_bag(s_, bag, QuorPictureState::defaults());
    modified_ = false;
    emit changed();
    if (redraw_) update();
}

void CQuorpictureCtrl::showPropertyPages() {
    CQuorpicturePropertySheet sheet(*this, this);
    sheet.exec();
}

// --- painting --------------------------------------------------------------------

void CQuorpictureCtrl::paintEvent(QPaintEvent*) {
    QImage buffer(width() + kOffscreenMargin, height() + kOffscreenMargin, QImage::Format_ARGB32_Premultiplied);
    buffer.fill(s_.back_color);
    {
        QPainter bp(&buffer);
        paint_quorpicture(bp, rect(), s_);
    }
    QPainter p(this);
    p.drawImage(QPoint(0, 0), buffer, rect());
}

void CQuorpictureCtrl::paint_scaled(QPainter& p, QPoint at, double device_dpi_x, double device_dpi_y,
                                    double screen_dpi) const {
    const double sx = device_dpi_x / screen_dpi, sy = device_dpi_y / screen_dpi;
    const QRect r(at, QSize(qRound(width() * sx), qRound(height() * sy)));
    // Hot spots are in screen pixels; the painter scales them with the rest.
    paint_quorpicture(p, r, s_, sx);
}

void CQuorpictureCtrl::print(QPrinter* printer) {
    if (!printer) return;
    QPainter p;
    if (!p.begin(printer)) return;
    paint_scaled(p, QPoint(0, 0), printer->logicalDpiX(), printer->logicalDpiY(), logicalDpiX());
    p.end();
}

// --- mouse -----------------------------------------------------------------------

void CQuorpictureCtrl::route_hot_spots(QPoint pos, Action a) {
    const QStringList keys = hot_spots_at(pos);
    if (keys.isEmpty()) {
        emit MouseActionNoHotSpot();
        return;
    }
    for (const QString& k : keys) {
        switch (a) {
            case Action::Down: emit MouseDownHotSpot(k); break;
            case Action::Move: emit MouseMoveHotSpot(k); break;
            case Action::Up: emit MouseUpHotSpot(k); break;
        }
    }
}

void CQuorpictureCtrl::mousePressEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    pressed_ = true;
    route_hot_spots(pos, Action::Down);
    emit MouseDown(button_code(e->button()), shift_code(e->modifiers()), pos.x(), pos.y());
}

void CQuorpictureCtrl::mouseMoveEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    route_hot_spots(pos, Action::Move);
    emit MouseMove(button_code(e->buttons()), shift_code(e->modifiers()), pos.x(), pos.y());
}

void CQuorpictureCtrl::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    route_hot_spots(pos, Action::Up);
    emit MouseUp(button_code(e->button()), shift_code(e->modifiers()), pos.x(), pos.y());
    // A click is a press and a release both inside the control.
    if (pressed_ && rect().contains(pos)) emit Click();
    pressed_ = false;
}

void CQuorpictureCtrl::mouseDoubleClickEvent(QMouseEvent* e) {
    pressed_ = true;
    emit DblClick();
}

}  // namespace quorpict
