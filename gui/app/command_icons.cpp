#include "gui/app/command_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

namespace vox {

namespace {

const QColor kInk(0x2b, 0x3a, 0x4a);
const QColor kFile(0x2f, 0x6f, 0xb5);
const QColor kEdit(0x8a, 0x5a, 0x2b);
const QColor kZoom(0x1f, 0x8a, 0x86);
const QColor kRecord(0xc8, 0x2b, 0x2b);
const QColor kPlay(0x2e, 0x8b, 0x3e);
const QColor kAnalysis(0x6a, 0x3d, 0xa8);
const QColor kLabels(0xc0, 0x7a, 0x12);

// All glyphs are drawn on a 24 x 24 grid; the pixmap is drawn at twice that
// and scaled so the icon stays crisp on dense screens.
class Glyph {
public:
    explicit Glyph(int scale) : pm_(24 * scale, 24 * scale) {
        pm_.fill(Qt::transparent);
        p_.begin(&pm_);
        p_.setRenderHint(QPainter::Antialiasing);
        p_.scale(scale, scale);
        ink();
    }
    QPainter& p() { return p_; }
    void ink(const QColor& c = kInk, double w = 1.6) {
        QPen pen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p_.setPen(pen);
        p_.setBrush(Qt::NoBrush);
    }
    void fill(const QColor& c) { p_.setBrush(c); }
    void nofill() { p_.setBrush(Qt::NoBrush); }
    QPixmap done() {
        p_.end();
        return pm_;
    }

private:
    QPixmap pm_;
    QPainter p_;
};

void page(Glyph& g, double x, double y, double w, double h, const QColor& tint = Qt::white) {
    QPainterPath path;
    path.moveTo(x, y);
    path.lineTo(x + w - 4, y);
    path.lineTo(x + w, y + 4);
    path.lineTo(x + w, y + h);
    path.lineTo(x, y + h);
    path.closeSubpath();
    g.fill(tint);
    g.p().drawPath(path);
    g.nofill();
    g.p().drawLine(QPointF(x + w - 4, y), QPointF(x + w - 4, y + 4));
    g.p().drawLine(QPointF(x + w - 4, y + 4), QPointF(x + w, y + 4));
}

void disk(Glyph& g, double x, double y, double s) {
    g.ink(kInk);
    g.fill(kFile.lighter(170));
    g.p().drawRoundedRect(QRectF(x, y, s, s), 1.5, 1.5);
    g.fill(Qt::white);
    g.p().drawRect(QRectF(x + s * 0.25, y, s * 0.5, s * 0.32));
    g.fill(kFile);
    g.p().drawRect(QRectF(x + s * 0.2, y + s * 0.55, s * 0.6, s * 0.45));
    g.nofill();
}

void wave(Glyph& g, double x0, double x1, double yc, double amp, const QColor& c) {
    g.ink(c, 1.4);
    QPainterPath path;
    const int n = 24;
    for (int i = 0; i <= n; ++i) {
        const double t = double(i) / n;
        const double env = std::sin(t * M_PI);
        const double y = yc - amp * env * std::sin(t * 5.5 * M_PI);
        if (i == 0)
            path.moveTo(x0, y);
        else
            path.lineTo(x0 + (x1 - x0) * t, y);
    }
    g.p().drawPath(path);
}

void magnifier(Glyph& g, const QString& sign) {
    g.ink(kInk, 1.8);
    g.fill(QColor(0xe6, 0xf4, 0xf3));
    g.p().drawEllipse(QPointF(10, 10), 6.5, 6.5);
    g.nofill();
    g.ink(kInk, 2.6);
    g.p().drawLine(QPointF(15, 15), QPointF(21, 21));
    g.ink(kZoom, 1.8);
    if (sign.contains('+')) {
        g.p().drawLine(QPointF(7, 10), QPointF(13, 10));
        g.p().drawLine(QPointF(10, 7), QPointF(10, 13));
    } else if (sign.contains('-')) {
        g.p().drawLine(QPointF(7, 10), QPointF(13, 10));
    } else if (sign.contains('s')) {  // selection: a bracketed span
        g.p().drawLine(QPointF(7, 7), QPointF(7, 13));
        g.p().drawLine(QPointF(13, 7), QPointF(13, 13));
        g.p().drawLine(QPointF(7, 10), QPointF(13, 10));
    } else if (sign.contains('c')) {  // from the cursor
        g.p().drawLine(QPointF(8, 6.5), QPointF(8, 13.5));
        g.p().drawLine(QPointF(8, 10), QPointF(13, 10));
        g.p().drawLine(QPointF(11, 8), QPointF(13, 10));
        g.p().drawLine(QPointF(11, 12), QPointF(13, 10));
    } else if (sign.contains('u')) {  // back to the previous window
        QPainterPath arc;
        arc.moveTo(13, 12);
        arc.cubicTo(13, 7, 7, 7, 7, 11);
        g.p().drawPath(arc);
        g.p().drawLine(QPointF(7, 11), QPointF(5.5, 9));
        g.p().drawLine(QPointF(7, 11), QPointF(9, 9.5));
    } else if (sign.contains('h')) {  // home: the whole recording
        g.p().drawLine(QPointF(6.5, 10), QPointF(13.5, 10));
        g.p().drawLine(QPointF(6.5, 10), QPointF(8.5, 8));
        g.p().drawLine(QPointF(6.5, 10), QPointF(8.5, 12));
        g.p().drawLine(QPointF(13.5, 10), QPointF(11.5, 8));
        g.p().drawLine(QPointF(13.5, 10), QPointF(11.5, 12));
    }
}

void play_triangle(Glyph& g, double x, double y, double s) {
    QPainterPath tri;
    tri.moveTo(x, y);
    tri.lineTo(x + s * 0.87, y + s / 2);
    tri.lineTo(x, y + s);
    tri.closeSubpath();
    g.ink(kPlay.darker(130), 1.2);
    g.fill(kPlay);
    g.p().drawPath(tri);
    g.nofill();
}

void spectrum_bars(Glyph& g) {
    const double h[] = {6, 13, 16, 9, 12, 5, 8, 3};
    g.ink(kAnalysis, 1.8);
    for (int i = 0; i < 8; ++i) g.p().drawLine(QPointF(4 + i * 2.3, 20), QPointF(4 + i * 2.3, 20 - h[i]));
    g.ink(kInk, 1.4);
    QPainterPath env;
    env.moveTo(3, 13);
    env.cubicTo(7, 2, 10, 2, 12, 9);
    env.cubicTo(14, 14, 17, 7, 21, 17);
    g.p().drawPath(env);
}

void spectrogram(Glyph& g) {
    g.ink(kInk, 1.2);
    g.p().drawRect(QRectF(3, 4, 18, 16));
    for (int x = 0; x < 6; ++x)
        for (int y = 0; y < 5; ++y) {
            const int v = (x * 37 + y * 53 + (y == 1 || y == 3 ? 120 : 0)) % 200;
            g.p().fillRect(QRectF(3.6 + x * 2.9, 4.6 + y * 3.0, 2.9, 3.0),
                           QColor(0x6a, 0x3d, 0xa8, 40 + v));
        }
}

void range_mark(Glyph& g, const QString& which) {
    // A small tag in the lower right: A(ll), S(election) or W(indow).
    g.ink(Qt::white, 1);
    g.fill(kInk);
    g.p().drawRoundedRect(QRectF(13, 13, 10, 10), 2, 2);
    QFont f("Sans");
    f.setPixelSize(8);
    f.setBold(true);
    g.p().setFont(f);
    g.p().setPen(Qt::white);
    g.p().drawText(QRectF(13, 13, 10, 10), Qt::AlignCenter, which);
    g.nofill();
}

QPixmap draw(CommandId id, int scale) {
    Glyph g(scale);
    QPainter& p = g.p();
    using C = CommandId;
    switch (id) {
        case C::FileNew:
            page(g, 5, 3, 14, 18);
            g.ink(kFile, 1.8);
            p.drawLine(QPointF(12, 9), QPointF(12, 17));
            p.drawLine(QPointF(8, 13), QPointF(16, 13));
            break;
        case C::FileOpen: {
            g.ink(kInk);
            g.fill(QColor(0xf3, 0xd2, 0x7a));
            QPainterPath back;
            back.moveTo(3, 19);
            back.lineTo(3, 5);
            back.lineTo(9, 5);
            back.lineTo(11, 7);
            back.lineTo(19, 7);
            back.lineTo(19, 10);
            p.drawPath(back);
            QPainterPath front;
            front.moveTo(3, 19);
            front.lineTo(6.5, 10);
            front.lineTo(22, 10);
            front.lineTo(18.5, 19);
            front.closeSubpath();
            g.fill(QColor(0xf7, 0xc4, 0x3c));
            p.drawPath(front);
            break;
        }
        case C::FileSave:
            disk(g, 4, 4, 16);
            break;
        case C::FileSaveCopyAs:
            disk(g, 8, 8, 13);
            g.ink(kInk, 1.4);
            p.drawRoundedRect(QRectF(3, 3, 13, 13), 1.5, 1.5);
            break;
        case C::FilePrint:
            g.ink(kInk);
            page(g, 7, 3, 10, 7);
            g.fill(QColor(0xd8, 0xdf, 0xe6));
            p.drawRoundedRect(QRectF(3, 9, 18, 8), 2, 2);
            page(g, 7, 14, 10, 7);
            g.ink(kPlay, 2);
            p.drawPoint(QPointF(18, 12));
            break;
        case C::EditUndo: {
            g.ink(kEdit, 2);
            QPainterPath arc;
            arc.moveTo(6, 10);
            arc.cubicTo(10, 5, 19, 6, 19, 13);
            arc.cubicTo(19, 17, 16, 19, 12, 19);
            p.drawPath(arc);
            p.drawLine(QPointF(6, 10), QPointF(6, 4.5));
            p.drawLine(QPointF(6, 10), QPointF(11.5, 10.5));
            break;
        }
        case C::EditCut:
            g.ink(kInk, 1.6);
            p.drawEllipse(QPointF(7, 18), 3, 3);
            p.drawEllipse(QPointF(17, 18), 3, 3);
            g.ink(kEdit, 1.8);
            p.drawLine(QPointF(9, 15.5), QPointF(16, 3));
            p.drawLine(QPointF(15, 15.5), QPointF(8, 3));
            break;
        case C::EditCopy:
            page(g, 3, 3, 12, 15, QColor(0xf2, 0xe8, 0xdc));
            page(g, 9, 7, 12, 15);
            g.ink(kEdit, 1.2);
            for (int i = 0; i < 3; ++i) p.drawLine(QPointF(12, 13 + i * 3), QPointF(18, 13 + i * 3));
            break;
        case C::EditPaste:
            g.ink(kInk);
            g.fill(QColor(0xd9, 0xb3, 0x85));
            p.drawRoundedRect(QRectF(4, 4, 14, 17), 1.5, 1.5);
            g.fill(kInk);
            p.drawRoundedRect(QRectF(8, 2.5, 6, 3.5), 1, 1);
            page(g, 11, 10, 10, 12);
            break;
        case C::ZoomUnZoom: magnifier(g, "u"); break;
        case C::ZoomIn: magnifier(g, "+"); break;
        case C::ZoomOut: magnifier(g, "-"); break;
        case C::ZoomSelection: magnifier(g, "s"); break;
        case C::ZoomFromCursor: magnifier(g, "c"); break;
        case C::ZoomHome: magnifier(g, "h"); break;
        case C::SetReferenceAll:
            wave(g, 3, 21, 12, 6, kInk);
            g.ink(kRecord, 1.6);
            p.drawLine(QPointF(2, 12), QPointF(22, 12));
            p.drawLine(QPointF(19, 9), QPointF(22, 12));
            p.drawLine(QPointF(19, 15), QPointF(22, 12));
            break;
        case C::Record:
            g.ink(kRecord.darker(130), 1.2);
            g.fill(kRecord);
            p.drawEllipse(QPointF(12, 12), 7, 7);
            g.ink(Qt::white, 1.2);
            g.fill(QColor(255, 255, 255, 90));
            p.drawEllipse(QPointF(10, 10), 2, 2);
            break;
        case C::PlayAll: play_triangle(g, 6, 4, 16); break;
        case C::PlaySelection:
            play_triangle(g, 4, 3, 13);
            range_mark(g, "S");
            break;
        case C::PlayWindow:
            play_triangle(g, 4, 3, 13);
            range_mark(g, "W");
            break;
        case C::FftLpc: spectrum_bars(g); break;
        case C::FftLpcSelection:
            spectrum_bars(g);
            range_mark(g, "S");
            break;
        case C::SpectrogramAll:
            spectrogram(g);
            range_mark(g, "A");
            break;
        case C::SpectrogramSelection:
            spectrogram(g);
            range_mark(g, "S");
            break;
        case C::SpectrogramWindow:
            spectrogram(g);
            range_mark(g, "W");
            break;
        case C::Intensity: {
            g.ink(kInk, 1.2);
            p.drawLine(QPointF(3, 20), QPointF(21, 20));
            g.ink(kAnalysis, 2);
            QPainterPath c;
            c.moveTo(3, 18);
            c.cubicTo(6, 18, 6, 6, 10, 7);
            c.cubicTo(13, 8, 13, 14, 15, 12);
            c.cubicTo(17, 10, 18, 17, 21, 18);
            p.drawPath(c);
            break;
        }
        case C::PitchAll: {
            g.ink(kInk, 1.2);
            p.drawLine(QPointF(3, 20), QPointF(21, 20));
            g.ink(kAnalysis, 1);
            g.fill(kAnalysis);
            const double ys[] = {14, 11.5, 9.5, 8.5, 9, 11, 13};
            for (int i = 0; i < 7; ++i) p.drawEllipse(QPointF(4 + i * 2.6, ys[i]), 1.3, 1.3);
            g.nofill();
            range_mark(g, "A");
            break;
        }
        case C::TiersViewLabels: {
            g.ink(kInk, 1.4);
            g.fill(QColor(0xfb, 0xe3, 0xb0));
            QPainterPath tag;
            tag.moveTo(3, 7);
            tag.lineTo(14, 7);
            tag.lineTo(19, 12);
            tag.lineTo(14, 17);
            tag.lineTo(3, 17);
            tag.closeSubpath();
            p.drawPath(tag);
            g.ink(kLabels, 1.6);
            p.drawEllipse(QPointF(14, 12), 1.4, 1.4);
            p.drawLine(QPointF(6, 10.5), QPointF(10, 10.5));
            p.drawLine(QPointF(6, 13.5), QPointF(10, 13.5));
            break;
        }
        case C::LogNew:
        case C::LogOpen: {
            g.ink(kInk, 1.4);
            g.fill(Qt::white);
            p.drawRect(QRectF(4, 3, 16, 18));
            g.ink(kLabels, 1.2);
            for (int i = 0; i < 4; ++i) p.drawLine(QPointF(4, 7.5 + i * 3.5), QPointF(20, 7.5 + i * 3.5));
            p.drawLine(QPointF(9, 3), QPointF(9, 21));
            if (id == C::LogOpen) {
                g.ink(kFile, 2);
                p.drawLine(QPointF(15, 15), QPointF(22, 15));
                p.drawLine(QPointF(19, 12), QPointF(22, 15));
                p.drawLine(QPointF(19, 18), QPointF(22, 15));
            }
            break;
        }
        case C::HelpAbout:
        case C::HelpTopics: {
            g.ink(kFile.darker(120), 1.2);
            g.fill(kFile);
            p.drawEllipse(QPointF(12, 12), 9, 9);
            QFont f("Sans");
            f.setPixelSize(13);
            f.setBold(true);
            p.setFont(f);
            p.setPen(Qt::white);
            p.drawText(QRectF(3, 3, 18, 18), Qt::AlignCenter, id == C::HelpAbout ? "i" : "?");
            break;
        }
        default:
            wave(g, 3, 21, 12, 7, kInk);
            break;
    }
    return g.done();
}

}  // namespace

QIcon command_icon(CommandId id) {
    QIcon icon;
    icon.addPixmap(draw(id, 1));
    icon.addPixmap(draw(id, 2));
    return icon;
}

QIcon application_icon() {
    QPixmap pm(64, 64);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x4e, 0x79));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF pts[] = {{8, 32}, {14, 32}, {18, 18}, {22, 46}, {26, 12}, {30, 52},
                           {34, 22}, {38, 40}, {42, 28}, {46, 34}, {50, 32}, {56, 32}};
    p.drawPolyline(pts, 12);
    p.end();
    return QIcon(pm);
}

}  // namespace vox
