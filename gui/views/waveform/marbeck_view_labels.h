#pragma once
// The label-tier state of one waveform view: the current mouse gesture in
// the tier bands with the label template, the outline of a dragged label as
// last drawn, the last choices of the import dialog, and the open label
// table (none when closed).

#include <QPointer>

#include "core/annotation/label_gesture.h"
#include "core/annotation/label_import.h"
#include "core/app/config_file.h"
#include "gui/annotation/label_table_view.h"

namespace vox {

struct LabelBandState {
    CLabelGesture gesture;
    bool outline_shown = false;
    Rect outline;                        // client pixels, as drawn on the screen image
    LabelImportChoices import_choices;   // the import dialog's last choices
    QPointer<CFrameLabelView> table;
    WindowRect own_table_rect;           // used when no application holds the rectangle
};

}  // namespace vox
