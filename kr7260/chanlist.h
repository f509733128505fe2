// Channel and tone lists the KR7260 editors share: the bit accessors of the channel
// bitmaps, the CTCSS tone table, and the channel pick list ("CB 01".."CB 40", then
// "RX nn" for each spare channel that exists).
#pragma once

#include "radio_image.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

class QComboBox;

namespace kr72chan {

// Bit (index mod 16) of word base + index div 16 for an index 0..63; false otherwise.
bool GetChannelBit(const TRadioImage& image, int index, int base);
// Sets that bit when flag is exactly 1, clears it for any other flag; nothing for an
// index outside 0..63.
void SetChannelBit(TRadioImage& image, int index, int base, std::uint8_t flag);

// CTCSS tones: codes 0..49 are the 50 standard tones, 50 is off.
constexpr int CtcssToneCount = 50;
constexpr int CtcssOff = 50;
// "Code 01 - 67.0Hz" .. "Code 50 - 254.1Hz" for 0..49; "Code 00 - Off" for any other code.
QString CtcssCodeToText(unsigned code);
// The code whose text is exactly text (case and spaces count); 50 for any other text.
int CtcssTextToCode(const QString& text);
// "Code 00 - Off", then the 50 tone texts in code order.
QStringList CtcssToneList();

// Spare channel frequencies: the word counts 12.5 kHz steps (MHz = word / 80).
// "470.0125" for word 37601: three integer digits, four decimals, exact.
QString FrequencyText(std::int32_t word);
// The frequency in units of 0.0001 MHz of a text whose first eight characters are
// three digits, a point and four digits ("476.4125Mhz" gives 4764125); nothing when a
// position is blank or not a digit.
std::optional<int> ParseFrequency(const QString& text);
// The word of a frequency in units of 0.0001 MHz: whole steps, rounded down.
constexpr std::int32_t FrequencyWord(int tenThousandths) { return std::int32_t(std::int64_t(tenThousandths) * 8 / 1000); }

// The channel pick list of the image: the 40 CB channels, then the spare channels that exist.
QStringList ChannelListItems(const TRadioImage& image);

} // namespace kr72chan

// A drop-down channel pick list. Typed keys are discarded, so the text changes by
// picking an item; a pasted text is checked on OK.
class TChannelCombo : public QObject {
    Q_OBJECT
public:
    explicit TChannelCombo(QComboBox* combo);

    QComboBox* combo() const { return combo_; }

    // Lists the channels of image and shows channel index; an index that is not listed
    // shows the first item.
    void Fill(const TRadioImage& image, int index);
    // The index the text names: the number in characters 4 and 5, minus 1, when a
    // listed item has that number.
    std::optional<int> Index() const;
    // Index(); for a text that names no listed channel, a message box, the focus on
    // the combo and nothing.
    std::optional<int> CheckedIndex() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QComboBox* combo_;
};
