#pragma once
// "Tiers Option" (COptionTiers): the ten tiers of a channel in a grid, one
// row per tier from the top of the display down, with the in-use flag
// ("Tiers") and the name ("Name"). OK writes both back into the tiers; the
// labels of a tier taken out of use stay in it.

#include <QDialog>

#include <array>

#include "core/document/channels.h"

namespace vox {

class CGridControl;
class UserPrompts;

class COptionTiers : public QDialog {
    Q_OBJECT
public:
    COptionTiers(std::array<Tier, kTierCount>& tiers, UserPrompts& prompts, QWidget* parent = nullptr);

    CGridControl* grid() const { return grid_; }
    // Reads every row back into the tiers; false (after the message) when
    // the grid failed.
    bool store();
    void accept() override;

private:
    void fill();

    std::array<Tier, kTierCount>& tiers_;
    UserPrompts& prompts_;
    CGridControl* grid_;
};

}  // namespace vox
