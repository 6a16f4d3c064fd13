#include "core/app/option_block.h"

#include <atomic>

namespace vox {

namespace {
std::atomic<double> g_current_rate{11025.0};
}

double current_sample_rate() { return g_current_rate.load(); }
void set_current_sample_rate(double hz) { g_current_rate.store(hz); }

}  // namespace vox
