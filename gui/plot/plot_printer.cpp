#include "gui/plot/plot_printer.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "gui/plot/plot_draw.h"

namespace vox::plot {

void RenderPlotPage(QPainter& p, int dpi_x, int dpi_y, const PageSetup& page, const QString& title,
                    const PlotRenderer& render) {
    QFont f("Arial");
    // Height 12 screen pixels, scaled to the device.
    f.setPixelSize(std::max(1, 12 * dpi_y / kScreenDpi));
    f.setWeight(QFont::Normal);
    p.setFont(f);
    const Rect box = DrawPrintTitle(p, dpi_x, dpi_y, page.width, page.height, !page.inches, title, true);
    PlotTarget t;
    t.area = box;
    t.scale = double(dpi_y) / kScreenDpi;
    t.color = page.color;
    p.save();
    p.setClipRect(box.left, box.top, box.right - box.left + 1, box.bottom - box.top + 1);
    if (render) render(p, t);
    p.restore();
}

QImage RenderPlotBitmap(const PageSetup& page, const QString& title, const PlotRenderer& render) {
    const double div = page.inches ? 1.0 : 2.54;
    const int w = static_cast<int>(kScreenDpi * (2.0 + page.width / div));
    const int h = static_cast<int>(kScreenDpi * (2.0 + page.height / div));
    if (w <= 0 || h <= 0 || w > 20000 || h > 20000) return {};
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    const int dpm = static_cast<int>(kScreenDpi / 0.0254);
    img.setDotsPerMeterX(dpm);
    img.setDotsPerMeterY(dpm);
    QPainter p(&img);
    RenderPlotPage(p, kScreenDpi, kScreenDpi, page, title, render);
    return img;
}

void PrintPlot(QPrinter& printer, const PageSetup& page, const QString& title, const PlotRenderer& render) {
    QPainter p(&printer);
    if (!p.isActive()) return;
    RenderPlotPage(p, printer.logicalDpiX(), printer.logicalDpiY(), page, title, render);
}

namespace {

UnattendedPrint* g_unattended = nullptr;

// The page that the dialog would have printed, into the unattended target.
void PrintUnattended(bool preview, const PageSetup& page, const QString& title, const PlotRenderer& render) {
    UnattendedPrint& u = *g_unattended;
    (preview ? u.previews : u.prints)++;
    u.last_title = title;
    u.last_page = RenderPlotBitmap(page, title, render);
    if (u.pdf_path.isEmpty()) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(u.pdf_path);
    printer.setColorMode(page.color ? QPrinter::Color : QPrinter::GrayScale);
    printer.setDocName(title);
    PrintPlot(printer, page, title, render);
}

}  // namespace

UnattendedPrint* SetUnattendedPrint(UnattendedPrint* target) {
    UnattendedPrint* old = g_unattended;
    g_unattended = target;
    return old;
}

bool PrintPlotWithDialog(QWidget* parent, const PageSetup& page, const QString& title, const PlotRenderer& render) {
    if (g_unattended) {
        PrintUnattended(false, page, title, render);
        return true;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setColorMode(page.color ? QPrinter::Color : QPrinter::GrayScale);
    printer.setDocName(title);
    QPrintDialog dlg(&printer, parent);
    if (dlg.exec() != QDialog::Accepted) return false;
    PrintPlot(printer, page, title, render);
    return true;
}

void PreviewPlot(QWidget* parent, const PageSetup& page, const QString& title, const PlotRenderer& render) {
    if (g_unattended) {
        PrintUnattended(true, page, title, render);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setColorMode(page.color ? QPrinter::Color : QPrinter::GrayScale);
    printer.setDocName(title);
    QPrintPreviewDialog dlg(&printer, parent);
    QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, &dlg,
                     [&](QPrinter* pr) { PrintPlot(*pr, page, title, render); });
    dlg.exec();
}

}  // namespace vox::plot
