// voxtrel-cli usb-config and scope, run as a user runs them.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace vox {
namespace {

// The CLI's standard output and standard error apart.
test::ShellRun run(const std::string& args) {
    const char* cli = std::getenv("VOXTREL_CLI");
    if (!cli) return {};
    return test::run_shell("'" + std::string(cli) + "' " + args, true);
}

std::vector<int> hex_bytes(const std::string& text) {
    std::vector<int> out;
    std::istringstream in(text);
    std::string word;
    while (in >> word) out.push_back(std::stoi(word, nullptr, 16));
    return out;
}

class UsbCli : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("VOXTREL_CLI")) GTEST_SKIP() << "VOXTREL_CLI not set";
    }
};

TEST_F(UsbCli, ConfigBlockPrintsThe320BytesTheSettingsGive) {
    const auto r = run("usb-config --model 9 --mode 2 --rate 11025 --input Line --filter 1=1000 --gain 0=160 --gain 2=16");
    ASSERT_EQ(r.rc, 0) << r.err;
    const auto b = hex_bytes(r.out);
    ASSERT_EQ(b.size(), 320u);
    const int slots[16] = {0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2, 3, 4, 5, 6, 8};
    for (int i = 0; i < 256; ++i) ASSERT_EQ(b[static_cast<std::size_t>(i)], slots[i % 16]) << "offset " << i;
    EXPECT_EQ(b[258], 0x12);
    EXPECT_EQ(b[259], 0x40);
    EXPECT_EQ(b[273], 0xC0);
    EXPECT_EQ(b[277], 0x01);  // Line
    EXPECT_EQ(b[301], 62);    // step 16 of the gain-code table
    EXPECT_EQ(b[312], 60);
    EXPECT_EQ(b[313], 60);
}

TEST_F(UsbCli, RefusedSettingsAndUsageErrors) {
    auto r = run("usb-config --mode 3 --model 9");
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("Unknown multiplex type."), std::string::npos);
    EXPECT_TRUE(r.out.empty());
    r = run("usb-config --input Aux");
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("Wrong input source."), std::string::npos);
    EXPECT_EQ(run("usb-config --filter 5=1000").rc, 2);  // the 5-input unit has inputs 0..4
    EXPECT_EQ(run("usb-config --model 7").rc, 2);
    EXPECT_EQ(run("usb-config --runs 2").rc, 2);
    EXPECT_EQ(run("scope --usb=serial").rc, 2);
}

TEST_F(UsbCli, ScopeOnTheSimulatedUnitPrintsEachInput) {
    const auto r = run("scope --usb=simulated --runs 3 --model 9 --enable 8=11000");
    ASSERT_EQ(r.rc, 0) << r.err;
    int runs = 0;
    std::istringstream in(r.out);
    std::string line;
    std::vector<std::string> inputs;
    while (std::getline(in, line)) {
        if (line.rfind("Run ", 0) == 0) {
            ++runs;
            EXPECT_NE(line.find("mode 2"), std::string::npos) << line;
        } else if (runs == 1) {
            inputs.push_back(line);
        }
    }
    EXPECT_EQ(runs, 3);
    ASSERT_EQ(inputs.size(), 9u);
    EXPECT_EQ(inputs[0].rfind("Input 0 (Audio): 5504 samples:", 0), 0u) << inputs[0];
    EXPECT_EQ(inputs[8].rfind("Input 8: 2752 samples:", 0), 0u) << inputs[8];
}

TEST_F(UsbCli, ScopeFailureIsReportedAndExitsNonZero) {
    const auto r = run("scope --usb=simulated:short-read");
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("Error in reading the incoming data."), std::string::npos);
    EXPECT_EQ(r.out.find("Run 1"), std::string::npos);
    const char* saved = std::getenv("VOXTREL_USB");
    setenv("VOXTREL_USB", "simulated:open", 1);
    const auto e = run("scope");
    if (saved) setenv("VOXTREL_USB", saved, 1); else unsetenv("VOXTREL_USB");
    EXPECT_EQ(e.rc, 1);
    EXPECT_NE(e.err.find("Error in opening the requested USB device."), std::string::npos);
}

}  // namespace
}  // namespace vox
