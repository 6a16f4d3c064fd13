// Annotation grids to and from the label tiers of a recording.

#include "core/annotation/textgrid_tiers.h"

#include <algorithm>
#include <cmath>

#include "core/annotation/utf8_cut.h"

namespace vox {

namespace {
constexpr std::size_t kMaxTextBytes = sizeof(LABEL::text) - 1;  // 255 and the NUL
}  // namespace

GridLabels LabelsFromGrid(const textgrid::Grid& grid, double duration_ms) {
    GridLabels out;
    const LabelImportChoices style;  // left-justified, no line, times in ms
    for (std::size_t t = 0; t < grid.tiers.size(); ++t) {
        const textgrid::Tier& tier = grid.tiers[t];
        if (t >= static_cast<std::size_t>(kTierCount)) {
            out.left_out.push_back(tier.name);
            continue;
        }
        GridLabels::TierLabels tl;
        tl.name = cut_utf8(tier.name, kMaxTextBytes);
        for (const textgrid::Mark& m : textgrid::TierMarks(tier, duration_ms / 1000.0)) {
            const double ms = m.time * 1000.0;
            if (!(ms >= 0.0 && ms <= duration_ms)) {
                ++out.outside;
                continue;
            }
            if (tl.labels.size() >= kMaxLabelsPerTier) {
                ++out.over_limit;
                continue;
            }
            const std::string text = cut_utf8(m.text, kMaxTextBytes);
            if (text.size() < m.text.size()) ++out.cut_texts;
            tl.labels.push_back(ImportedLabel(ImportedLine{ms, text}, style, 0.0));
        }
        std::stable_sort(tl.labels.begin(), tl.labels.end(),
                         [](const LABEL& a, const LABEL& b) { return a.time_ms < b.time_ms; });
        out.tiers.push_back(std::move(tl));
    }
    return out;
}

std::string GridLabels::message() const {
    std::string m;
    auto line = [&](const std::string& s) { m += (m.empty() ? "" : "\n") + s; };
    if (!left_out.empty()) {
        std::string names;
        for (const std::string& n : left_out) names += (names.empty() ? "\"" : ", \"") + n + "\"";
        line(textgrid_text::kTiersLeftPrefix + names + ".");
    }
    if (cut_texts > 0) line(std::to_string(cut_texts) + textgrid_text::kCutSuffix);
    if (outside > 0) line(std::to_string(outside) + textgrid_text::kOutsideSuffix);
    if (over_limit > 0) line(std::to_string(over_limit) + textgrid_text::kOverLimitSuffix);
    return m;
}

void PutGridLabels(CChannels& ch, const GridLabels& labels) {
    for (std::size_t t = 0; t < labels.tiers.size() && t < static_cast<std::size_t>(kTierCount); ++t) {
        Tier& tier = ch.tiers[t];
        tier.name = labels.tiers[t].name;
        tier.labels = labels.tiers[t].labels;
        tier.in_use = 1;
    }
}

textgrid::Grid GridFromTiers(const CChannels& ch, double duration_ms) {
    textgrid::Grid g;
    g.xmax = duration_ms / 1000.0;
    for (int t = 0; t < kTierCount; ++t) {
        const Tier& tier = ch.tiers[static_cast<std::size_t>(t)];
        if (tier.labels.empty()) continue;
        textgrid::Tier out;
        out.name = tier.name.empty() ? "Tier " + std::to_string(t + 1) : tier.name;
        out.points = true;
        out.xmax = g.xmax;
        for (const LABEL& l : tier.labels) out.marks.push_back(textgrid::Point{l.time_ms / 1000.0, l.text_string()});
        // The format keeps a tier's points in time order.
        std::stable_sort(out.marks.begin(), out.marks.end(),
                         [](const textgrid::Point& a, const textgrid::Point& b) { return a.time < b.time; });
        g.xmax = std::max(g.xmax, out.marks.back().time);
        g.tiers.push_back(std::move(out));
    }
    for (textgrid::Tier& t : g.tiers) t.xmax = g.xmax;
    return g;
}

std::string MalformedGridMessage(const textgrid::ParseError& e) {
    return textgrid_text::kMalformedPrefix + std::to_string(e.line) + ": " + e.what + ".";
}

}  // namespace vox
