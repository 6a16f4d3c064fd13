// The grid reader over arbitrary bytes: a grid it accepts writes out and
// reads back the same, and its labels stay within a recording and a label.
#include <cmath>
#include <cstdlib>
#include <string>
#include <variant>

#include "core/annotation/textgrid_tiers.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto r = vox::textgrid::Parse(bytes);
    if (const auto* e = std::get_if<vox::textgrid::ParseError>(&r)) {
        check(e->line >= 1 && !e->what.empty());
        return 0;
    }
    const auto& g = std::get<vox::textgrid::Grid>(r);
    const auto again = vox::textgrid::Parse(vox::textgrid::WriteLong(g));
    check(std::holds_alternative<vox::textgrid::Grid>(again));
    const auto& h = std::get<vox::textgrid::Grid>(again);
    check(h.tiers.size() == g.tiers.size());
    for (std::size_t t = 0; t < g.tiers.size(); ++t) {
        check(h.tiers[t].name == g.tiers[t].name);
        check(h.tiers[t].marks.size() == g.tiers[t].marks.size());
        check(h.tiers[t].intervals.size() == g.tiers[t].intervals.size());
        for (std::size_t k = 0; k < g.tiers[t].marks.size(); ++k)
            check(h.tiers[t].marks[k].time == g.tiers[t].marks[k].time &&
                  h.tiers[t].marks[k].mark == g.tiers[t].marks[k].mark);
    }
    const double duration_ms = 2000.0;
    const vox::GridLabels gl = vox::LabelsFromGrid(g, duration_ms);
    check(gl.tiers.size() <= static_cast<std::size_t>(vox::kTierCount));
    for (const auto& tier : gl.tiers)
        for (const vox::LABEL& l : tier.labels) {
            check(l.time_ms >= 0.0 && l.time_ms <= duration_ms);
            check(l.text[255] == '\0');
        }
    return 0;
}
