#pragma once
// The readers of the native recording file (".vxl") in its PC, Mac and
// Mac-extended forms; the file's layout and its writer are the document's
// (core/document/native_format.h).

#include "core/formats/read_context.h"

namespace vox {

ReadResult read_native_pc(ReadContext& ctx, BinaryFile& file, Recording& rec);
ReadResult read_native_mac(ReadContext& ctx, BinaryFile& file, Recording& rec);
ReadResult read_native_macx(ReadContext& ctx, BinaryFile& file, Recording& rec);

}  // namespace vox
