// The scan and duplex editor on the editor fixture.
#include "editor_fixture.h"

#include "scan.h"

#include <platform/msgbox.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>

namespace {

using Boxes = testsupport::MessageBoxResponder;

class ScanTest : public k5test::EditorTest {
protected:
    QComboBox* Priority() { return Child<QComboBox>(scan, "cmbRecallM1"); }
    QComboBox* Rate() { return Child<QComboBox>(scan, "cmbPriChkRate"); }
    QCheckBox* Box(const char* name) { return Child<QCheckBox>(scan, name); }
    TfrmScan scan;
};

TEST_F(ScanTest, OkWithoutChangesWritesBackOnlyWhatItClampedAndKeepsForeignBits)
{
    // The pattern holds priority 185 (RX 57, in use) and a rate of 111.
    const Bytes before = Snapshot();
    Run(scan, [&] {
        EXPECT_EQ(Priority()->currentText(), "RX 57");
        EXPECT_EQ(Rate()->currentText(), "10");
    }, Press::OK);
    EXPECT_EQ(Changed(before), std::vector<int>{50});
    EXPECT_EQ(Byte(50), 10);
}

TEST_F(ScanTest, PriorityOutsideTheListShowsCb01AndOkWrites129)
{
    NoRxChannels();
    for (int code : {0, 128, 189, 255, 170}) {
        SCOPED_TRACE(code);
        image.SetByte(52, code);
        Run(scan, [&] {
            EXPECT_EQ(Priority()->currentText(), "CB 01");
            EXPECT_EQ(Priority()->count(), 40);
        }, Press::OK);
        EXPECT_EQ(Byte(52), 129);
    }
}

TEST_F(ScanTest, ReceiveOnlyPriorityIsListedOnlyWhileItsChannelIsInUse)
{
    NoRxChannels();
    SetWord(216, 38100);      // channel 41
    SetWord(254, 38100);      // channel 60
    image.SetByte(52, 170);   // RX 42, not in use
    Run(scan, [&] {
        EXPECT_EQ(Priority()->count(), 42);
        EXPECT_EQ(Priority()->itemText(40), "RX 41");
        EXPECT_EQ(Priority()->itemText(41), "RX 60");
        EXPECT_EQ(Priority()->currentText(), "CB 01");
    }, Press::Cancel);

    SetWord(218, 38100);      // 476.25 MHz on channel 42
    Run(scan, [&] {
        EXPECT_EQ(Priority()->currentText(), "RX 42");
        EXPECT_GE(Priority()->findText("RX 42"), 0);
        Priority()->setCurrentText("RX 60");
    }, Press::OK);
    EXPECT_EQ(Byte(52), 188);
}

TEST_F(ScanTest, CheckRateIsClampedForDisplayAndTypedRatesAreTaken)
{
    for (auto [stored, shown] : {std::pair{0, 1}, std::pair{200, 10}, std::pair{4, 4}}) {
        image.SetByte(50, stored);
        Run(scan, [&] { EXPECT_EQ(Rate()->currentText(), QString::number(shown)); }, Press::OK);
        EXPECT_EQ(Byte(50), shown);
    }
    Run(scan, [&] { Rate()->setEditText("7"); }, Press::OK);
    EXPECT_EQ(Byte(50), 7);
    Run(scan, [&] { Rate()->setEditText("25"); }, Press::OK);
    EXPECT_EQ(Byte(50), 10);
}

TEST_F(ScanTest, BadTypedTextShowsTheConversionErrorAndStoresNothing)
{
    Boxes boxes;
    const Bytes before = Snapshot();
    Show(scan);
    Box("chkDup1")->toggle();
    Button(scan, "btnOsSelectAll")->click();
    Box("chkScanEnabled")->toggle();
    Priority()->setEditText("CB ?1");
    boxes.expect(platform::IDOK);
    Finish(scan, Press::OK);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "'?1' is not a valid integer value");
    EXPECT_TRUE(scan.isVisible());
    EXPECT_TRUE(Changed(before).empty());

    Priority()->setEditText("CB 07");
    Rate()->setEditText("fast");
    boxes.expect(platform::IDOK);
    Finish(scan, Press::OK);
    EXPECT_EQ(boxes.boxes().size(), 2u);
    EXPECT_TRUE(Changed(before).empty());

    Rate()->setCurrentIndex(2);
    Finish(scan, Press::OK);
    EXPECT_FALSE(scan.isVisible());
    EXPECT_EQ(Byte(52), 135);
    EXPECT_EQ(Byte(50), 3);
    EXPECT_EQ(Byte(64), 0xFF);
    EXPECT_EQ(Byte(53), before[53] ^ 0x01);
    EXPECT_EQ(Byte(34), before[34] ^ 0x08);
}

