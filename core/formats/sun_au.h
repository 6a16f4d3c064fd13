#pragma once
// SUN/NeXT au files of either byte order: a six-word header, then 8-bit
// µ-law, 8-bit linear or 16-bit linear mono samples.

#include "core/formats/read_context.h"

namespace vox {

class BinaryFile;

// Open-chain reader (order 17).
ReadResult read_sun_au(ReadContext& ctx, BinaryFile& file, Recording& rec);

}  // namespace vox
