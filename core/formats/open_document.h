#pragma once
// File > Open's reading: the file is offered to every reader of the open
// chain in turn, then to the generic-file question; what a reader loaded
// becomes the document's content in one step.

#include <string>

#include "core/document/marbeck_doc.h"

namespace vox {

// Reads `path` into `doc` and gives the document the file's path and title.
// False when nothing was opened: the person was told why (a cancel is not
// reported) and the document is left empty.
bool open_document(CMarbeckDoc& doc, const std::string& path);

}  // namespace vox
