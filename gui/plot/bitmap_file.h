#pragma once
// Bitmap export of a view: the "Save As bmp" file chooser and a writer of
// standard device-independent bitmap files (bottom-up rows, 1, 8 or 24 bits
// per pixel, a colour table for the indexed depths).

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

namespace vox {

class UserPrompts;

namespace bitmap_text {
inline constexpr const char* kTitle = "Save As bmp";
inline constexpr const char* kExtension = "bmp";
inline constexpr const char* kFilter = "Bitmap files (*.bmp)|*.bmp||";
inline constexpr const char* kSaveError = "Error in saving the bitmap file.";
}  // namespace bitmap_text

// Asks for a bitmap file name (overwrite confirmed); empty on cancel.
std::string AskBitmapPath(UserPrompts& prompts, const std::string& initial_name);

// The bits per pixel a bitmap of this depth is written with: 1, 4, 8 or 24.
int BitmapFileBits(int depth);

// The whole file as bytes: 14-byte file header, 40-byte information header,
// the colour table (2^bits entries for 1, 4 and 8 bits) and the rows, each
// padded to a multiple of four bytes. Empty for a null image.
std::vector<std::uint8_t> EncodeBitmapFile(const QImage& image);

// Writes the file through a temporary name renamed over the target; false
// (and no partial file left behind) on any failure.
bool WriteBitmapFile(const QImage& image, const std::string& path);

}  // namespace vox
