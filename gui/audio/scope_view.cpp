#include "gui/audio/scope_view.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QTimerEvent>

#include "core/audio/record_options.h"
#include "gui/audio/audio_texts.h"

namespace vox {

CScopeView::CScopeView(const RecordSettings& settings, std::unique_ptr<UsbTransport> transport, UserPrompts& prompts,
                       QWidget* parent)
    : QWidget(parent), settings_(settings), transport_(std::move(transport)), prompts_(prompts) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 130);
}

CScopeView::~CScopeView() { stop(); }

void CScopeView::start() {
    if (!timer_.isActive()) timer_.start(kCycleMs, this);
}

void CScopeView::stop() { timer_.stop(); }

void CScopeView::resume() {
    if (refused_) {
        refused_ = false;
        start();
    }
}

void CScopeView::showEvent(QShowEvent* event) {
    if (!first_update_done_) {
        first_update_done_ = true;
        default_bands_ = scope_default_bands(width());
        start();
    }
    QWidget::showEvent(event);
}

bool CScopeView::run_cycle() {
    stop();
    if (!transport_) return false;
    const auto outcome = scope_.run(settings_, *transport_, prompts_);
    const auto bands = scope_bands(settings_, width());
    const int height_needed = scope_scroll_height(bands);
    if (minimumHeight() != height_needed) setMinimumHeight(height_needed);
    update();
    if (outcome == ScopeAcquisition::Outcome::Failed) return false;
    // Settings the unit cannot take end the cycle without re-arming: the
    // next cycle would only show the same message again 10 ms later. The
    // scope resumes with resume() once the settings are mended.
    if (outcome == ScopeAcquisition::Outcome::SettingsRefused) {
        refused_ = true;
        return true;
    }
    refused_ = false;
    start();
    return true;
}

void CScopeView::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId()) return QWidget::timerEvent(event);
    if (!run_cycle() && on_failure) on_failure();
}

void CScopeView::draw(QPainter& p, int width) const {
    p.fillRect(QRect(0, 0, width, std::max(this->height(), scope_scroll_height(scope_bands(settings_, width)))),
               Qt::white);
    p.setPen(Qt::black);
    const QFontMetrics fm(p.font());
    p.drawText(5, fm.ascent(), scope_text::kHeading);
    const auto bands = scope_bands(settings_, width);
    const QPen frame(QColor(255, 0, 0));
    QPen centre(QColor(200, 200, 200));
    centre.setStyle(Qt::DashLine);
    for (const auto& b : bands) {
        const QRect r(b.rect.left, b.rect.top, b.rect.width(), b.rect.height());
        p.setPen(frame);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(centre);
        p.drawLine(b.rect.left, b.rect.centre_y(), b.rect.right - 1, b.rect.centre_y());
        p.setPen(Qt::black);
        p.drawText(b.rect.left + 2, b.rect.top + fm.ascent() + 1, QString::fromStdString(b.caption));
        if (!scope_.has_acquired() || static_cast<std::size_t>(b.input) >= scope_.channels().size()) continue;
        const auto pts = scope_trace(b.rect, scope_.channels()[static_cast<std::size_t>(b.input)]);
        if (pts.empty()) continue;
        QPolygon poly;
        poly.reserve(static_cast<int>(pts.size()) + 1);
        poly << QPoint(b.rect.left, b.rect.centre_y());
        for (const auto& q : pts) poly << QPoint(q.x, q.y);
        p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
        p.drawPolyline(poly);
    }
}

QImage CScopeView::render(int width, int height) const {
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    draw(p, width);
    return img;
}

void CScopeView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    draw(p, width());
}

void CScopeView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* rp = menu.addAction(audio_text::kScopeRecordPlay);
    if (menu.exec(event->globalPos()) == rp && on_record_play) on_record_play();
}

}  // namespace vox
