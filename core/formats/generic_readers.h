#pragma once
// Headerless data described by the person in the generic-file dialog: raw
// 8-bit or 16-bit integers after a header of a given size, or text with one
// integer per line. The readers are declared with the open chain.

#include "core/formats/open_chain.h"

namespace vox::generic_text {
inline constexpr const char* kNotPureAscii =
    "The file is not a pure ascii file. Make sure that this file does not contain and header and does not have any formatting.";
inline constexpr const char* kZeroLength = "The file has zero length.";
inline constexpr const char* kIntegerBinaryName = "int_binary file";
inline constexpr const char* kAsciiName = "ascii file";
// Longest line of a text file, in characters.
inline constexpr std::size_t kMaxAsciiLine = 256;
}  // namespace vox::generic_text
