// The shared channel and tone lists: channel bits, the CTCSS tone table, the exact
// frequency conversion and the channel pick list's check of a pasted text.
#include "chanlist.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

using namespace kr72chan;

TEST(ChannelBits, IndexMapsToWordAndBitAndNothingElseMoves)
{
    TRadioImage image;
    image.Set(29, 0x0100);
    EXPECT_TRUE(GetChannelBit(image, 40, 27)); // spare channel 41: bit 8 of word 29
    EXPECT_FALSE(GetChannelBit(image, 64, 27));
    const TRadioImage::Words before = image.Snapshot();
    SetChannelBit(image, 64, 27, 1);
    SetChannelBit(image, -1, 27, 1);
    EXPECT_EQ(image.Snapshot(), before);
    SetChannelBit(image, 63, 35, 1);
    EXPECT_EQ(image.Get(38), 0x8000);
    SetChannelBit(image, 63, 35, 2); // only exactly 1 sets
    EXPECT_EQ(image.Get(38), 0);
}

TEST(CtcssTones, TableTextsAndExactMatching)
{
    EXPECT_EQ(CtcssCodeToText(0), "Code 01 - 67.0Hz");
    EXPECT_EQ(CtcssCodeToText(12), "Code 13 - 100.0Hz");
    EXPECT_EQ(CtcssCodeToText(49), "Code 50 - 254.1Hz");
    EXPECT_EQ(CtcssCodeToText(50), "Code 00 - Off");
    EXPECT_EQ(CtcssCodeToText(255), "Code 00 - Off");
    for (unsigned c = 0; c < 50; ++c)
        EXPECT_EQ(CtcssTextToCode(CtcssCodeToText(c)), int(c));
    EXPECT_EQ(CtcssTextToCode("code 01 - 67.0hz"), 50);
    EXPECT_EQ(CtcssTextToCode("Code 00 - Off"), 50);
    EXPECT_EQ(CtcssToneList().size(), 51);
}

TEST(Frequency, StoredExactlyAsWholeStepsRoundedDown)
{
    auto word = [](const char* text) { return FrequencyWord(*ParseFrequency(text)); };
    EXPECT_EQ(word("476.4125Mhz"), 38113);
    EXPECT_EQ(word("470.0100Mhz"), 37600); // between steps: the lower one
    EXPECT_EQ(word("465.0250Mhz"), 37202);
    EXPECT_EQ(word("484.9999Mhz"), 38799);
    // Every step of the band comes back as itself.
    for (int w = 37200; w <= 38800; ++w)
        ASSERT_EQ(FrequencyWord(ParseFrequency(FrequencyText(w)).value_or(0)), w) << w;
    EXPECT_EQ(FrequencyText(37601), "470.0125");
    for (const char* bad : {"47 .0000Mhz", "47.0000Mhz", "470.00_0Mhz", "470,0000", "470.000", "4a0.0000"})
        EXPECT_FALSE(ParseFrequency(bad).has_value()) << bad;
}

TEST(ChannelCombo, PastedTextMustNameAListedChannel)
{
    TRadioImage image;
    image.Set(kr72map::SpareFreqWord(46), 37600);
    QComboBox box;
    TChannelCombo combo(&box);
    combo.Fill(image, 3);
    ASSERT_EQ(box.count(), 41);

    // Typed characters are dropped.
    QKeyEvent key(QEvent::KeyPress, Qt::Key_9, Qt::NoModifier, "9");
    QApplication::sendEvent(box.lineEdit(), &key);
    EXPECT_EQ(box.currentText(), "CB 04");

    box.setEditText("XY 05"); // the prefix is not consulted
    EXPECT_EQ(combo.Index(), 4);
    box.setEditText("CB 46");
    EXPECT_EQ(combo.Index(), 45);
    for (const char* bad : {"RX 47", "CB 00", "CB", "CB 5", "CB x5", ""}) {
        box.setEditText(bad);
        EXPECT_FALSE(combo.Index().has_value()) << bad;
    }
}

} // namespace
