#include "gui/widgets/window_fit.h"

#include <QGuiApplication>
#include <QMdiArea>
#include <QScreen>
#include <QVariant>
#include <QWidget>

#include "core/app/window_placement.h"

namespace vox {

namespace {
constexpr const char* kArrangingProperty = "voxtrelArranging";
}

QRect fit_rect(const QRect& r, const QRect& bounds, const QSize& min_size) {
    const PlaceRect p = clamp_placement(PlaceRect{r.x(), r.y(), r.width(), r.height()},
                                        PlaceRect{bounds.x(), bounds.y(), bounds.width(), bounds.height()},
                                        min_size.width(), min_size.height());
    return QRect(p.x, p.y, p.w, p.h);
}

QRect subwindow_bounds(const QMdiArea* area) {
    if (!area || !area->viewport()) return QRect();
    return QRect(QPoint(0, 0), area->viewport()->size());
}

QRect screen_bounds(const QWidget* w) {
    QScreen* s = w && w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect();
}

ArrangingWindows::ArrangingWindows(QMdiArea* area) : area_(area) {
    if (area_) area_->setProperty(kArrangingProperty, true);
}

ArrangingWindows::~ArrangingWindows() {
    if (area_) area_->setProperty(kArrangingProperty, false);
}

bool ArrangingWindows::active(const QMdiArea* area) { return area && area->property(kArrangingProperty).toBool(); }

}  // namespace vox
