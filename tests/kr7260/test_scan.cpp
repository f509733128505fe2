// The scan and duplex window on the editor fixture: the words and bits it owns, the
// priority channel list and the refused pasted channel.
#include "editor_fixture.h"

#include "scan.h"

#include <platform/msgbox.h>
#include <widgets/channelchecks.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

namespace {

using k7test::EditorTest;
using testsupport::MessageBoxResponder;

class ScanTest : public EditorTest {
protected:
    TfrmScan scan;
};

TEST_F(ScanTest, OkWritesOnlyItsOwnBits)
{
    FillPattern();
    image.Set(9, 0x0002);          // rate 0, priority CB 03
    image.Set(11, 0xAB00);
    image.Set(29, 0xFF00);
    image.Set(33, 0x5A00);
    image.Set(30, 0x0FFF);
    image.Set(3, 0x0004);
    const TRadioImage::Words before = image.Snapshot();
    Run(scan, [&] {
        EXPECT_EQ(scan.hsbPriCheckRate->value(), 1);
        EXPECT_EQ(scan.findChild<QLabel*>("lblPriCheckRate")->text(), "Every 1 channels");
        EXPECT_EQ(scan.cmbRecallM1->currentText(), "CB 03");
        EXPECT_TRUE(scan.chk3Beep->isChecked() && scan.chk3Beep->isHidden());
        EXPECT_FALSE(scan.OpenScan->Checked(33)); // low byte of word 29 clear
        scan.OpenScan->SetChecked(40, true);
        scan.GroupScan->SetChecked(1, true);
        scan.Duplex->SetChecked(8, true);
        scan.chk2ndOpenScan->click();
    }, Press::OK);
    EXPECT_EQ(image.Get(9), 0x0102);          // the clamped rate stored
    EXPECT_EQ(image.Get(11), 0xAB80);         // engineering high byte kept
    EXPECT_EQ(image.Get(29), 0xFF80);         // spare channels' bits kept
    EXPECT_EQ(image.Get(33) & 0xFF00, 0x5A00);
    EXPECT_EQ(image.Get(31) & 1, 1);
    EXPECT_EQ(image.Get(3), 0x0044);
    for (int w : Changed(before))
        EXPECT_TRUE(w == 3 || w == 9 || w == 11 || w == 29 || w == 31) << w;
}

TEST_F(ScanTest, FamiliesFollowTheBitmapRule)
{
    image.Set(27, 0x8001); // open scan 1 and 16
    image.Set(28, 0x0001); // 17
    image.Set(33, 0x0080); // group scan 40
    image.Set(11, 0x0005); // duplex 1 and 3
    Show(scan);
    EXPECT_EQ(scan.OpenScan->Bits(), 0x18001u);
    EXPECT_EQ(scan.GroupScan->Bits(), std::uint64_t(1) << 39);
    EXPECT_EQ(scan.Duplex->Bits(), 5u);
    scan.findChild<QPushButton*>("btnOsSelectAll")->click();
    scan.findChild<QPushButton*>("btnDupDeselectAll")->click();
    Finish(scan, Press::OK);
    EXPECT_EQ(image.Get(28), 0xFFFF);
    EXPECT_EQ(image.Get(29), 0x00FF);
    EXPECT_EQ(image.Get(33), 0x0080);
    EXPECT_EQ(image.Get(11), 0);
}

TEST_F(ScanTest, PriorityChannelList)
{
    image.Set(kr72map::SpareFreqWord(46), 37600);
    image.Set(9, 0x3C2D); // 45: RX 46
    Run(scan, [&] { EXPECT_EQ(scan.cmbRecallM1->currentText(), "RX 46"); }, Press::OK);
    EXPECT_EQ(image.Get(9), 0x3C2D);

    for (int stale : {0x2C, 0x3C, 0xFF}) { // spare 45 absent, 60 and above
        image.Set(9, 0x0A00 | stale);
        Run(scan, [&] { EXPECT_EQ(scan.cmbRecallM1->currentText(), "CB 01"); }, Press::OK);
        EXPECT_EQ(image.Get(9), 0x0A00) << stale;
    }
}

TEST_F(ScanTest, PastedChannelThatIsNotListedStoresNothing)
{
    FillPattern();
    image.Set(kr72map::SpareFreqWord(47), 0);
    const TRadioImage::Words before = image.Snapshot();
    MessageBoxResponder boxes;
    boxes.expect(platform::IDOK);
    Show(scan);
    scan.OpenScan->SelectAll();
    scan.cmbRecallM1->setEditText("RX 47");
    scan.OKBtn->click();
    EXPECT_TRUE(scan.isVisible());
    EXPECT_TRUE(Changed(before).empty());
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].caption, "Invalid Channel");
    EXPECT_TRUE(boxes.boxes()[0].text.contains("RX 47"));

    scan.cmbRecallM1->setEditText("xx 07");
    Finish(scan, Press::OK);
    EXPECT_EQ(image.Get(9) & 0xFF, 6);
    EXPECT_EQ(image.Get(27), 0xFFFF);
}

TEST_F(ScanTest, SecondOpenScanDisablesTheHiddenControlsAndCancelRestores)
{
    FillPattern();
    image.Set(3, 0x0040);
    const TRadioImage::Words before = image.Snapshot();
    Run(scan, [&] {
        EXPECT_FALSE(scan.hsbPriCheckRate->isEnabled() || scan.chk3Beep->isEnabled());
        scan.chk2ndOpenScan->click();
        EXPECT_TRUE(scan.hsbPriCheckRate->isEnabled() && scan.chk3Beep->isEnabled());
        EXPECT_TRUE(scan.hsbPriCheckRate->isHidden());
        for (const char* b : {"btnOsSelectAll", "btnGsSelectAll", "btnDupSelectAll"})
            scan.findChild<QPushButton*>(b)->click();
    }, Press::Cancel);
    EXPECT_TRUE(Changed(before).empty());
}

TEST_F(ScanTest, TabReachesEachFamilysBoxesBeforeItsButtons)
{
    Show(scan);
    EXPECT_EQ(TabFrom(scan.cmbRecallM1), scan.Duplex->Box(1));
    EXPECT_EQ(TabFrom(scan.Duplex->Box(8)), scan.findChild<QWidget*>("btnDupSelectAll"));
    EXPECT_EQ(TabFrom(scan.chk2ndOpenScan), scan.GroupScan->Box(1));
    EXPECT_EQ(TabFrom(scan.GroupScan->Box(40)), scan.findChild<QWidget*>("btnGsSelectAll"));
    EXPECT_EQ(TabFrom(scan.findChild<QWidget*>("btnGsDeselectAll")), scan.OpenScan->Box(1));
    EXPECT_EQ(TabFrom(scan.OpenScan->Box(40)), scan.findChild<QWidget*>("btnOsSelectAll"));
    Finish(scan, Press::Cancel);
}

} // namespace
