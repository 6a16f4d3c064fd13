// The desktop entry claims every kind of recording File > Open reads through
// the decoder, by MIME types the desktop knows: the common database's or the
// ones the program's own MIME package defines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "gui/app/main_frame.h"
#include "tests/support/test_support.h"

namespace vox::test {
namespace {

std::string text_of(const std::string& path) {
    const auto bytes = read_file(path);
    return std::string(bytes.begin(), bytes.end());
}

// type -> its globs and those of its aliases, from a shared-mime-info package.
void add_globs(const std::string& xml, std::map<std::string, std::set<std::string>>& globs) {
    static const std::regex type_re(R"re(<mime-type type="([^"]+)">([\s\S]*?)</mime-type>)re");
    static const std::regex glob_re(R"re(<glob pattern="([^"]+)")re");
    static const std::regex alias_re(R"re(<alias type="([^"]+)")re");
    for (std::sregex_iterator t(xml.begin(), xml.end(), type_re), end; t != end; ++t) {
        const std::string body = (*t)[2];
        std::set<std::string> mine;
        for (std::sregex_iterator g(body.begin(), body.end(), glob_re); g != end; ++g) mine.insert((*g)[1]);
        std::set<std::string> names{(*t)[1]};
        for (std::sregex_iterator a(body.begin(), body.end(), alias_re); a != end; ++a) names.insert((*a)[1]);
        for (const auto& n : names) globs[n].insert(mine.begin(), mine.end());
    }
}

TEST(DesktopEntry, ClaimsEveryDecodedKindOfRecording) {
    // The common database where the desktop looks for it (XDG_DATA_DIRS).
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::stringstream ds(dirs && *dirs ? dirs : "/usr/local/share:/usr/share");
    std::string common;
    for (std::string d; common.empty() && std::getline(ds, d, ':');)
        if (std::filesystem::exists(d + "/mime/packages/freedesktop.org.xml"))
            common = d + "/mime/packages/freedesktop.org.xml";
    if (common.empty()) GTEST_SKIP() << "no common MIME database here";
    const std::string res = std::string(VOXTREL_SOURCE_DIR) + "/gui/resources/";
    std::map<std::string, std::set<std::string>> globs;
    add_globs(text_of(common), globs);
    add_globs(text_of(res + "voxtrel-mime.xml"), globs);

    const std::string entry = text_of(res + "voxtrel.desktop");
    const auto at = entry.find("\nMimeType=");
    ASSERT_NE(at, std::string::npos);
    const std::string line = entry.substr(at + 10, entry.find('\n', at + 1) - at - 10);
    std::set<std::string> claimed;
    std::stringstream ss(line);
    for (std::string type; std::getline(ss, type, ';');) {
        if (type.empty()) continue;
        EXPECT_TRUE(globs.count(type)) << type << " is not a MIME type the desktop knows";
        claimed.insert(globs[type].begin(), globs[type].end());
    }
    // The decoder's patterns of the open dialog, and the program's own and
    // the uncompressed formats people double-click most.
    const std::string decoded = CMainFrame::kDecodedFilter;
    const std::string patterns = decoded.substr(decoded.find(")|") + 2);
    std::set<std::string> wanted{"*.vxl", "*.wav", "*.aiff", "*.aifc", "*.au"};
    std::stringstream ps(patterns);
    for (std::string p; std::getline(ps, p, ';');) {
        p.erase(0, p.find_first_not_of(' '));
        if (p.empty() || p == "|") continue;
        if (p.back() == '|') p.pop_back();
        if (std::none_of(p.begin(), p.end(), [](char c) { return std::isupper(static_cast<unsigned char>(c)); }))
            wanted.insert(p);
    }
    EXPECT_GE(wanted.size(), 13u);
    for (const auto& p : wanted) EXPECT_TRUE(claimed.count(p)) << p << " is not claimed by the desktop entry";
}

// The program's MIME package is one the desktop's tool accepts.
TEST(DesktopEntry, TheMimePackageInstalls) {
    if (!have_program("update-mime-database")) GTEST_SKIP() << "update-mime-database is not installed";
    ScratchDir dir;
    std::filesystem::create_directories(dir.path() / "packages");
    std::filesystem::copy_file(std::string(VOXTREL_SOURCE_DIR) + "/gui/resources/voxtrel-mime.xml",
                               dir.path() / "packages" / "voxtrel-mime.xml");
    const auto r = run_shell("update-mime-database '" + dir.path().string() + "' 2>&1");
    EXPECT_EQ(r.rc, 0) << r.out;
    for (const char* type : {"application/x-voxtrel", "audio/x-w64", "audio/x-rf64", "audio/x-caf"})
        EXPECT_TRUE(std::filesystem::exists(dir.path() / (std::string(type) + ".xml"))) << type;
}

}  // namespace
}  // namespace vox::test
