// The measurement-log file reader over arbitrary bytes: a text it accepts
// gives a table whose rows all span its columns, and what the table writes
// reads back to the same captions and cells whenever its lines stay within
// the reader's line length.
#include <cstdlib>
#include <string>

#include "core/annotation/measurement_log.h"
#include "core/platform/scripted_prompts.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

bool lines_within_limit(const std::string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        if (end - start > vox::MeasurementLog::kMaxLineLength) return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    vox::ScriptedPrompts prompts;
    const auto log = vox::MeasurementLog::parse(text, prompts);
    if (!log) {
        check(!prompts.messages().empty());  // a refusal always says why
        return 0;
    }
    check(prompts.messages().empty());
    check(log->column_count() >= 1);
    check(!log->modified());
    for (std::size_t r = 0; r < log->row_count(); ++r) check(log->row(r).size() == log->column_count());

    const std::string written = log->to_text();
    if (!lines_within_limit(written)) return 0;
    vox::ScriptedPrompts again_prompts;
    const auto again = vox::MeasurementLog::parse(written, again_prompts);
    check(again.has_value());
    check(again->captions() == log->captions());
    check(again->row_count() == log->row_count());
    for (std::size_t r = 0; r < log->row_count(); ++r)
        for (std::size_t c = 0; c < log->column_count(); ++c) check(again->cell_text(r, c) == log->cell_text(r, c));
    return 0;
}
