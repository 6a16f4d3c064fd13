#pragma once
// The label-tier state of one waveform view: the last choices of the import
// dialog and the open label table (none when closed). The mouse gestures in
// the tier bands are the label interaction's (label_interaction.h).

#include <QPointer>

#include "core/annotation/label_import.h"
#include "core/app/config_file.h"
#include "gui/annotation/label_table_view.h"

namespace vox {

struct LabelBandState {
    LabelImportChoices import_choices;   // the import dialog's last choices
    QPointer<CFrameLabelView> table;
    WindowRect own_table_rect;           // used when no application holds the rectangle
};

}  // namespace vox
