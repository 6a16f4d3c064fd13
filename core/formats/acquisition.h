#pragma once
// Files of the maker's acquisition hardware: the multichannel acquisition
// file (a 6,484-byte header that begins with its own length, then each
// enabled channel's samples in turn; little-endian, or big-endian with
// byte-exchanged samples) and the single data-channel file with a 512-byte
// header.

#include "core/formats/read_context.h"

namespace vox {

class BinaryFile;

// Open-chain readers (orders 10, 11 and 12).
ReadResult read_acquisition_le(ReadContext& ctx, BinaryFile& file, Recording& rec);
ReadResult read_acquisition_be(ReadContext& ctx, BinaryFile& file, Recording& rec);
ReadResult read_data_channel_512(ReadContext& ctx, BinaryFile& file, Recording& rec);

}  // namespace vox