TEST_F(ScanTest, OptionBitsLoadAndStoreAlone)
{
    image.SetByte(35, 0x80);
    image.SetByte(34, 0x00);
    const Bytes before = Snapshot();
    Run(scan, [&] {
        EXPECT_TRUE(Box("chkGS_PTT_EXIT")->isChecked() && Child<QRadioButton>(scan, "rbOS2")->isChecked());
        EXPECT_FALSE(Box("chk3Beep")->isChecked() || Box("chkScanEnabled")->isChecked());
    }, Press::OK);
    EXPECT_EQ(Byte(35), 0x80);

    Run(scan, [&] {
        Box("chkScanEnabled")->click();
        Child<QRadioButton>(scan, "rbGS2")->click();
        Box("chk3Beep")->click();
        Box("chkGS_PTT_EXIT")->click();
    }, Press::OK);
    EXPECT_EQ(Byte(35), 0x03);
    EXPECT_EQ(Byte(34), 0x08);
    for (int a = 36; a <= 39; ++a)
        EXPECT_EQ(Byte(a), before[a]) << a;
}

TEST_F(ScanTest, ScanSwitchDisablesTheChannelBoxesWhichAreStillStored)
{
    image.SetByte(34, 0x08);
    image.SetByte(53, 0x00);
    Run(scan, [&] {
        EXPECT_TRUE(Box("chkDup8")->isEnabled());
        Box("chkScanEnabled")->click();
        for (const char* name : {"chkDup1", "chkOs40", "chkGs1", "chk3Beep", "btnDupSelectAll"})
            EXPECT_FALSE(Child<QWidget>(scan, name)->isEnabled()) << name;
        EXPECT_FALSE(Priority()->isEnabled());
        EXPECT_FALSE(Child<QWidget>(scan, "rbGS2")->isEnabled());
        EXPECT_TRUE(Child<QWidget>(scan, "gbDuplex")->isEnabled());
        EXPECT_TRUE(Button(scan, "OKBtn")->isEnabled());
        Box("chkDup3")->setChecked(true);
        Box("chkDup8")->setChecked(true);
    }, Press::OK);
    EXPECT_EQ(Byte(53), 0x84);
    EXPECT_EQ(Byte(34), 0x00);
}

TEST_F(ScanTest, SelectAllTouchesOnlyTheCbBitsOfTheScanMemories)
{
    const Bytes before = Snapshot();
    Run(scan, [&] {
        Button(scan, "btnOsSelectAll")->click();
        Button(scan, "btnGsDeselectAll")->click();
        Box("chkGs40")->setChecked(true);
    }, Press::OK);
    for (int a = 64; a <= 68; ++a)
        EXPECT_EQ(Byte(a), 0xFF) << a;
    for (int a = 72; a <= 75; ++a)
        EXPECT_EQ(Byte(a), 0x00) << a;
    EXPECT_EQ(Byte(76), 0x80);
    for (int a : {69, 70, 71, 77, 78, 79})
        EXPECT_EQ(Byte(a), before[a]) << a;
}

TEST_F(ScanTest, CancelAndCloseBoxLeaveTheImage)
{
    ExpectCancelKeepsImage(scan, [&] {
        Button(scan, "btnGsSelectAll")->click();
        Box("chkScanEnabled")->click();
        Priority()->setCurrentIndex(3);
    });
}

TEST_F(ScanTest, HelpShowsTheSentenceOfTheControlAndIgnoresARepeat)
{
    auto* memo = Child<QTextEdit>(scan, "memoHelpText");
    auto move = &EditorTest::MouseMove;
    Show(scan);
    move(Child<QWidget>(scan, "gbDuplex"));
    EXPECT_EQ(memo->toPlainText(), "Select from channels 1 - 8 for duplex operation");
    move(Box("chkOs12")); // a channel box counts as its group
    EXPECT_EQ(memo->toPlainText(), "Select from channels 1 - 40 for Scan Mem 1");
    memo->setPlainText("kept");
    move(Box("chkOs3"));   // the same sender again: nothing changes
    EXPECT_EQ(memo->toPlainText(), "kept");
    Priority()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(memo->toPlainText(),
              "Set the priority channel. Used in group scan and also with the priority button");
    move(Button(scan, "OKBtn"));
    EXPECT_EQ(memo->toPlainText(), "");
    move(Child<QWidget>(scan, "chkGS_PTT_EXIT"));
    EXPECT_EQ(memo->toPlainText(),
              "Transmit on Priority Channel if PTT pressed while scanning or holding in Group Scan");
    Finish(scan, Press::Cancel);
}

} // namespace

namespace {

TEST_F(ScanTest, TabVisitsEachChannelFamilyBeforeItsButtonsAndOkCancelLast)
{
    Show(scan);
    const QStringList chain = TabChain(scan);
    ASSERT_NO_FATAL_FAILURE(ExpectInOrder(chain, {"cmbPriChkRate", "chkDup1", "chkDup8", "btnDupSelectAll", "chkOs1",
                                                  "chkOs40", "btnOsSelectAll", "rbGS2", "chkGs1", "chkGs40",
                                                  "btnGsDeselectAll", "OKBtn", "CancelBtn"}));
    EXPECT_EQ(chain.last(), "CancelBtn");
    Finish(scan, Press::Cancel);
}

} // namespace
