#include "core/audio/record_options.h"

#include <algorithm>

namespace vox {

namespace {

const std::vector<int> kFilters44000 = {21000, 20000, 18000, 16000, 14000, 12000, 11000, 10000,
                                        9000,  8000,  7000,  6000,  5000,  4000,  2000,  1000};
const std::vector<int> kFilters22000 = {8000, 7500, 7000, 6500, 6000, 5500, 5000, 4500,
                                        4000, 3500, 3000, 2000, 1000, 500,  100,  25};
const std::vector<int> kFilters11000 = {4000, 3800, 3500, 3300, 3000, 2800, 2500, 2300,
                                        2000, 1500, 1000, 500,  250,  100,  50,   25};
const std::vector<int> kFilters5500 = {2000, 1800, 1600, 1400, 1200, 1000, 800, 700,
                                       600,  500,  400,  300,  200,  100,  50,  25};
const std::vector<int> kFilters2750 = {1000, 900, 800, 700, 600, 500, 450, 400,
                                       350,  300, 250, 200, 150, 100, 50,  25};
const std::vector<int> kFilters1375 = {450, 400, 350, 320, 300, 275, 250, 225,
                                       200, 175, 150, 125, 100, 75,  50,  25};
const std::vector<int> kAudioGains = {10, 20, 30, 40, 50, 60, 70, 80, 100, 160, 225, 350};
const std::vector<int> kUnitRates = {22000, 11000, 5500, 2750, 1375};

bool offered(const std::vector<int>& v, int x) { return std::find(v.begin(), v.end(), x) != v.end(); }

}  // namespace

std::vector<int> record_rate_choices(const std::string& source) {
    if (source == kRecordSourceExternal) return {22000, 11000};
    return {44100, 22050, 11025};
}

std::vector<int> unit_channel_rate_choices(int model, int unit_rate_hz, int input) {
    if (input == 0) return {22000, 11000};
    const int top = model == 9 ? unit_rate_hz / 2 : unit_rate_hz;
    std::vector<int> out;
    for (int r : kUnitRates)
        if (r <= top) out.push_back(r);
    if (out.empty()) out.push_back(kUnitRates.back());
    return out;
}

const std::vector<int>& filter_choices(int rate_hz) {
    if (rate_hz >= 44000) return kFilters44000;
    if (rate_hz >= 22000) return kFilters22000;
    if (rate_hz >= 11000) return kFilters11000;
    if (rate_hz >= 5500) return kFilters5500;
    if (rate_hz >= 2750) return kFilters2750;
    return kFilters1375;
}

int default_filter_cutoff(int rate_hz) {
    const auto& list = filter_choices(rate_hz);
    for (int f : list)
        if (2 * f < rate_hz) return f;
    return list.back();
}

const std::vector<int>& audio_gain_choices() { return kAudioGains; }

std::vector<int> channel_gain_choices() {
    std::vector<int> out(17);
    for (int i = 0; i < 17; ++i) out[static_cast<std::size_t>(i)] = i;
    return out;
}

std::string tab_list(const std::vector<int>& items) {
    std::string s;
    for (std::size_t i = 0; i < items.size(); ++i) s += (i ? "\t" : "") + std::to_string(items[i]);
    return s;
}

void conform_unit_channel(RecordSettings& s, int input) {
    if (input < 0 || input >= static_cast<int>(s.channels.size())) return;
    auto& c = s.channels[static_cast<std::size_t>(input)];
    const int before = c.sample_rate_hz;
    if (input == 0) {
        c.enabled = 1;
        if (s.uses_external_unit()) c.sample_rate_hz = s.sample_rate_hz;
    }
    const auto rates = unit_channel_rate_choices(s.unit_model, s.uses_external_unit() ? s.sample_rate_hz : 22000, input);
    if (!offered(rates, c.sample_rate_hz)) c.sample_rate_hz = rates.front();
    if (c.sample_rate_hz != before || !offered(filter_choices(c.sample_rate_hz), c.filter_cutoff_hz))
        c.filter_cutoff_hz = default_filter_cutoff(c.sample_rate_hz);
    if (input == 0 ? !offered(kAudioGains, c.gain) : (c.gain < 0 || c.gain > 16)) c.gain = input == 0 ? kAudioGains.front() : 0;
}

void conform_unit_channels(RecordSettings& s) {
    if (static_cast<int>(s.channels.size()) != s.unit_model) {
        auto fresh = RecordSettings::default_channels(s.unit_model);
        for (std::size_t i = 0; i < fresh.size() && i < s.channels.size(); ++i) fresh[i] = s.channels[i];
        s.channels = std::move(fresh);
    }
    for (int k = 0; k < static_cast<int>(s.channels.size()); ++k) conform_unit_channel(s, k);
}

}  // namespace vox
