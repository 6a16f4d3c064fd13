#pragma once
// The name of the raw sample file behind a document's channel 0, for the
// document's own files that rewrite it in place (edits, smoothing, undo).
// Only core/document includes this; everything else reads the samples
// through CMarbeckDoc::samples().

#include <string>

#include "core/document/marbeck_doc.h"

namespace vox {

struct RawFileAccess {
    // The plain raw file (16-bit little-endian samples from byte 0); empty
    // while channel 0 is read in place from a recording's own file, which
    // nothing here may rewrite (CMarbeckDoc::own_sample_file() first).
    static const std::string& raw_path(const CMarbeckDoc& doc) { return doc.raw_.borrowed ? none() : doc.raw_.path; }
    // The whole description, to put back after a replacement was prepared.
    static const SampleFile& sample_file(const CMarbeckDoc& doc) { return doc.raw_; }
    static void set_sample_file(CMarbeckDoc& doc, SampleFile f) { doc.raw_ = std::move(f); }

private:
    static const std::string& none() {
        static const std::string empty;
        return empty;
    }
};

}  // namespace vox
