#include "gui/audio/option_calibration.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>
#include <array>
#include <vector>

#include "core/document/marbeck_doc.h"
#include "gui/audio/audio_texts.h"
#include "gui/grid/grid_control.h"

namespace vox {

namespace {
std::array<double*, 4> values_of(CChannels& c) {
    return {&c.carried_d1, &c.carried_d2, &c.carried_d3, &c.carried_d4};
}
}  // namespace

COptionCalibration::COptionCalibration(CMarbeckDoc& doc, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), doc_(doc), prompts_(prompts) {
    setWindowTitle(audio_text::kCalibrationTitle);
    auto* layout = new QVBoxLayout(this);
    grid_ = new CGridControl(this);
    grid_->insert_column(0, "Name", 120);
    for (int i = 1; i <= 4; ++i) grid_->insert_column(i, QString("Value %1").arg(i), 90, CGridControl::Align::Right);
    grid_->insert_column(5, "Units", 70);
    layout->addWidget(grid_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(620, 300);
    fill();
}

bool COptionCalibration::fill() {
    try {
        grid_->remove_all_rows();
        for (int k = 0; k < doc_.channel_count; ++k) {
            CChannels& c = doc_.channels[k];
            grid_->append_row({});
            grid_->set_row_caption(k, k == 0 ? QString(audio_text::kAudioRow) : QString::asprintf("%d", k));
            grid_->set_cell_text(k, kNameCol, QString::fromStdString(c.name));
            const auto v = values_of(c);
            for (int i = 0; i < 4; ++i)
                grid_->set_cell_number(k, kValue1Col + i, *v[static_cast<std::size_t>(i)],
                                       QString::asprintf("%10.5f", *v[static_cast<std::size_t>(i)]));
            grid_->set_cell_text(k, kUnitsCol, QString::fromStdString(c.units));
        }
    } catch (const GridError&) {
        prompts_.message(audio_text::kCalibrationFillError, MessageIcon::Error);
        return false;
    }
    return true;
}

bool COptionCalibration::read_back() {
    struct Row {
        std::string name, units;
        std::array<double, 4> v;
    };
    std::vector<Row> rows;
    try {
        if (grid_->row_count() != doc_.channel_count) throw GridError("rows");
        for (int k = 0; k < doc_.channel_count; ++k) {
            Row r;
            r.name = grid_->cell_text(k, kNameCol).toStdString();
            r.units = grid_->cell_text(k, kUnitsCol).toStdString();
            for (int i = 0; i < 4; ++i) {
                const auto n = grid_->cell_number(k, kValue1Col + i);
                if (!n) throw GridError("not a number");
                r.v[static_cast<std::size_t>(i)] = *n;
            }
            rows.push_back(std::move(r));
        }
    } catch (const GridError&) {
        prompts_.message(audio_text::kCalibrationReadError, MessageIcon::Error);
        return false;
    }
    // Every cell read: only now are the channels changed.
    for (int k = 0; k < doc_.channel_count; ++k) {
        CChannels& c = doc_.channels[k];
        const Row& r = rows[static_cast<std::size_t>(k)];
        c.name = r.name;
        c.units = r.units;
        const auto v = values_of(c);
        for (int i = 0; i < 4; ++i) *v[static_cast<std::size_t>(i)] = r.v[static_cast<std::size_t>(i)];
    }
    return true;
}

void COptionCalibration::accept() {
    if (read_back()) QDialog::accept();
}

}  // namespace vox
