// The report window and the about box.
#include "about.h"
#include "eeprom.h"
#include "report.h"
#include "version.h"

#include "support/dialogs.h"

#include <platform/filedialog.h>
#include <platform/msgbox.h>
#include <platform/shell.h>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

namespace {

class ReportTest : public ::testing::Test {
protected:
    void TearDown() override { platform::SetFileDialogHook({}); }

    void Check(const char* name)
    {
        auto* box = report->findChild<QCheckBox*>(name);
        ASSERT_NE(box, nullptr) << name;
        box->setChecked(true);
    }
    QStringList Update()
    {
        report->findChild<QPushButton*>("btnCreate")->click();
        return report->Lines();
    }
    void SaveTo(const QString& path)
    {
        platform::SetFileDialogHook([path](platform::TFileDialog& d) {
            d.FileName = path;
            return true;
        });
        report->findChild<QAction*>("Save1")->trigger();
    }

    EEPROM image;
    std::unique_ptr<TfrmReport> report = std::make_unique<TfrmReport>(nullptr);
};

TEST_F(ReportTest, WithoutImage)
{
    report->show();
    EXPECT_EQ(report->Lines(), (QStringList{"KR7460", "No buffer specified"}));
    report->hide();
}

TEST_F(ReportTest, SectionsFollowTheCheckBoxes)
{
    report->reportImage = &image;
    EXPECT_EQ(Update(), (QStringList{"KR7460", "EEPROM size: 256 bytes", "", "End Report."}));

    // Words of 0 are not in use either.
    for (int c = 0; c < 20; ++c)
        image.SetWord(216 + 2 * c, 0);
    Check("chkRxChannels");
    Check("chkCalibration");
    Check("chkSelcallMem");
    EXPECT_EQ(Update(), (QStringList{"KR7460", "EEPROM size: 256 bytes", "", "Calibration Data:", "",
                                     "Receive Only Channels:", "\tNo receive-only channels", "",
                                     "Selcall Memories:", "", "End Report."}));
}

TEST_F(ReportTest, ReceiveOnlyChannelLines)
{
    report->reportImage = &image;
    image.SetWord(216, 38114);      // CH41
    image.SetWord(216 + 2 * 5, 1);  // CH46: one step
    image.SetWord(216 + 2 * 19, 0xFFFE);
    Check("chkRxChannels");
    const QStringList lines = Update();
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines.at(3), "Receive Only Channels:");
    EXPECT_TRUE(lines.at(4).startsWith("CH41\t476.4250\t")) << lines.at(4).toStdString();
    EXPECT_TRUE(lines.at(5).startsWith("CH46\t000.0125\t")) << lines.at(5).toStdString();
    EXPECT_TRUE(lines.at(6).startsWith("CH60\t819.1750\t")) << lines.at(6).toStdString();
    EXPECT_EQ(lines.at(8), "End Report.");
}

TEST_F(ReportTest, SaveReplacesAFileAndAFailedOrCancelledSaveLeavesThingsAlone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("report.txt");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an older and much longer report text\n\n\n\n");
    }
    report->reportImage = &image;
    Update();
    testsupport::MessageBoxResponder boxes;
    SaveTo(path);
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("KR7460\nEEPROM size: 256 bytes\n\nEnd Report.\n"));
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"report.txt"}); // no leftovers

    platform::SetFileDialogHook([](platform::TFileDialog&) { return false; });
    report->findChild<QAction*>("SaveAs1")->trigger();
    EXPECT_TRUE(boxes.boxes().empty());

    // A target that cannot be written is reported; what stood there is left alone.
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken"));
    boxes.expect(platform::IDOK);
    SaveTo(dir.filePath("taken"));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes().at(0).caption, "File Error");
    EXPECT_TRUE(QFileInfo(dir.filePath("taken")).isDir());
}

TEST(About, VersionAndLinksGoThroughTheShell)
{
    QStringList opened;
    platform::SetShellOpenHook([&](const QString& url) {
        opened << url;
        return true;
    });
    TAboutBox about(nullptr);
    auto click = [&](const char* name) {
        QWidget* w = about.findChild<QLabel*>(name);
        const QPointF pos(2, 2);
        QMouseEvent press(QEvent::MouseButtonPress, pos, w->mapToGlobal(pos), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, pos, w->mapToGlobal(pos), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &release);
    };
    EXPECT_EQ(about.findChild<QLabel*>("lblVersion")->text(), GetVersionText());
    click("lblWebSite");
    click("lblEmail");
    click("Label1"); // not a link
    EXPECT_EQ(opened, (QStringList{"https://www.navar.example/",
                                   "mailto:support@navar.example?subject=KR5180 dealer software support"}));

    // A failing shell is not reported.
    platform::SetShellOpenHook([](const QString&) { return false; });
    testsupport::MessageBoxResponder boxes;
    about.lblWebSiteClick();
    EXPECT_TRUE(boxes.boxes().empty());
    platform::SetShellOpenHook({});
}

} // namespace
