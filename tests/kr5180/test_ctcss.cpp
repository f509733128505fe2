// The CTCSS editor on the editor fixture.
#include "editor_fixture.h"

#include "ctcss.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

namespace {

class CtcssTest : public k5test::EditorTest {
protected:
    QComboBox* ToneSet() { return Child<QComboBox>(ctcss, "cbCTCSSToneSet"); }
    QComboBox* Tone() { return Child<QComboBox>(ctcss, "cmbTxCtcss"); }
    QCheckBox* Box(const char* name) { return Child<QCheckBox>(ctcss, name); }
    QCheckBox* Silent(int n) { return Child<QCheckBox>(ctcss, QStringLiteral("chkCtcss%1").arg(n).toLatin1().constData()); }
    TfrmCtcss ctcss;
};

TEST_F(CtcssTest, ToneListsNameTheirPositions)
{
    image.SetByte(38, 0x00);
    image.SetByte(56, 25);
    Run(ctcss, [&] {
        ASSERT_EQ(Tone()->count(), 51);
        EXPECT_EQ(Tone()->itemText(0), "CTCSS 0 - OFF");
        EXPECT_EQ(Tone()->itemText(50), "CTCSS 50 - 254.1 Hz");
        EXPECT_EQ(Tone()->currentText(), "CTCSS 25 - 151.4 Hz");
        ToneSet()->setCurrentIndex(1);
        ASSERT_EQ(Tone()->count(), 39);
        EXPECT_EQ(Tone()->itemText(38), "CTCSS 38 - 250.3 Hz");
        EXPECT_EQ(Tone()->currentText(), "CTCSS 24 - 151.4 Hz");
    }, Press::Cancel);
}

TEST_F(CtcssTest, SwitchingToTheFiftyToneSetKeepsTheTone)
{
    image.SetByte(38, 0x41);
    image.SetByte(56, 2);
    Run(ctcss, [&] {
        EXPECT_EQ(ToneSet()->currentText(), "CTCSS 1-38");
        EXPECT_EQ(Tone()->currentText(), "CTCSS 2 - 71.9 Hz");
        ToneSet()->setCurrentIndex(0);
        EXPECT_EQ(Tone()->currentText(), "CTCSS 3 - 71.9 Hz");
    }, Press::OK);
    EXPECT_EQ(Byte(56), 3);
    EXPECT_EQ(Byte(57), 3);
    EXPECT_EQ(Byte(38), 0x01);
}

TEST_F(CtcssTest, SwitchingToCcirFallsBackToOffForAToneItLacks)
{
    image.SetByte(38, 0x01);
    image.SetByte(56, 2); // 69.4 Hz
    Run(ctcss, [&] {
        ToneSet()->setCurrentIndex(1);
        EXPECT_EQ(Tone()->currentText(), "CTCSS 0 - OFF");
    }, Press::OK);
    EXPECT_EQ(Byte(56), 0);
    EXPECT_EQ(Byte(57), 0);
    EXPECT_EQ(Byte(38), 0x41);
}

TEST_F(CtcssTest, ToneOutsideTheListIsKeptAsNoneAndByte57FollowsByte56)
{
    image.SetByte(38, 0x41);
    image.SetByte(56, 0xFF);
    image.SetByte(57, 0x12);
    Run(ctcss, [&] {
        EXPECT_EQ(Tone()->currentIndex(), -1);
        ToneSet()->setCurrentIndex(0); // none stays none in the 50-tone set
        EXPECT_EQ(Tone()->currentIndex(), -1);
        ToneSet()->setCurrentIndex(1); // and becomes OFF in the CCIR set
        EXPECT_EQ(Tone()->currentIndex(), 0);
        Tone()->setCurrentIndex(-1);
    }, Press::OK);
    EXPECT_EQ(Byte(56), 0xFF);
    EXPECT_EQ(Byte(57), 0xFF);

    image.SetByte(38, 0x01);
    Run(ctcss, [&] { Tone()->setCurrentIndex(44); }, Press::OK);
    EXPECT_EQ(Byte(56), 44);
    EXPECT_EQ(Byte(57), 44);
}

TEST_F(CtcssTest, EnableRuleDisablesTheSilentBoxesItMust)
{
    image.SetByte(38, 0x01 | 0x04); // enabled, not on duplex channels
    Run(ctcss, [&] {
        EXPECT_FALSE(Box("chkCtcssOnDup")->isChecked());
        for (int n : {1, 8})
            EXPECT_FALSE(Silent(n)->isEnabled()) << n;
        EXPECT_TRUE(Silent(9)->isEnabled());
        Box("chkCtcssOnDup")->click();
        EXPECT_TRUE(Silent(1)->isEnabled());
    }, Press::Cancel);

    image.SetByte(38, 0x01 | 0x02); // channels 5 and 35 without CTCSS
    Run(ctcss, [&] {
        EXPECT_FALSE(Silent(5)->isEnabled());
        EXPECT_FALSE(Silent(35)->isEnabled());
        EXPECT_TRUE(Silent(6)->isEnabled());
        Button(ctcss, "btnCtcssSelectAll")->click();
        EXPECT_FALSE(Silent(35)->isEnabled());
        Box("chkEnableCbCtcss")->click();
        for (int n : {6, 40})
            EXPECT_FALSE(Silent(n)->isEnabled()) << n;
        EXPECT_FALSE(Tone()->isEnabled());
    }, Press::OK);
    // Every box was selected, the disabled ones too; the silent bits of 41..60 stay.
    for (int a = 88; a <= 92; ++a)
        EXPECT_EQ(Byte(a), 0xFF) << a;
    EXPECT_EQ(Byte(38), 0x02);
}

TEST_F(CtcssTest, OkStoresOnlyTheCtcssBitsAndBytes)
{
    const Bytes before = Snapshot();
    image.SetByte(38, 0x00);
    image.SetByte(56, 7);
    const Bytes loaded = Snapshot();
    Run(ctcss, [&] {
        Box("chkEnableCbCtcss")->click();
        for (const char* name : {"chkCtcssNb", "chkBusyLockoutOverride", "chkBusyLockout"})
            Box(name)->click();
        Silent(40)->setChecked(!Silent(40)->isChecked());
    }, Press::OK);
    EXPECT_EQ(Byte(38), 0x01 | 0x08 | 0x10 | 0x20);
    EXPECT_EQ(Byte(92), loaded[92] ^ 0x80);
    EXPECT_EQ(Byte(57), 7);
    for (int a : {34, 35, 36, 37, 39, 93, 94, 95})
        EXPECT_EQ(Byte(a), before[a]) << a;
    EXPECT_EQ(Changed(loaded), (std::vector<int>{38, 57, 92}));
}

TEST_F(CtcssTest, CancelAndCloseBoxLeaveTheImage)
{
    ExpectCancelKeepsImage(ctcss, [&] {
        ToneSet()->setCurrentIndex(ToneSet()->currentIndex() == 0 ? 1 : 0);
        Button(ctcss, "btnCtcssDeselectAll")->click();
        Box("chkEnableCbCtcss")->click();
    });
}

} // namespace

namespace {

TEST_F(CtcssTest, TabVisitsTheSilentBoxesBeforeTheirButtonsAndOkCancelLast)
{
    Show(ctcss);
    const QStringList chain = TabChain(ctcss);
    ASSERT_NO_FATAL_FAILURE(
        ExpectInOrder(chain, {"cmbTxCtcss", "chkCtcss1", "chkCtcss40", "btnCtcssSelectAll", "OKBtn", "CancelBtn"}));
    EXPECT_EQ(chain.last(), "CancelBtn");
    Finish(ctcss, Press::Cancel);
}

} // namespace
