// The label-file import over arbitrary bytes: the line reader fed in pieces
// must give the same lines as the whole text, texts stay within a label,
// and the bounded scan keeps only times inside the recording and no more
// than the room it was given.
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>

#include "core/annotation/label_import.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte: the piece size, the unit and the room of the tier.
    const unsigned knob = data[0];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    const auto whole = vox::ParseLabelFile(text);
    vox::LabelLineReader reader;
    std::vector<vox::ImportedLine> pieces;
    const std::size_t step = 1 + knob % 13;
    for (std::size_t at = 0; at < text.size(); at += step)
        reader.feed(std::string_view(text).substr(at, step), pieces);
    reader.finish(pieces);
    check(pieces.size() == whole.size());
    for (std::size_t i = 0; i < whole.size(); ++i) {
        check(pieces[i].text == whole[i].text);
        check(pieces[i].time == whole[i].time || (std::isnan(pieces[i].time) && std::isnan(whole[i].time)));
        check(whole[i].text.size() <= 255);
    }

    vox::LabelImportChoices choices;
    choices.milliseconds = (knob & 0x80) == 0;
    choices.align = static_cast<int>(knob % 5) - 1;
    const std::size_t room = knob % 7;
    const double duration_ms = 1000.0;
    std::istringstream in(text);
    const vox::LabelFileScan scan = vox::ScanLabelFile(in, choices, 0.0, duration_ms, room);
    check(scan.kept.size() <= room);
    check(scan.kept.size() + scan.outside + scan.over_limit == whole.size());
    check(!scan.truncated);
    vox::CChannels ch;
    const int tier = static_cast<int>(knob % 10);
    check(vox::ImportLabels(ch, tier, scan.kept, choices, 0.0) == static_cast<int>(scan.kept.size()));
    for (const vox::LABEL& l : ch.tiers[tier].labels) {
        check(l.time_ms >= 0.0 && l.time_ms <= duration_ms);
        check(l.align >= 0 && l.align <= 2);
        check(l.text[255] == '\0');
    }
    check(scan.message().empty() == (scan.outside == 0 && scan.over_limit == 0));
    return 0;
}
