#include <gtest/gtest.h>

#include <QLabel>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "gui/app/about_box.h"
#include "gui/app/component_registry.h"
#include "gui/app/label.h"
#include "picturectl/quorpicture_registry.h"

namespace {

struct RegistryFixture : ::testing::Test {
    QTemporaryDir dir;
    QString file() const { return dir.filePath("reg/Components.ini"); }
};

TEST_F(RegistryFixture, RegisteringWritesTheControlPagesAndTypeLibraryAndUnregisteringRemovesThem) {
    ASSERT_EQ(QuorpictRegisterServer(file().toLocal8Bit().constData()), 0);
    {
        QSettings reg(file(), QSettings::IniFormat);
        const QString lib = reg.value("Classes/QuorPicture.QuorPictureCtrl.1/Library").toString();
        EXPECT_EQ(QFileInfo(lib).canonicalFilePath(), QFileInfo(QUORPICT_LIBRARY_FILE).canonicalFilePath());
        EXPECT_TRUE(reg.value("Classes/QuorPicture.QuorPictureCtrl.1/SafeForScripting").toBool());
        EXPECT_TRUE(reg.value("Classes/QuorPicture.QuorPictureCtrl.1/SafeForInitializing").toBool());
        EXPECT_EQ(reg.value("Classes/QuorPicture.QuorPicturePropPage.1/Name").toString(), "General");
        EXPECT_EQ(reg.value("Classes/QuorPicture.QuorPictureBevelsPropPage.1/Name").toString(), "Bevels");
        EXPECT_EQ(reg.value("TypeLibraries/QuorPictureLib/Dispatch").toString(), "_DQuorPicture");
        const QStringList props = reg.value("TypeLibraries/QuorPictureLib/Properties").toStringList();
        ASSERT_EQ(props.size(), 21);
        EXPECT_EQ(props.first(), "Font");
        EXPECT_EQ(props[2], "OuterBevel");
        EXPECT_EQ(props.last(), "DisplayHotSpots");
        const QStringList methods = reg.value("TypeLibraries/QuorPictureLib/Methods").toStringList();
        EXPECT_EQ(methods, (QStringList{"BrowseForPicture", "LoadPicture", "AddHotSpot", "RemoveHotSpot",
                                        "RemoveAllHotSpots", "AboutBox"}));
        const QStringList events = reg.value("TypeLibraries/QuorPictureLib/EventList").toStringList();
        EXPECT_TRUE(events.contains("MouseActionNoHotSpot"));
        EXPECT_TRUE(events.contains("DblClick"));
        EXPECT_FALSE(events.contains("changed"));
    }
    ASSERT_EQ(QuorpictUnregisterServer(file().toLocal8Bit().constData()), 0);
    QSettings reg(file(), QSettings::IniFormat);
    EXPECT_TRUE(reg.childGroups().isEmpty() || reg.value("Classes/QuorPicture.QuorPictureCtrl.1/Library").isNull());
    EXPECT_TRUE(reg.value("TypeLibraries/QuorPictureLib/Library").isNull());
}

TEST_F(RegistryFixture, TheRegistrationToolRegistersAndRemovesALibrary) {
    EXPECT_EQ(QProcess::execute(QUORPICT_REGSVR, {QUORPICT_LIBRARY_FILE, file()}), 0);
    EXPECT_FALSE(vox::CComponentRegistry(file()).library_of("QuorPicture.QuorPictureCtrl.1").isEmpty());
    EXPECT_EQ(QProcess::execute(QUORPICT_REGSVR, {"-u", QUORPICT_LIBRARY_FILE, file()}), 0);
    EXPECT_TRUE(vox::CComponentRegistry(file()).library_of("QuorPicture.QuorPictureCtrl.1").isEmpty());
    EXPECT_NE(QProcess::execute(QUORPICT_REGSVR, {dir.filePath("nothing.so"), file()}), 0);
}

TEST_F(RegistryFixture, AboutBoxLoadsThePictureControlThroughTheRegistry) {
    ASSERT_EQ(QuorpictRegisterServer(file().toLocal8Bit().constData()), 0);
    vox::CAboutBox box(nullptr, vox::CComponentRegistry(file()));
    QWidget* pic = box.picture_control();
    ASSERT_NE(pic, nullptr) << box.picture_problem().toStdString();
    EXPECT_STREQ(pic->metaObject()->className(), "quorpict::CQuorpictureCtrl");
    EXPECT_EQ(pic->property("Text").toString(), "Voxtrel");
    EXPECT_EQ(pic->property("Picture").value<QImage>().size(), vox::CAboutBox::about_picture().size());
    EXPECT_EQ(box.version_label()->text(), "version: 1412");
    // The page factory of the same library edits the loaded control.
    QWidget* page = quorpict_create_page("QuorPicture.QuorPictureBevelsPropPage.1", pic, &box);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->windowTitle(), "Bevels");
    EXPECT_EQ(quorpict_create_page("No.Such.Page", pic, &box), nullptr);
}

struct MissingCase {
    const char* name;
    bool register_first;
    const char* library;  // written over the registered one; null keeps it
};

class AboutBoxWithoutControl : public RegistryFixture, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(AboutBoxWithoutControl, OpensWithoutItsPicture) {
    const auto c = GetParam();
    if (c.register_first) {
        ASSERT_EQ(QuorpictRegisterServer(file().toLocal8Bit().constData()), 0);
        QSettings reg(file(), QSettings::IniFormat);
        reg.setValue("Classes/QuorPicture.QuorPictureCtrl.1/Library", dir.filePath(c.library));
    }
    vox::CAboutBox box(nullptr, vox::CComponentRegistry(file()));
    EXPECT_EQ(box.picture_control(), nullptr);
    EXPECT_FALSE(box.picture_problem().isEmpty());
    EXPECT_EQ(box.version_label()->text(), "version: 1412");
    EXPECT_EQ(box.link_label()->link(), QUrl(vox::CAboutBox::kWebAddress));
}

INSTANTIATE_TEST_SUITE_P(Cases, AboutBoxWithoutControl,
                         ::testing::Values(MissingCase{"NotRegistered", false, nullptr},
                                           MissingCase{"LibraryGone", true, "libgone.so"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CLabelLink, AClickOpensTheAddress) {
    vox::CLabel label("www.example");
    label.setLink(QUrl("https://www.example/"));
    QList<QUrl> opened;
    label.setOpener([&](const QUrl& u) {
        opened << u;
        return true;
    });
    label.resize(100, 20);
    label.show();
    EXPECT_TRUE(label.font().underline());
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl("https://www.example/"));
    // A press that leaves the label before its release opens nothing.
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(150, 5));
    EXPECT_EQ(opened.size(), 1);
}

}  // namespace
