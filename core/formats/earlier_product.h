#pragma once
// Multichannel files of the earlier product (".lmf"): a 512-byte
// identification block with the channel count, then per channel the
// native 248-byte header, its 368-byte label records and its samples —
// 16-bit ("LMX_PC" little-endian, "LMX_Mac" big-endian) or 32-bit floats
// ("LMX_PC_FLOAT" per channel, "LMX_PC_FLOAT_24" interleaved after all
// headers).

#include "core/formats/read_context.h"

namespace vox {

class BinaryFile;

namespace earlier_text {
inline constexpr const char* kWrongChannelNumber = "Wrong channel number.\nEither is zero or is more than 20.";
inline constexpr const char* kNoMemory = "Could not allocate enough memory for this operation.";
inline constexpr const char* kIncorrectData = "Incorrect number of data was read";
inline constexpr const char* kOldMacLmf =
    "This is a very old Mac -lmf- format.Please contact manufacturer to get a patch for this format.";
inline constexpr const char* kLabelsTier = "Labels";
}  // namespace earlier_text

constexpr int kMaxEarlierChannels = 19;

// Open-chain readers (orders 5, 6, 8 and 9).
ReadResult read_lmx_pc(ReadContext& ctx, BinaryFile& file, Recording& rec);
ReadResult read_lmx_mac(ReadContext& ctx, BinaryFile& file, Recording& rec);
ReadResult read_lmx_pc_float_24(ReadContext& ctx, BinaryFile& file, Recording& rec);
ReadResult read_lmx_pc_float(ReadContext& ctx, BinaryFile& file, Recording& rec);

}  // namespace vox
