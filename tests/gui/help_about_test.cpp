// Help Topics and the About box reached through the main frame's commands.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "gui/app/about_box.h"
#include "gui/app/label.h"
#include "tests/gui/gui_test_support.h"

namespace vox::test {
namespace {

TEST(HelpAbout, HelpTopicsWithoutTheManualSaysSo) {
    AppFixture fx;
    // The program folder is the scratch folder, which holds no Manual/.
    ASSERT_FALSE(std::filesystem::exists(fx.app->help_file()));
    EXPECT_TRUE(fx.frame->run_command(CommandId::HelpTopics));
    const auto msgs = fx.prompts.messages();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0], CMainFrame::kNoHelp);
}

TEST(HelpAbout, AboutOpensTheBoxWithoutItsPictureWhenTheControlIsNotRegistered) {
    AppFixture fx;
    qputenv("TREVANIC_COMPONENT_REGISTRY", QByteArray::fromStdString((fx.dir.path() / "none.ini").string()));
    bool seen = false;
    QString version, link;
    QWidget* picture = reinterpret_cast<QWidget*>(1);
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<CAboutBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen = true;
        picture = box->picture_control();
        version = box->version_label()->text();
        link = box->link_label()->link().toString();
        box->accept();
    });
    EXPECT_TRUE(fx.frame->run_command(CommandId::HelpAbout));
    qunsetenv("TREVANIC_COMPONENT_REGISTRY");
    ASSERT_TRUE(seen);
    EXPECT_EQ(picture, nullptr);
    EXPECT_EQ(version, "version: 1412");
    EXPECT_EQ(link, CAboutBox::kWebAddress);
    EXPECT_TRUE(fx.prompts.messages().empty());
}

}  // namespace
}  // namespace vox::test
