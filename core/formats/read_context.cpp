#include "core/formats/read_context.h"

#include <utility>

#include "core/io/binary_file.h"

namespace vox {

ReadContext::~ReadContext() {
    for (const auto& p : temp_files_) remove_file(p);
}

Recording ReadContext::fresh_recording() const {
    Recording rec;
    for (int t = 0; t < kTierCount; ++t) rec.channels[0].tiers[t].name = options_.tier_names[t];
    rec.channels[0].sample_rate = options_.sample_rate;
    return rec;
}

bool ReadContext::is_long(double duration_ms) const { return duration_ms / 60000.0 >= options_.long_file_minutes; }

std::string ReadContext::new_sample_file(Recording& rec) {
    rec.sample_file = SampleFile{temp_names_.next()};
    temp_files_.push_back(rec.sample_file.path);
    return rec.sample_file.path;
}

std::vector<std::string> ReadContext::take_temp_files() { return std::exchange(temp_files_, {}); }

}  // namespace vox
