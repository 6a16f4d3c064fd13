// voxtrel-cli: label tiers to and from annotation grids.

#include "cli/label_commands.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <variant>

#include "core/annotation/label_import.h"
#include "core/annotation/textgrid_tiers.h"
#include "core/io/binary_file.h"

namespace vox::cli {

int export_textgrid(CMarbeckDoc& doc, const std::string& out_path) {
    const CChannels& ch = doc.channels[0];
    const textgrid::Grid grid = GridFromTiers(ch, ch.duration_ms);
    if (grid.tiers.empty()) {
        // An empty grid written as success would hide that nothing was there.
        std::fprintf(stderr, "%s holds no labels: nothing to export\n", doc.path().c_str());
        return 1;
    }
    const std::string text = textgrid::WriteLong(grid);
    std::string why;
    if (!write_file_atomically(out_path, text.data(), text.size(), &why)) {
        std::fprintf(stderr, "cannot write %s: %s\n", out_path.c_str(), why.c_str());
        return 1;
    }
    return 0;
}

bool import_textgrid(CMarbeckDoc& doc, const std::string& grid_path) {
    std::ifstream in(grid_path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot open %s\n", grid_path.c_str());
        return false;
    }
    // A grid is text: the label files' bound keeps a wrong file from
    // filling the memory.
    std::string bytes;
    bytes.resize(kMaxLabelFileBytes + 1);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > kMaxLabelFileBytes) {
        std::fprintf(stderr, "%s is larger than 64 MB: not a TextGrid that can be read\n", grid_path.c_str());
        return false;
    }
    const auto parsed = textgrid::Parse(bytes);
    if (const auto* e = std::get_if<textgrid::ParseError>(&parsed)) {
        std::fprintf(stderr, "%s: %s\n", grid_path.c_str(), MalformedGridMessage(*e).c_str());
        return false;
    }
    CChannels& ch = doc.channels[0];
    const GridLabels labels = LabelsFromGrid(std::get<textgrid::Grid>(parsed), ch.duration_ms);
    PutGridLabels(ch, labels);
    if (const std::string m = labels.message(); !m.empty()) std::fprintf(stderr, "%s: %s\n", grid_path.c_str(), m.c_str());
    return true;
}

}  // namespace vox::cli
