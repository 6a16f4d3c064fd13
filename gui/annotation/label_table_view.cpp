#include "gui/annotation/label_table_view.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMoveEvent>
#include <QPushButton>
#include <QResizeEvent>

#include <algorithm>
#include <optional>

#include "gui/annotation/label_texts.h"
#include "gui/widgets/window_fit.h"
#include "gui/grid/grid_control.h"

namespace vox {

namespace {
constexpr int kTimeColumn = 2;
}

CFormLabelView::CFormLabelView(CMarbeckDoc& doc, std::function<void(double)> zoom_to, QWidget* parent)
    : QWidget(parent), doc_(doc), zoom_to_(std::move(zoom_to)) {
    hint_ = new QLabel(label_text::kTableSortHint, this);
    hint_->setGeometry(5, 5, 200, 20);
    zoom_ = new QPushButton(label_text::kZoomButton, this);
    zoom_->setGeometry(210, 3, 160, 24);
    zoom_->setEnabled(static_cast<bool>(zoom_to_));
    connect(zoom_, &QPushButton::clicked, this, [this] { zoom_to_selected(); });
    grid_ = new CGridControl(this);
    grid_->insert_column(0, label_text::kTierColumn, 90, CGridControl::Align::Left);
    grid_->insert_column(1, label_text::kLabelColumn, 180, CGridControl::Align::Left);
    grid_->insert_column(2, label_text::kTimeColumn, 100, CGridControl::Align::Right);
    grid_->set_read_only(true);
    grid_->set_header_sorting(true);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    fill();
}

void CFormLabelView::fill() {
    try {
        grid_->remove_all_rows();
        const int channels = std::clamp<int>(doc_.channel_count, 0, kMaxChannels);
        for (int c = 0; c < channels; ++c) {
            // Tiers out of use that still hold labels are listed too.
            for (const Tier& tier : doc_.channels[c].tiers)
                for (const LABEL& l : tier.labels)
                    grid_->append_row({QString::fromStdString(tier.name), QString::fromStdString(l.text_string()),
                                       l.time_ms});
        }
    } catch (const std::exception&) {
        doc_.prompts().message(label_text::kFillError, MessageIcon::Error);
    }
}

bool CFormLabelView::zoom_to_selected() {
    const int row = grid_->currentRow();
    const bool selected = row >= 0 && row < grid_->row_count() && !grid_->selectedItems().isEmpty();
    std::optional<double> t;
    if (selected) {
        try {
            t = grid_->cell_number(row, kTimeColumn);
        } catch (const std::exception&) {
            t.reset();
        }
    }
    if (!t) {
        doc_.prompts().message(label_text::kSelectRow, MessageIcon::Information);
        return false;
    }
    if (!zoom_to_) return false;
    zoom_to_(*t);
    return true;
}

void CFormLabelView::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // The grid fills the client area below the button.
    const int top = zoom_->geometry().bottom() + 1 + 5;
    grid_->setGeometry(5, top, std::max(0, width() - 10), std::max(0, height() - (top - 5) - 10));
}

// --- the window --------------------------------------------------------------------------

CFrameLabelView::CFrameLabelView(CMarbeckDoc& doc, WindowRect& placement, std::function<void(double)> zoom_to,
                                 QWidget* parent)
    : QWidget(parent, Qt::Tool), doc_(doc), placement_(placement) {
    setAttribute(Qt::WA_DeleteOnClose);
    form_ = new CFormLabelView(doc, std::move(zoom_to), this);
    update_title();
    place();
    form_->setGeometry(0, 0, width(), height());
}

QRect CFrameLabelView::home_area() const {
    for (QWidget* p = parentWidget(); p; p = p->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(p))
            if (QMdiArea* a = sub->mdiArea(); a && a->viewport())
                return QRect(a->viewport()->mapToGlobal(QPoint(0, 0)), a->viewport()->size());
    return screen_bounds(this);
}

void CFrameLabelView::place() {
    // The remembered rectangle is relative to the main window's document
    // area: (20, 20) is just inside it, under the menus and toolbar.
    QRect r = placement_.empty() ? QRect(20, 20, 450, 450)
                                 : QRect(placement_.a, placement_.b, std::max(100, placement_.c), std::max(100, placement_.d));
    const QRect home = home_area();
    r.translate(home.topLeft());
    placed_ = false;  // the move below is not the user's
    setGeometry(fit_rect(r, home));
    placed_ = true;
}

void CFrameLabelView::update_title() {
    setWindowTitle(QString::fromLatin1(label_text::kTableTitlePrefix) + QString::fromStdString(doc_.title()));
}

void CFrameLabelView::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    if (!placed_) return;
    const QRect home = home_area();
    placement_.a = geometry().left() - home.left();
    placement_.b = geometry().top() - home.top();
}

void CFrameLabelView::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    form_->setGeometry(0, 0, width(), height());
    if (!placed_) return;
    placement_.c = width();
    placement_.d = height();
}

}  // namespace vox
