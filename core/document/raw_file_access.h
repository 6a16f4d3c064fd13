#pragma once
// The name of the raw sample file behind a document's channel 0, for the
// document's own files that rewrite it in place (edits, smoothing, undo).
// Only core/document includes this; everything else reads the samples
// through CMarbeckDoc::samples().

#include <string>

#include "core/document/marbeck_doc.h"

namespace vox {

struct RawFileAccess {
    static const std::string& raw_path(const CMarbeckDoc& doc) { return doc.raw_path_; }
    static void set_raw_path(CMarbeckDoc& doc, std::string path) { doc.raw_path_ = std::move(path); }
};

}  // namespace vox
