#pragma once
// The readers of the open chain, in the order a file is offered to them,
// and the two generic readers the generic-file dialog leads to.

#include <array>

#include "core/formats/read_context.h"

namespace vox {

class BinaryFile;

// Reads `file` into `rec` (a fresh recording): Accepted when it holds what
// was loaded, Declined when the file is not the reader's, Failed when the
// open ends.
using ReaderFn = ReadResult (*)(ReadContext& ctx, BinaryFile& file, Recording& rec);

struct ReaderEntry {
    const char* name;  // the format's name as shown by "voxtrel-cli info"
    ReaderFn read;
};

constexpr int kOpenChainLength = 17;
const std::array<ReaderEntry, kOpenChainLength>& open_chain();

// Generic readers, using ctx.generic.
ReadResult read_integer_binary(ReadContext& ctx, BinaryFile& file, Recording& rec);
ReadResult read_ascii(ReadContext& ctx, BinaryFile& file, Recording& rec);

}  // namespace vox
