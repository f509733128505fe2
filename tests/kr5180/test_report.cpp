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
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

namespace {

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        report = std::make_unique<TfrmReport>(nullptr);
        image = std::make_unique<EEPROM>();
        image->Fill(0xFF);
    }
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

    std::unique_ptr<TfrmReport> report;
    std::unique_ptr<EEPROM> image;
};

TEST_F(ReportTest, WithoutImage)
{
    EXPECT_EQ(report->windowTitle(), "Report");
    EXPECT_EQ(report->reportImage, nullptr);
    report->show();
    EXPECT_EQ(report->Lines(), (QStringList{"KR7460", "No buffer specified"}));
    report->hide();
}

TEST_F(ReportTest, SectionsFollowTheCheckBoxes)
{
    report->reportImage = image.get();
    EXPECT_EQ(Update(), (QStringList{"KR7460", "EEPROM size: 256 bytes", "", "End Report."}));

    Check("chkRxChannels");
    EXPECT_EQ(Update(), (QStringList{"KR7460", "EEPROM size: 256 bytes", "", "Receive Only Channels:",
                                     "\tNo receive-only channels", "", "End Report."}));

    // Words of 0 are not in use either.
    for (int c = 0; c < 20; ++c)
        image->SetWord(216 + 2 * c, 0);
    Check("chkCalibration");
    Check("chkSelcallMem");
    EXPECT_EQ(Update(), (QStringList{"KR7460", "EEPROM size: 256 bytes", "", "Calibration Data:", "",
                                     "Receive Only Channels:", "\tNo receive-only channels", "",
                                     "Selcall Memories:", "", "End Report."}));
}

TEST_F(ReportTest, ReceiveOnlyChannelLines)
{
    report->reportImage = image.get();
    image->SetWord(216, 38114);      // CH41
    image->SetWord(216 + 2 * 5, 1);  // CH46: one step
    image->SetWord(216 + 2 * 19, 0xFFFE);
    Check("chkRxChannels");
    const QStringList lines = Update();
    ASSERT_GE(lines.size(), 7);
    EXPECT_EQ(lines.at(3), "Receive Only Channels:");
    EXPECT_TRUE(lines.at(4).startsWith("CH41\t476.4250\t")) << lines.at(4).toStdString();
    EXPECT_TRUE(lines.at(5).startsWith("CH46\t000.0125\t")) << lines.at(5).toStdString();
    EXPECT_TRUE(lines.at(6).startsWith("CH60\t819.1750\t")) << lines.at(6).toStdString();
    EXPECT_EQ(lines.at(7), "");
    EXPECT_EQ(lines.at(8), "End Report.");
}

TEST_F(ReportTest, SaveReplacesAnExistingFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("report.txt");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an older and much longer report text\n\n\n\n");
    }
    report->reportImage = image.get();
    Update();
    testsupport::MessageBoxResponder boxes; // none expected
    SaveTo(path);
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("KR7460\nEEPROM size: 256 bytes\n\nEnd Report.\n"));
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"report.txt"}); // no leftovers
}

TEST_F(ReportTest, CancelledOrFailedSave)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    testsupport::MessageBoxResponder boxes;
    platform::SetFileDialogHook([](platform::TFileDialog&) { return false; });
    report->findChild<QAction*>("SaveAs1")->trigger();
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());

    // A target that cannot be written is reported; what stood there is left alone.
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken"));
    boxes.expect(platform::IDOK);
    SaveTo(dir.filePath("taken"));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes().at(0).caption, "File Error");
    EXPECT_TRUE(QFileInfo(dir.filePath("taken")).isDir());

    boxes.expect(platform::IDOK);
    SaveTo(dir.filePath("missing/report.txt"));
    EXPECT_EQ(boxes.boxes().size(), 2u);
}

class AboutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetShellOpenHook([this](const QString& url) {
            opened << url;
            return true;
        });
        about = std::make_unique<TAboutBox>(nullptr);
    }
    void TearDown() override { platform::SetShellOpenHook({}); }

    void Click(QWidget* w)
    {
        const QPointF pos(2, 2);
        QMouseEvent press(QEvent::MouseButtonPress, pos, w->mapToGlobal(pos), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, pos, w->mapToGlobal(pos), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &release);
    }

    QStringList opened;
    std::unique_ptr<TAboutBox> about;
};

TEST_F(AboutTest, Texts)
{
    EXPECT_EQ(about->windowTitle(), "About...");
    EXPECT_TRUE(about->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(about->findChild<QPlainTextEdit*>("Memo2")->toPlainText(),
              "KR5180 UHF CB Radio\nProgrammer Software");
    EXPECT_EQ(about->findChild<QLabel*>("lblVersion")->text(), GetVersionText());
    EXPECT_EQ(about->findChild<QLabel*>("Label1")->text(), "Click here to visit the Navar website");
    EXPECT_EQ(about->findChild<QPlainTextEdit*>("Memo1")->document()->blockCount(), 2);
    EXPECT_EQ(about->findChild<QLabel*>("lblEmail")->text(), "support@navar.example");
    EXPECT_FALSE(about->findChild<QLabel*>("Image1")->pixmap().isNull());
}

TEST_F(AboutTest, LinksGoThroughTheShell)
{
    Click(about->findChild<QLabel*>("lblWebSite"));
    Click(about->findChild<QLabel*>("lblEmail"));
    Click(about->findChild<QLabel*>("Label1")); // not a link
    EXPECT_EQ(opened, (QStringList{"https://www.navar.example/",
                                   "mailto:support@navar.example?subject=KR5180 dealer software support"}));

    // A failing shell is not reported.
    platform::SetShellOpenHook([](const QString&) { return false; });
    testsupport::MessageBoxResponder boxes;
    about->lblWebSiteClick();
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(AboutTest, ModalAndClosedWithClose)
{
    bool focused = false;
    testsupport::ModalHandler handler([&](QWidget* w) {
        focused = QApplication::focusWidget() == w->findChild<QPushButton*>("btnClose");
        w->findChild<QPushButton*>("btnClose")->click();
    });
    about->exec();
    EXPECT_TRUE(handler.ran());
    EXPECT_TRUE(focused);
    EXPECT_FALSE(about->isVisible());
}

} // namespace
