#include <gtest/gtest.h>

#include <set>

#include "core/app/command_ids.h"

namespace vox {
namespace {

TEST(CommandTable, AcceleratorsAreUniqueAndTheListedOnes) {
    std::set<std::string_view> seen;
    for (const auto& c : command_table()) {
        if (c.shortcut.empty()) continue;
        EXPECT_TRUE(seen.insert(c.shortcut).second) << c.shortcut;
    }
    for (const auto& x : kExtraShortcuts) EXPECT_TRUE(seen.insert(x.shortcut).second) << x.shortcut;
    const std::pair<CommandId, std::string_view> expected[] = {
        {CommandId::FileNew, "Ctrl+N"},        {CommandId::FileOpen, "Ctrl+O"},      {CommandId::FileSave, "Ctrl+S"},
        {CommandId::FilePrint, "Ctrl+P"},      {CommandId::EditUndo, "Ctrl+Z"},      {CommandId::EditCut, "Ctrl+X"},
        {CommandId::EditCopy, "Ctrl+C"},       {CommandId::EditPaste, "Ctrl+V"},     {CommandId::EditSelectAll, "Ctrl+A"},
        {CommandId::ZoomIn, "Ctrl+B"},         {CommandId::ZoomOut, "Ctrl+E"},       {CommandId::ZoomSelection, "Ctrl+Q"},
        {CommandId::ZoomFromCursor, "Ctrl+W"}, {CommandId::Record, "Ctrl+R"},        {CommandId::PlayAll, "Ctrl+Y"},
        {CommandId::PlaySelection, "Ctrl+U"},  {CommandId::FftLpc, "Ctrl+F"},        {CommandId::SpectrogramAll, "Ctrl+G"},
        {CommandId::SpectrogramSelection, "Ctrl+H"}, {CommandId::PitchAll, "Ctrl+L"}, {CommandId::Intensity, "Ctrl+I"},
        {CommandId::Smooth, "Ctrl+K"},         {CommandId::LogEnterAtMarker, "Ctrl+T"}, {CommandId::LogEnterDuration, "Ctrl+D"},
        {CommandId::LogEnterPitchAtMarker, "Ctrl+M"},
    };
    for (const auto& [id, key] : expected) EXPECT_EQ(command_info(id).shortcut, key) << command_info(id).text;
}

TEST(CommandTable, ReducedMenuHoldsOnlyTheNoDocumentCommands) {
    std::set<CommandId> reduced;
    for (const auto& c : command_table())
        if (c.in_reduced_menu && c.menu == "&File") reduced.insert(c.id);
    EXPECT_EQ(reduced, (std::set<CommandId>{CommandId::FileNew, CommandId::FileOpen, CommandId::FileLoadConfig,
                                            CommandId::FileRevertConfig, CommandId::FilePrintSetup, CommandId::FileExit}));
}

TEST(CommandTable, ToolbarHasThirtyTwoButtonsInTenGroups) {
    int buttons = 0, gaps = 0;
    for (const auto& t : toolbar_layout()) (t ? buttons : gaps)++;
    EXPECT_EQ(buttons, 32);
    EXPECT_EQ(gaps, 8);
    EXPECT_EQ(toolbar_layout().front(), CommandId::FileNew);
    EXPECT_EQ(toolbar_layout().back(), CommandId::HelpTopics);
}

}  // namespace
}  // namespace vox
