#pragma once
// Readers of the open chain whose formats are not read yet: each declines
// every file, so the chain moves on.

#include "core/formats/open_chain.h"

namespace vox {

ReadResult read_earlier_tiered_le(CMarbeckDoc& doc, BinaryFile& file);
ReadResult read_earlier_tiered_be(CMarbeckDoc& doc, BinaryFile& file);

}  // namespace vox
