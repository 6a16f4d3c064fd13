#pragma once
// Shared driver of the fuzz targets: each input is written to a scratch file
// and offered to one reader (or the whole open chain) of a fresh document
// whose questions are answered from the input's last bytes.

#include <cstddef>
#include <cstdint>

#include "core/document/marbeck_doc.h"
#include "core/formats/read_context.h"

namespace vox::fuzz {

using Reader = ReadResult (*)(ReadContext&, BinaryFile&, Recording&);

// Offers the bytes to `reader` (the document adopts what it accepted), or to
// the full open with its generic-file flow when reader is null. Any exception other than the document's own
// abort is a finding and escapes to libFuzzer.
void open_bytes(const std::uint8_t* data, std::size_t size, Reader reader);
// The same, then `then` runs on the document (when it accepted the file)
// before the document is destroyed.
void open_bytes(const std::uint8_t* data, std::size_t size, Reader reader, void (*then)(CMarbeckDoc&));
// The same with a decoder handed to the document.
void open_bytes(const std::uint8_t* data, std::size_t size, Reader reader, void (*then)(CMarbeckDoc&),
                AudioDecoder* decoder);

}  // namespace vox::fuzz
