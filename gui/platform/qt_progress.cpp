#include "gui/platform/qt_progress.h"

#include <QApplication>
#include <QDateTime>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

namespace vox {

ProgressWindow::ProgressWindow(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setFixedSize(380, 70);
    setWindowTitle("Voxtrel");
}

void ProgressWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(200, 200, 200));
    p.setPen(Qt::black);
    p.drawText(QRect(0, 8, width(), 20), Qt::AlignHCenter | Qt::AlignVCenter, caption_);
    // The bar: 10 px inside left and right, from 25 to 10 px above the bottom.
    const QRect bar(10, height() - 25, width() - 20, 15);
    p.fillRect(bar, Qt::white);
    const int filled = static_cast<int>(bar.width() * std::clamp(fraction_, 0.0, 1.0));
    p.fillRect(QRect(bar.left(), bar.top(), filled, bar.height()), QColor(255, 0, 0));
    p.setPen(QColor(120, 120, 120));
    p.drawRect(bar.adjusted(0, 0, -1, -1));
}

QtProgress::QtProgress(QWidget* parent) : parent_(parent) {}

QtProgress::~QtProgress() {
    if (depth_ > 0) qApp->removeEventFilter(this);
}

void QtProgress::begin(std::string_view caption, long long total_steps) {
    if (depth_++ == 0) {
        cancel_ = false;
        qApp->installEventFilter(this);
        window_ = std::make_unique<ProgressWindow>(parent_);
    }
    total_ = total_steps;
    done_ = 0;
    last_percent_ = -1;
    window_->set_caption(QString::fromStdString(std::string(caption)));
    window_->set_fraction(0.0);
    if (parent_) {
        const QPoint c = parent_->mapToGlobal(parent_->rect().center());
        window_->move(c - QPoint(window_->width() / 2, window_->height() / 2));
    }
    window_->show();
    window_->repaint();
    pump();
}

void QtProgress::step() {
    if (depth_ == 0) return;
    ++done_;
    const int percent = total_ > 0 ? static_cast<int>(100 * done_ / total_) : 0;
    if (percent != last_percent_) {
        last_percent_ = percent;
        window_->set_fraction(percent / 100.0);
        window_->repaint();
    }
}

bool QtProgress::cancelled() {
    // Delivering events costs time; at most every 30 ms is enough to notice a
    // press promptly.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - last_pump_ms_ >= 30) pump();
    return cancel_;
}

void QtProgress::pump() {
    last_pump_ms_ = QDateTime::currentMSecsSinceEpoch();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

void QtProgress::end() {
    if (depth_ == 0) return;
    if (--depth_ == 0) {
        qApp->removeEventFilter(this);
        window_.reset();
    }
}

bool QtProgress::eventFilter(QObject* watched, QEvent* event) {
    // A message box shown while the work runs must stay usable.
    if (QApplication::activeModalWidget()) return QObject::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) cancel_ = true;
            return true;
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Close:
            return true;  // held back while the work runs
        default:
            return QObject::eventFilter(watched, event);
    }
}

}  // namespace vox
