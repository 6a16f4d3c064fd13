#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/formats/open_document.h"
#include "core/io/binary_file.h"
#include "core/platform/progress.h"
#include "core/platform/scripted_prompts.h"
#include "core/platform/temp_names.h"

namespace vox::fuzz {

namespace {

// One scratch folder per process, so parallel fuzzing jobs never share files.
const std::string& scratch_folder() {
    static const std::string folder = [] {
        std::string f = system_temp_folder() + "/vxfuzz_" + std::to_string(::getpid());
        std::string cmd = "mkdir -p '" + f + "'";
        if (std::system(cmd.c_str()) != 0) f = system_temp_folder();
        return f;
    }();
    return folder;
}

}  // namespace

void open_bytes(const std::uint8_t* data, std::size_t size, Reader reader) { open_bytes(data, size, reader, nullptr); }

void open_bytes(const std::uint8_t* data, std::size_t size, Reader reader, void (*then)(CMarbeckDoc&)) {
    open_bytes(data, size, reader, then, nullptr);
}

void open_bytes(const std::uint8_t* data, std::size_t size, Reader reader, void (*then)(CMarbeckDoc&),
                AudioDecoder* decoder) {
    const std::string path = scratch_folder() + "/input";
    {
        BinaryFile out;
        if (!out.open(path, BinaryFile::Mode::Write)) return;
        if (size > 0 && !out.write(data, size)) return;
        if (!out.close()) return;
    }
    // The last byte steers the answers: channel choice, memory or disk
    // path, and the generic-file answers of the full open.
    const unsigned steer = size > 0 ? data[size - 1] : 0;
    ScriptedPrompts prompts;
    for (int i = 0; i < 4; ++i) prompts.channel_choices.push_back(static_cast<int>(steer % 5));
    GenericFileAnswers generic;
    generic.header_bytes = static_cast<int>(steer % 7) * 3;
    generic.sample_rate_hz = 8000;
    generic.integer_binary = (steer & 8) ? 0 : 1;
    generic.sixteen_bit = (steer & 16) ? 0 : 1;
    generic.high_byte_first = (steer & 32) ? 0 : 1;
    prompts.generic_answers.push_back(generic);
    ScriptedProgress progress((steer & 64) ? 3 : -1);
    TempNames names(scratch_folder());
    OptionBlock options;
    if (steer & 128) options.long_file_minutes = 0;  // take the disk path
    {
        CMarbeckDoc doc(DocServices{prompts, progress, names, decoder}, options);
        if (reader == nullptr) {
            open_document(doc, path);
        } else {
            BinaryFile file;
            if (file.open(path, BinaryFile::Mode::Read)) {
                try {
                    ReadContext ctx(prompts, progress, names, doc.options);
                    ctx.decoder = decoder;
                    Recording rec = ctx.fresh_recording();
                    if (reader(ctx, file, rec) == ReadResult::Accepted) doc.adopt(std::move(rec), ctx.take_temp_files());
                } catch (const DocumentAbort&) {
                    // a refused file: the document's own failure path
                }
            }
        }
        // Read back what was accepted, as a view would.
        if (doc.channels[0].sample_count > 0 && doc.channels[0].sample_count < 1e7) {
            std::vector<std::int16_t> buf(static_cast<std::size_t>(doc.channels[0].sample_count));
            doc.read_audio(0, buf.size(), buf.data());
        }
        if (then && doc.loaded) then(doc);
    }
    std::remove(path.c_str());
}

}  // namespace vox::fuzz
