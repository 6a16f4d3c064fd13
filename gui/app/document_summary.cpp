#include "gui/app/document_summary.h"

#include <QPainter>

#include "core/document/marbeck_doc.h"

namespace vox {

CDocumentSummary::CDocumentSummary(CMarbeckDoc& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setMinimumSize(200, 120);
}

namespace {
QString duration_text(double ms) {
    if (ms < 1000.0) return QString::number(ms, 'f', 1) + " ms";
    const double s = ms / 1000.0;
    if (s < 60.0) return QString::number(s, 'f', 3) + " s";
    const int minutes = static_cast<int>(s / 60.0);
    return QString("%1 min %2 s").arg(minutes).arg(s - minutes * 60.0, 0, 'f', 1);
}
}  // namespace

void CDocumentSummary::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const CChannels& ch = doc_.channels[0];

    QStringList rows;
    QStringList values;
    rows << "File" << "Format" << "Sample rate" << "Samples" << "Duration" << "Channels";
    values << (doc_.path().empty() ? QString::fromStdString(doc_.title()) : QString::fromStdString(doc_.path()))
           << (doc_.format_name().empty() ? QString("-") : QString::fromStdString(doc_.format_name()))
           << (doc_.loaded ? QString::number(ch.sample_rate, 'f', 0) + " Hz" : QString("-"))
           << (doc_.loaded ? QString::number(static_cast<qulonglong>(ch.count())) : QString("-"))
           << (doc_.loaded ? duration_text(ch.duration_ms) : QString("-"))
           << QString::number(doc_.channel_count);

    QFont title = font();
    title.setPointSizeF(title.pointSizeF() * 1.35);
    title.setBold(true);
    QFont body = font();
    const QFontMetrics tm(title), bm(body);
    const int line = bm.height() + 6;
    const int w = std::min(width() - 40, 560);
    const int h = tm.height() + 24 + line * rows.size() + bm.height() + 28;
    QRect card((width() - w) / 2, std::max(20, (height() - h) / 2), w, h);

    p.setPen(QColor(0xd0, 0xd7, 0xde));
    p.setBrush(QColor(0xf6, 0xf8, 0xfa));
    p.drawRoundedRect(card, 8, 8);

    int y = card.top() + 16;
    p.setFont(title);
    p.setPen(QColor(0x1f, 0x4e, 0x79));
    p.drawText(QRect(card.left() + 20, y, card.width() - 40, tm.height()), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromStdString(doc_.title()));
    y += tm.height() + 12;
    p.setFont(body);
    const int label_w = bm.horizontalAdvance("Sample rate") + 24;
    for (int i = 0; i < rows.size(); ++i) {
        p.setPen(QColor(0x57, 0x60, 0x6a));
        p.drawText(QRect(card.left() + 20, y, label_w, line), Qt::AlignLeft | Qt::AlignVCenter, rows[i]);
        p.setPen(QColor(0x24, 0x29, 0x2f));
        p.drawText(QRect(card.left() + 20 + label_w, y, card.width() - 40 - label_w, line),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   bm.elidedText(values[i], Qt::ElideMiddle, card.width() - 40 - label_w));
        y += line;
    }
    y += 8;
    p.setPen(QColor(0x8c, 0x95, 0x9f));
    p.drawText(QRect(card.left() + 20, y, card.width() - 40, bm.height()), Qt::AlignLeft | Qt::AlignVCenter,
               "The waveform display is not part of this build.");
}

}  // namespace vox
