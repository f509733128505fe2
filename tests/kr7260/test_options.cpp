// The radio options window on the editor fixture.
#include "editor_fixture.h"

#include "options.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QScrollBar>

namespace {

using k7test::EditorTest;

class OptionsTest : public EditorTest {
protected:
    TfrmOptions options;
};

TEST_F(OptionsTest, TimeOutOfZeroShowsAndStoresOne)
{
    FillPattern();
    image.Set(8, 0x5500);
    image.Set(2, 0x0A03);
    const TRadioImage::Words before = image.Snapshot();
    Run(options, [&] {
        EXPECT_EQ(options.hsbTot->value(), 1);
        EXPECT_EQ(options.lblTotValue->text(), "1 Seconds");
        EXPECT_EQ(options.cmbLastChannel->currentText(), "CB 04");
    }, Press::OK);
    EXPECT_EQ(image.Get(8), 0x5501); // page channel byte kept
    EXPECT_EQ(image.Get(2), 0x0A03);
    for (int w : Changed(before))
        EXPECT_TRUE(w == 3 || w == 4 || w == 5 || w == 8) << w;
}

TEST_F(OptionsTest, DisabledChannelSwitchAlsoDisablesScan)
{
    image.Set(5, 0x0000);
    image.Set(2, 0x0A00);
    Run(options, [&] {
        EXPECT_FALSE(options.cmbLastChannel->isEnabled());
        options.chkDisableChannel->click();
        EXPECT_TRUE(options.cmbLastChannel->isEnabled());
        EXPECT_FALSE(options.chkDisableScan->isEnabled());
        EXPECT_FALSE(options.chkDisableScan->isChecked());
        options.cmbLastChannel->setCurrentIndex(39);
    }, Press::OK);
    EXPECT_EQ(image.Get(5), 0x1100);
    EXPECT_EQ(image.Get(2), 0x0A27);
    Run(options, [&] { EXPECT_TRUE(options.chkDisableScan->isChecked()); }, Press::Cancel);
}

TEST_F(OptionsTest, HiddenScramblerBitsAndStaleFixedChannel)
{
    image.Set(4, 0x8800);
    image.Set(5, 0x0080);
    image.Set(2, 0x0A31); // 49: spare channel 50, absent
    Run(options, [&] {
        EXPECT_TRUE(options.gbScrambler->isHidden());
        EXPECT_TRUE(options.chkScramblerFitted->isChecked() && options.chkScrambleEmergency->isEnabled());
        EXPECT_TRUE(options.chkEnablePttCh22Ch23->isChecked());
        EXPECT_EQ(options.cmbLastChannel->currentText(), "CB 01");
    }, Press::OK);
    EXPECT_EQ(image.Get(4), 0x8800);
    EXPECT_EQ(image.Get(5), 0x0080);
    EXPECT_EQ(image.Get(2), 0x0A00);
}

TEST_F(OptionsTest, PttBoxHasNoHelpAndTheGroupsClearThePane)
{
    Show(options);
    MouseMove(options.chkTotEnabled);
    EXPECT_EQ(options.HelpText->toPlainText(), "Enable transmit time out timer operation.");
    MouseMove(options.chkEnablePttCh22Ch23); // no help of its own: the pane stays
    EXPECT_EQ(options.HelpText->toPlainText(), "Enable transmit time out timer operation.");
    MouseMove(options.findChild<QWidget*>("gbTelemetry"));
    EXPECT_EQ(options.HelpText->toPlainText(), "");
    Finish(options, Press::Cancel);
}

} // namespace
