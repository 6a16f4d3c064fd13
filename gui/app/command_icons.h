#pragma once
// Toolbar icons, drawn at run time in one style: 24-pixel line glyphs in a
// dark slate ink with one accent colour per command group.

#include <QIcon>

#include "core/app/command_ids.h"

namespace vox {

QIcon command_icon(CommandId id);
QIcon application_icon();

}  // namespace vox
