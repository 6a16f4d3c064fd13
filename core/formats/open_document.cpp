#include "core/formats/open_document.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <optional>

#include "core/document/sample_rate.h"
#include "core/formats/open_chain.h"
#include "core/formats/reader_support.h"
#include "core/io/binary_file.h"

namespace vox {

namespace {

// Why a path that exists is not read: only regular files are (opening a FIFO
// blocks until a writer comes, a device never ends and a directory holds no
// samples). None for a regular file or one that does not exist.
std::optional<std::string> not_a_recording(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status) || std::filesystem::is_regular_file(status)) return std::nullopt;
    const char* kind = std::filesystem::is_directory(status) ? "it is a folder"
                       : std::filesystem::is_fifo(status)    ? "it is a pipe (FIFO)"
                       : std::filesystem::is_socket(status)  ? "it is a socket"
                       : std::filesystem::is_block_file(status) || std::filesystem::is_character_file(status)
                           ? "it is a device"
                           : "it is not a regular file";
    return std::string(kind) + ", not a recording";
}

// The generic-file question and the generic reader it leads to; the answers
// are remembered by the document whether or not the file can be read so.
ReadResult run_generic_flow(CMarbeckDoc& doc, ReadContext& ctx, BinaryFile& file, Recording& rec) {
    GenericFileAnswers preset;  // header 0, 10000 Hz, integer binary, 16 bit, high byte first
    const auto answers = ctx.prompts.generic_file_selection(preset);
    if (!answers) return ReadResult::Failed;
    doc.generic = *answers;
    doc.options.generic = *answers;
    ctx.generic = *answers;
    const ReadResult r = ctx.generic.integer_binary ? read_integer_binary(ctx, file, rec) : read_ascii(ctx, file, rec);
    if (r != ReadResult::Accepted) return ReadResult::Failed;
    rec.format_name = ctx.generic.integer_binary ? "Generic integer binary" : "Generic ASCII";
    return r;
}

// Offers the file to every reader in turn, then to the generic-file question.
// Accepted with `rec` holding what was loaded; Failed when the open ends.
ReadResult run_chain(CMarbeckDoc& doc, ReadContext& ctx, BinaryFile& file, Recording& rec) {
    for (const auto& entry : open_chain()) {
        file.seek(0);
        rec = ctx.fresh_recording();
        const ReadResult r = entry.read(ctx, file, rec);
        if (r == ReadResult::Accepted && rec.format_name.empty()) rec.format_name = entry.name;
        if (r != ReadResult::Declined) return r;
    }
    // Readers that knew the file but declined it say why first.
    if (!ctx.refusals().empty()) {
        std::string why;
        for (const auto& r : ctx.refusals()) why += (why.empty() ? "" : "\n") + r;
        ctx.prompts.beep();
        ctx.prompts.message(why);
    }
    file.seek(0);
    rec = ctx.fresh_recording();
    return run_generic_flow(doc, ctx, file, rec);
}

// The document is emptied by an open that failed once the file was read.
bool fail(CMarbeckDoc& doc, UserPrompts& prompts) {
    doc.delete_contents();
    doc.publish_reload();
    prompts.wait_cursor(false);
    return false;
}

}  // namespace

bool open_document(CMarbeckDoc& doc, const std::string& path) {
    UserPrompts& prompts = doc.prompts();
    const DocServices& services = doc.services();
    ReadContext ctx(prompts, doc.progress(), services.temp_names, doc.options);
    ctx.decoder = services.decoder;
    ctx.diagnostics = services.diagnostics;
    ctx.samples_in_place = services.samples_in_place;

    if (const auto why = not_a_recording(path)) {
        fmt::report_unreadable(ctx, path, *why);
        return false;
    }
    BinaryFile file;
    if (!file.open(path, BinaryFile::Mode::Read)) {
        prompts.open_failure_report(path);
        return false;
    }
    // An empty file is said to be empty, before any reader or the generic
    // question is offered it.
    if (file.length() == 0) {
        fmt::report_unreadable(ctx, path, "it is empty (0 bytes)");
        return false;
    }
    prompts.wait_cursor(true);
    doc.loaded = 0;
    Recording rec;
    try {
        if (run_chain(doc, ctx, file, rec) != ReadResult::Accepted) return fail(doc, prompts);
    } catch (const DocumentCancelled&) {
        return fail(doc, prompts);
    } catch (const DocumentAbort&) {
        fail(doc, prompts);
        prompts.open_failure_report(path);
        return false;
    } catch (const std::bad_alloc&) {
        fail(doc, prompts);
        prompts.open_failure_report(path);
        return false;
    }
    // Whatever reader took the file, no channel leaves the open with a rate
    // outside the rule (readers refuse such headers before loading samples;
    // this keeps the rule for any reader that did not).
    for (int c = 0; c < std::max(1, std::min<int>(rec.channel_count, kMaxChannels)); ++c) {
        const double rate = rec.channels[static_cast<std::size_t>(c)].sample_rate;
        if (sample_rate_usable(rate)) continue;
        fmt::report_unreadable(ctx, file, sample_rate_problem(rate));
        return fail(doc, prompts);
    }
    doc.adopt(std::move(rec), ctx.take_temp_files());
    prompts.wait_cursor(false);
    doc.set_path(path);
    return true;
}

}  // namespace vox
