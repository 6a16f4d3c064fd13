#include "gui/views/waveform/painters/plot_page.h"

#include <QPainter>

#include <algorithm>

#include "core/document/marbeck_doc.h"
#include "gui/plot/plot_draw.h"
#include "gui/views/waveform/painters/plot_layers.h"

namespace vox {

namespace {

// Margins of the plot inside the page's box, in screen pixels (scaled to
// the device): the tier names and frequency labels on the left, the time
// labels below.
constexpr int kLeft = 40, kRight = 5, kTop = 4, kBottom = 30;

}  // namespace

plot::PageSetup PlotPage::setup() const {
    const DisplayOptions& d = doc_.options.display;
    plot::PageSetup s;
    s.width = d.print_width > 0.0 ? d.print_width : 6.0;
    s.height = d.print_height > 0.0 ? d.print_height : 4.0;
    s.inches = d.inches != 0;
    s.color = d.color != 0;
    return s;
}

PlotGeometry PlotPage::geometry(const plot::PlotTarget& t, const ScreenShares& screen) const {
    const double k = t.scale;
    PlotGeometry g;
    g.scale = k;
    g.color = t.color;
    g.left = t.area.left + static_cast<int>(kLeft * k);
    g.right = t.area.right - static_cast<int>(kRight * k);
    g.top = t.area.top + static_cast<int>(kTop * k);
    g.bottom = t.area.bottom - static_cast<int>(kBottom * k);
    const CChannels& ch = doc_.channels[0];
    int y = g.top;
    for (int i = 0; i < kTierCount; ++i) {
        const Tier& tier = ch.tiers[i];
        const int h = tier.in_use ? static_cast<int>(std::max(0, tier.height) * k) : 0;
        g.tiers[i] = {y, y + h, tier.in_use != 0};
        y += h;
    }
    const double screen_h = std::max(1, screen.display_height);
    const double page_h = std::max(1, g.bottom - g.top);
    const int ah = static_cast<int>(screen.audio / screen_h * page_h);
    const int ih = static_cast<int>(screen.intensity / screen_h * page_h);
    g.audio = {y, y + ah, true};
    g.intensity = {y + ah, y + ah + ih, true};
    g.pitch = {y + ah + ih, std::max(y + ah + ih, g.bottom), true};
    return g;
}

bool PlotPage::render(QPainter& p, const plot::PlotTarget& t) {
    if (doc_.loaded == 0 || doc_.channel_count <= 0) return true;
    p.save();
    // Inside the title box's frame.
    p.fillRect(QRect(t.area.left + 1, t.area.top + 1, t.area.right - t.area.left - 1, t.area.bottom - t.area.top - 1),
               plot::to_qcolor(doc_.options.colors.background));
    const bool ok = layers_.paint(p, geometry(t, screen_ ? screen_() : ScreenShares{}));
    p.restore();
    return ok;
}

plot::PlotRenderer PlotPage::renderer() {
    return [this](QPainter& p, const plot::PlotTarget& t) { render(p, t); };
}

QImage PlotPage::bitmap(const QString& title) { return plot::RenderPlotBitmap(setup(), title, renderer()); }

bool PlotPage::print(QWidget* parent, const QString& title, bool preview) {
    if (preview) {
        plot::PreviewPlot(parent, setup(), title, renderer());
        return true;
    }
    return plot::PrintPlotWithDialog(parent, setup(), title, renderer());
}

}  // namespace vox
