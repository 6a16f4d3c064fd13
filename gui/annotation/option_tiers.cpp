#include "gui/annotation/option_tiers.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "core/platform/user_prompts.h"
#include "gui/annotation/label_texts.h"
#include "gui/grid/grid_control.h"

namespace vox {

namespace {
constexpr std::size_t kMaxNameBytes = 255;  // the tier header's name field holds 256 with the NUL
}

COptionTiers::COptionTiers(std::array<Tier, kTierCount>& tiers, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), tiers_(tiers), prompts_(prompts) {
    setWindowTitle(label_text::kTiersTitle);
    auto* top = new QVBoxLayout(this);
    top->addWidget(new QLabel(label_text::kTiersText, this));
    grid_ = new CGridControl(this);
    grid_->insert_column(0, label_text::kTiersColumn, 50, CGridControl::Align::Center);
    grid_->insert_column(1, label_text::kNameColumn, 200, CGridControl::Align::Left);
    grid_->setMinimumSize(300, 330);
    top->addWidget(grid_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    top->addWidget(buttons);
    fill();
}

void COptionTiers::fill() {
    try {
        grid_->remove_all_rows();
        for (int t = 0; t < kTierCount; ++t) {
            grid_->append_row({});
            grid_->set_cell_check(t, 0, tiers_[t].in_use != 0);
            grid_->set_cell_text(t, 1, QString::fromStdString(tiers_[t].name));
        }
    } catch (const std::exception&) {
        prompts_.message(label_text::kSetTableError, MessageIcon::Error);
    }
}

bool COptionTiers::store() {
    std::array<std::int32_t, kTierCount> in_use{};
    std::array<std::string, kTierCount> names;
    try {
        for (int t = 0; t < kTierCount; ++t) {
            in_use[t] = grid_->cell_checked(t, 0) ? 1 : 0;
            std::string name = grid_->cell_text(t, 1).toStdString();
            if (name.size() > kMaxNameBytes) {
                std::size_t n = kMaxNameBytes;
                while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
                name.resize(n);
            }
            names[t] = std::move(name);
        }
    } catch (const std::exception&) {
        prompts_.message(label_text::kGetTableError, MessageIcon::Error);
        return false;
    }
    for (int t = 0; t < kTierCount; ++t) {
        tiers_[t].in_use = in_use[t];
        tiers_[t].name = names[t];
    }
    return true;
}

void COptionTiers::accept() {
    if (store()) QDialog::accept();
}

}  // namespace vox
