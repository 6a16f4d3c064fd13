#pragma once
// Speech-workstation NSP files: "FORM" "DS16", then little-endian chunks;
// a "HEDR"/"HDR8" header gives the rate, the first "SDA_"/"SD_B" chunk the
// 16-bit samples of channel 0.

#include "core/formats/read_context.h"

namespace vox {

class BinaryFile;

// Open-chain reader (order 15).
ReadResult read_nsp(ReadContext& ctx, BinaryFile& file, Recording& rec);

}  // namespace vox
