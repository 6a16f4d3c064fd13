#pragma once
// The readers of the open chain, in the order a file is offered to them,
// and the two generic readers the generic-file dialog leads to.

#include <array>

#include "core/document/marbeck_doc.h"

namespace vox {

class BinaryFile;

using ReaderFn = ReadResult (*)(CMarbeckDoc& doc, BinaryFile& file);

struct ReaderEntry {
    const char* name;  // the format's name as shown by "voxtrel-cli info"
    ReaderFn read;
};

constexpr int kOpenChainLength = 17;
const std::array<ReaderEntry, kOpenChainLength>& open_chain();

// Generic readers, using doc.generic.
ReadResult read_integer_binary(CMarbeckDoc& doc, BinaryFile& file);
ReadResult read_ascii(CMarbeckDoc& doc, BinaryFile& file);

}  // namespace vox
