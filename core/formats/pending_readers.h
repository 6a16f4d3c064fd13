#pragma once
// The earlier product's tiered files (little- and big-endian): what is known
// of them fixes only the version word and the tier blocks, not the header's
// rate and sample count, and the files carry no identification text. A
// reader guessing at them would take other formats' files, so both decline
// every file and the chain moves on.

#include "core/formats/open_chain.h"

namespace vox {

ReadResult read_earlier_tiered_le(CMarbeckDoc& doc, BinaryFile& file);
ReadResult read_earlier_tiered_be(CMarbeckDoc& doc, BinaryFile& file);

}  // namespace vox
