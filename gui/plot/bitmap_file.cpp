#include "gui/plot/bitmap_file.h"


#include "core/io/binary_file.h"
#include "core/platform/user_prompts.h"

namespace vox {

namespace {

void put16(std::vector<std::uint8_t>& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v & 0xFF));
    b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
void put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

}  // namespace

std::string AskBitmapPath(UserPrompts& prompts, const std::string& initial_name) {
    FileDialogRequest req;
    req.title = bitmap_text::kTitle;
    req.default_name = initial_name;
    req.default_extension = bitmap_text::kExtension;
    req.filter = bitmap_text::kFilter;
    req.confirm_overwrite = true;
    const auto choice = prompts.choose_save_file(req);
    return choice ? choice->path : std::string();
}

int BitmapFileBits(int depth) {
    if (depth <= 1) return 1;
    if (depth <= 4) return 4;
    if (depth <= 8) return 8;
    return 24;
}

std::vector<std::uint8_t> EncodeBitmapFile(const QImage& source) {
    std::vector<std::uint8_t> out;
    if (source.isNull()) return out;
    const int bits = BitmapFileBits(source.depth());
    QImage img;
    QList<QRgb> table;
    if (bits == 24) {
        img = source.convertToFormat(QImage::Format_RGB888);
    } else {
        // Qt has no 4-bit format; the indexed depths it has are 1 and 8.
        img = bits == 1 ? source.convertToFormat(QImage::Format_Mono) : source.convertToFormat(QImage::Format_Indexed8);
        table = img.colorTable();
    }
    const int width = img.width(), height = img.height();
    const std::uint32_t entries = bits == 24 ? 0u : (1u << bits);
    const std::uint32_t stride = ((static_cast<std::uint32_t>(bits) * width + 31) / 32) * 4;
    const std::uint32_t image_size = stride * static_cast<std::uint32_t>(height);
    const std::uint32_t offset = 14 + 40 + 4 * entries;
    out.reserve(offset + image_size);
    // File header.
    out.push_back('B');
    out.push_back('M');
    put32(out, offset + image_size);
    put16(out, 0);
    put16(out, 0);
    put32(out, offset);
    // Information header.
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height));  // positive: rows bottom-up
    put16(out, 1);
    put16(out, static_cast<std::uint32_t>(bits));
    put32(out, 0);  // no compression
    put32(out, image_size);
    const auto ppm = [](int dpm) { return static_cast<std::uint32_t>(dpm > 0 ? dpm : 3780); };
    put32(out, ppm(img.dotsPerMeterX()));
    put32(out, ppm(img.dotsPerMeterY()));
    put32(out, entries);
    put32(out, 0);
    for (std::uint32_t i = 0; i < entries; ++i) {
        const QRgb c = i < static_cast<std::uint32_t>(table.size()) ? table[static_cast<int>(i)] : qRgb(0, 0, 0);
        out.push_back(static_cast<std::uint8_t>(qBlue(c)));
        out.push_back(static_cast<std::uint8_t>(qGreen(c)));
        out.push_back(static_cast<std::uint8_t>(qRed(c)));
        out.push_back(0);
    }
    for (int y = height - 1; y >= 0; --y) {
        const uchar* line = img.constScanLine(y);
        const std::size_t start = out.size();
        if (bits == 24) {
            for (int x = 0; x < width; ++x) {
                out.push_back(line[3 * x + 2]);  // blue, green, red
                out.push_back(line[3 * x + 1]);
                out.push_back(line[3 * x + 0]);
            }
        } else {
            const int bytes = (bits * width + 7) / 8;
            out.insert(out.end(), line, line + bytes);
        }
        out.resize(start + stride, 0);
    }
    return out;
}

bool WriteBitmapFile(const QImage& image, const std::string& path) {
    const auto bytes = EncodeBitmapFile(image);
    if (bytes.empty() || path.empty()) return false;
    return write_file_atomically(path, bytes.data(), bytes.size());
}

}  // namespace vox
