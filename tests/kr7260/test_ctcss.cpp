// The CTCSS window on the editor fixture: tones, option bits, the silent memory boxes
// and the hidden boxes of channels 5 and 35.
#include "editor_fixture.h"

#include "ctcss.h"

#include <platform/msgbox.h>
#include <widgets/channelchecks.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTextEdit>

namespace {

using k7test::EditorTest;
using testsupport::MessageBoxResponder;

class CtcssTest : public EditorTest {
protected:
    TfrmCtcss ctcss;
};

TEST_F(CtcssTest, TonesOutsideTheTableShowOffAndStoreFifty)
{
    for (int code : {50, 255}) {
        image.Set(21, (code << 8) | 12);
        Run(ctcss, [&] {
            EXPECT_EQ(ctcss.cmbRxCtcss->currentText(), "Code 13 - 100.0Hz");
            EXPECT_EQ(ctcss.cmbTxCtcss->currentText(), "Code 00 - Off");
        }, Press::OK);
        EXPECT_EQ(image.Get(21), 0x320C);
    }
    Run(ctcss, [&] {
        ctcss.cmbRxCtcss->setCurrentIndex(0); // "Code 00 - Off"
        ctcss.cmbTxCtcss->setCurrentIndex(50); // "Code 50 - 254.1Hz"
    }, Press::OK);
    EXPECT_EQ(image.Get(21), 0x3132);
}

TEST_F(CtcssTest, TypedToneThatMatchesNothingIsRefused)
{
    FillPattern();
    const TRadioImage::Words before = image.Snapshot();
    MessageBoxResponder boxes;
    boxes.expect(platform::IDOK);
    Show(ctcss);
    ctcss.Silent->SelectAll();
    ctcss.cmbTxCtcss->setEditText("code 01 - 67.0hz");
    ctcss.OKBtn->click();
    EXPECT_TRUE(ctcss.isVisible());
    EXPECT_TRUE(Changed(before).empty());
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].caption, "Invalid CTCSS Tone");
    ctcss.cmbTxCtcss->setEditText("Code 01 - 67.0Hz");
    Finish(ctcss, Press::OK);
    EXPECT_EQ((image.Get(21) >> 8) & 0xFF, 0);
}

TEST_F(CtcssTest, ChannelsFiveAndThirtyFiveFollowWordFourBitTwo)
{
    image.Set(4, 0x0001);
    image.Set(39, 0x0010); // box 5 checked while hidden
    image.Set(41, 0xA504); // box 35 checked; spare channels' byte above
    Show(ctcss);
    EXPECT_TRUE(ctcss.Silent->Box(5)->isHidden());
    EXPECT_TRUE(ctcss.Silent->Box(35)->isHidden());
    EXPECT_FALSE(ctcss.Silent->Box(4)->isHidden());
    EXPECT_TRUE(ctcss.Silent->Checked(5) && ctcss.Silent->Checked(35));
    ctcss.btnCtcssSelectAll->click();
    EXPECT_FALSE(ctcss.Silent->Checked(5) || ctcss.Silent->Checked(35));
    EXPECT_EQ(ctcss.Silent->Bits(), 0xFFFFFFFFFFull & ~((1ull << 4) | (1ull << 34)));
    Finish(ctcss, Press::OK);
    EXPECT_EQ(image.Get(39), 0xFFEF);
    EXPECT_EQ(image.Get(40), 0xFFFF);
    EXPECT_EQ(image.Get(41), 0xA5FB);
    EXPECT_EQ(image.Get(4), 0x0001);

    image.Set(4, 0x0003);
    Run(ctcss, [&] {
        EXPECT_FALSE(ctcss.Silent->Box(5)->isHidden() || ctcss.Silent->Box(35)->isHidden());
        ctcss.btnCtcssDeselectAll->click();
        ctcss.btnCtcssSelectAll->click();
        EXPECT_EQ(ctcss.Silent->Bits(), 0xFFFFFFFFFFull);
    }, Press::OK);
    EXPECT_EQ(image.Get(41), 0xA5FF);
    EXPECT_EQ(image.Get(4), 0x0003);
}

TEST_F(CtcssTest, DisabledCtcssKeepsAndStoresTheValues)
{
    FillPattern();
    image.Set(4, 0x1234 | 0x0020 | 0x0080 | 0x0008); // off, busy lockout, edit, override
    image.Set(21, 0x0705);
    const TRadioImage::Words before = image.Snapshot();
    Run(ctcss, [&] {
        EXPECT_FALSE(ctcss.chkEnableCbCtcss->isChecked());
        EXPECT_FALSE(ctcss.cmbRxCtcss->isEnabled() || ctcss.chkEnableCtcssEdit->isEnabled());
        EXPECT_FALSE(ctcss.Silent->Box(12)->isEnabled() || ctcss.btnCtcssSelectAll->isEnabled());
        EXPECT_TRUE(ctcss.chkBlOverideEnable->isEnabled()); // follows busy lockout alone
        ctcss.chkEnableCbCtcss->click();
        EXPECT_TRUE(ctcss.cmbRxCtcss->isEnabled() && ctcss.Silent->Box(12)->isEnabled());
        ctcss.chkCbBusyLockout->click();
        EXPECT_FALSE(ctcss.chkBlOverideEnable->isEnabled());
        ctcss.chkCbBusyLockout->click();
        ctcss.chkEnableCbCtcss->click();
        EXPECT_TRUE(ctcss.chkEnableCtcssEdit->isChecked());
        EXPECT_TRUE(ctcss.findChild<QCheckBox*>("chkCtcssOnDup")->isHidden());
    }, Press::OK);
    EXPECT_TRUE(Changed(before).empty()); // every value stored back as read
}

TEST_F(CtcssTest, ChannelBoxesHaveNoHelp)
{
    Show(ctcss);
    MouseMove(ctcss.chkCtcssNb);
    const QString nb = ctcss.HelpText->toPlainText();
    EXPECT_TRUE(nb.startsWith("Enables automatic shift"));
    MouseMove(ctcss.Silent->Box(20));
    MouseMove(ctcss.btnCtcssDeselectAll);
    EXPECT_EQ(ctcss.HelpText->toPlainText(), nb);
    MouseMove(ctcss.findChild<QWidget*>("gbCtcssMem"));
    EXPECT_EQ(ctcss.HelpText->toPlainText(), "Select from channels 1 - 40 for silent memory");
    Finish(ctcss, Press::Cancel);
}

TEST_F(CtcssTest, TabReachesTheChannelBoxesBeforeTheirButtons)
{
    image.Set(4, 0x0003);
    Show(ctcss);
    EXPECT_EQ(TabFrom(ctcss.cmbTxCtcss), ctcss.Silent->Box(1));
    EXPECT_EQ(TabFrom(ctcss.Silent->Box(40)), ctcss.btnCtcssSelectAll);
    Finish(ctcss, Press::Cancel);
}

} // namespace
