#pragma once
// Audio Interchange files: "FORM" … "AIFF", and "AIFC" with the
// uncompressed types "NONE" (big-endian samples) and "sowt" (little-endian).

#include "core/formats/read_context.h"

namespace vox {

class BinaryFile;

// Open-chain reader (order 13).
ReadResult read_aiff(ReadContext& ctx, BinaryFile& file, Recording& rec);

}  // namespace vox
