#pragma once
// Files of the maker's acquisition hardware: the multichannel acquisition
// file (a 6,484-byte header that begins with its own length, then each
// enabled channel's samples in turn; little-endian, or big-endian with
// byte-exchanged samples) and the single data-channel file with a 512-byte
// header.

#include "core/document/marbeck_doc.h"

namespace vox {

class BinaryFile;

// Open-chain readers (orders 10, 11 and 12).
ReadResult read_acquisition_le(CMarbeckDoc& doc, BinaryFile& file);
ReadResult read_acquisition_be(CMarbeckDoc& doc, BinaryFile& file);
ReadResult read_data_channel_512(CMarbeckDoc& doc, BinaryFile& file);

}  // namespace vox
