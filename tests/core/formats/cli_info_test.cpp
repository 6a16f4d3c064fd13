// voxtrel-cli reads every foreign format: "info" names the reader and the
// rate and count of the seed files.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/test_support.h"

namespace vox {
namespace {

struct InfoCase {
    const char* file;
    const char* options;
    const char* format;
    const char* rate;
    const char* samples;
};
std::ostream& operator<<(std::ostream& os, const InfoCase& c) { return os << c.file; }

std::string run(const std::string& command) { return test::run_shell(command).out; }

class CliInfo : public ::testing::TestWithParam<InfoCase> {};

TEST_P(CliInfo, NamesFormatRateAndCount) {
    const char* cli = std::getenv("VOXTREL_CLI");
    if (!cli) GTEST_SKIP() << "VOXTREL_CLI is not set";
    const InfoCase& c = GetParam();
    const std::string file = std::string(VOXTREL_SOURCE_DIR) + "/fuzz/corpus/chain/" + c.file;
    const std::string out = run(std::string("'") + cli + "' info '" + file + "' " + c.options + " 2>&1");
    EXPECT_NE(out.find(std::string("Format:    ") + c.format + "\n"), std::string::npos) << out;
    EXPECT_NE(out.find(std::string("Rate:      ") + c.rate + " Hz"), std::string::npos) << out;
    EXPECT_NE(out.find(std::string("Samples:   ") + c.samples + "\n"), std::string::npos) << out;
}

INSTANTIATE_TEST_SUITE_P(
    Seeds, CliInfo,
    ::testing::Values(InfoCase{"seed_aiff16.aiff", "", "AIFF", "8000", "160"},
                      InfoCase{"seed_aifc_stereo.aifc", "--channel 2", "AIFF", "8000", "160"},
                      InfoCase{"seed_au16.au", "", "SUN au", "8000", "160"},
                      InfoCase{"seed_au_le.au", "", "SUN au", "8000", "160"},
                      InfoCase{"seed_sph_ulaw.sph", "", "NIST SPHERE", "8000", "160"},
                      InfoCase{"seed_sph_stereo.sph", "--channel 1", "NIST SPHERE", "8000", "160"},
                      InfoCase{"seed_nsp.nsp", "", "CSL NSP", "8000", "160"},
                      InfoCase{"seed_esps_be.d", "", "ESPS", "8000", "160"},
                      InfoCase{"seed_lmx_pc.lmf", "", "LMX_PC", "16000", "40"},
                      InfoCase{"seed_lmx_mac.lmf", "", "LMX_Mac", "16000", "40"},
                      InfoCase{"seed_lmx_float.lmf", "", "LMX_PC_FLOAT", "16000", "40"},
                      InfoCase{"seed_lmx_float24.lmf", "", "LMX_PC_FLOAT_24", "16000", "40"},
                      InfoCase{"seed_ascii.txt", "--generic header=0,rate=8000,type=ascii,bits=16,order=high",
                               "Generic ASCII", "8000", "60"}),
    [](const auto& info) {
        std::string n = info.param.file;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

}  // namespace
}  // namespace vox
