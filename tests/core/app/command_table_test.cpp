// Command routing over the targets' tables: the first target that declares
// a command and enables it runs it, a deciding target ends the walk, and a
// target sees only the commands it admits.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/app/command_table.h"

namespace vox {
namespace {

using C = CommandId;

// Three targets in route order, each noting in `ran` which one ran.
struct Targets {
    std::string ran;
    bool view_save = false;  // the view's Save enabled
    CommandTable view{
        {C::FileSave, [this] { return view_save; }, [this] { ran += "view"; }},
        {C::FilePrint, nullptr, [this] { ran += "view"; }},
    };
    CommandTable document{
        {C::FileSave, nullptr, [this] { ran += "document"; }},
        {C::FilePrint, nullptr, [this] { ran += "document"; }},
        {C::FileSaveAs, nullptr, [this] { ran += "document"; }},
        {C::OptionsPitch, nullptr, [this] { ran += "document"; }},
    };
    CommandTable app{
        {C::FileNew, nullptr, [this] { ran += "app"; }},
        {C::FileSaveAs, [] { return false; }, [this] { ran += "app"; }},
    };
};

struct RouteCase {
    const char* name;
    bool view_decides;
    bool view_save;
    bool with_hold;  // the view holds Save As disabled
    CommandId id;
    const char* runs;  // "" when the command is disabled
};

class CommandRouteTest : public ::testing::TestWithParam<RouteCase> {};

TEST_P(CommandRouteTest, OffersTheCommandInOrder) {
    const RouteCase& c = GetParam();
    Targets t;
    t.view_save = c.view_save;
    if (c.with_hold) t.view.push_back({C::FileSaveAs, nullptr, nullptr});
    CommandRoute route;
    route.add(CommandTarget{&t.view, c.view_decides});
    route.add(t.document);
    route.add(t.app);
    const bool enabled = std::string(c.runs) != "";
    EXPECT_EQ(route.enabled(c.id), enabled);
    EXPECT_EQ(route.run(c.id), enabled);
    EXPECT_EQ(t.ran, c.runs);
}

INSTANTIATE_TEST_SUITE_P(
    Routes, CommandRouteTest,
    ::testing::Values(RouteCase{"FirstEnabledTargetRuns", false, true, false, C::FileSave, "view"},
                      RouteCase{"DisabledFallsThrough", false, false, false, C::FileSave, "document"},
                      RouteCase{"DecidingTargetEndsTheWalk", true, false, false, C::FileSave, ""},
                      RouteCase{"UndeclaredGoesOn", true, false, false, C::FileNew, "app"},
                      RouteCase{"HeldIsDisabledWhenDeciding", true, true, true, C::FileSaveAs, ""},
                      RouteCase{"HeldGoesOnOtherwise", false, true, true, C::FileSaveAs, "document"},
                      RouteCase{"DeclaredNowhere", false, true, false, C::HelpAbout, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandRoute, TargetSeesOnlyWhatItAdmits) {
    Targets t;
    CommandRoute route;
    route.add(CommandTarget{&t.view, false, [](CommandId id) { return id == C::OptionsPitch; }});
    route.add(t.document);
    // The view declares Print but does not admit it: the document runs it.
    EXPECT_TRUE(route.run(C::FilePrint));
    EXPECT_EQ(t.ran, "document");
}

TEST(CommandRoute, HandlerMayDropItsTable) {
    // Closing a window destroys its table while its handler runs.
    std::string ran;
    auto table = std::make_unique<CommandTable>();
    table->push_back({C::FileClose, nullptr, [&] {
                          table.reset();
                          ran = "closed";
                      }});
    EXPECT_TRUE(run_in(*table, C::FileClose));
    EXPECT_EQ(ran, "closed");
}

TEST(CommandTable, StateAndDuplicates) {
    Targets t;
    t.view.push_back({C::FileSaveAs, nullptr, nullptr});
    EXPECT_EQ(command_state(t.view, C::FilePrint), std::optional<bool>(true));
    EXPECT_EQ(command_state(t.view, C::FileSave), std::optional<bool>(false));
    EXPECT_EQ(command_state(t.view, C::FileSaveAs), std::optional<bool>(false));  // held
    EXPECT_EQ(command_state(t.view, C::FileNew), std::nullopt);
    EXPECT_EQ(first_duplicate(t.view), std::nullopt);
    t.view.push_back({C::FilePrint, nullptr, [] {}});
    EXPECT_EQ(first_duplicate(t.view), std::optional<CommandId>(C::FilePrint));
}

}  // namespace
}  // namespace vox
