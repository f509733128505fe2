#include "chanlist.h"

#include <platform/msgbox.h>

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <array>

namespace kr72chan {

namespace {
// Tones in tenths of a hertz, in code order.
constexpr std::array<int, CtcssToneCount> ToneTenths = {
    670,  694,  719,  744,  770,  797,  825,  854,  885,  915,  948,  974,  1000, 1035, 1072, 1109, 1148,
    1188, 1230, 1273, 1318, 1365, 1413, 1462, 1514, 1567, 1598, 1622, 1655, 1679, 1713, 1738, 1773, 1799,
    1835, 1862, 1899, 1928, 1966, 1995, 2035, 2065, 2107, 2181, 2257, 2291, 2336, 2418, 2503, 2541,
};
const QString OffText = QStringLiteral("Code 00 - Off");
} // namespace

bool GetChannelBit(const TRadioImage& image, int index, int base)
{
    return image.GetMapBit(base, index);
}

void SetChannelBit(TRadioImage& image, int index, int base, std::uint8_t flag)
{
    image.SetMapBit(base, index, flag == 1);
}

QString CtcssCodeToText(unsigned code)
{
    if (code >= unsigned(CtcssToneCount))
        return OffText;
    const int t = ToneTenths[code];
    return QStringLiteral("Code %1 - %2.%3Hz").arg(int(code) + 1, 2, 10, QLatin1Char('0')).arg(t / 10).arg(t % 10);
}

int CtcssTextToCode(const QString& text)
{
    for (int c = 0; c < CtcssToneCount; ++c)
        if (text == CtcssCodeToText(unsigned(c)))
            return c;
    return CtcssOff;
}

QStringList CtcssToneList()
{
    QStringList list{OffText};
    for (int c = 0; c < CtcssToneCount; ++c)
        list << CtcssCodeToText(unsigned(c));
    return list;
}

QString FrequencyText(std::int32_t word)
{
    // word x 0.0125 MHz = word x 125 units of 0.0001 MHz.
    std::int64_t units = std::int64_t(word) * 125;
    const QString sign = units < 0 ? QStringLiteral("-") : QString();
    if (units < 0)
        units = -units;
    return QStringLiteral("%1%2.%3")
        .arg(sign)
        .arg(units / 10000, 3, 10, QLatin1Char('0'))
        .arg(units % 10000, 4, 10, QLatin1Char('0'));
}

std::optional<int> ParseFrequency(const QString& text)
{
    if (text.size() < 8 || text[3] != QLatin1Char('.'))
        return std::nullopt;
    int units = 0;
    for (int i = 0; i < 8; ++i) {
        if (i == 3)
            continue;
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        units = units * 10 + (c - u'0');
    }
    return units;
}

QStringList ChannelListItems(const TRadioImage& image)
{
    QStringList items;
    for (int i = 0; i < kr72map::CbChannelCount; ++i)
        items << kr72map::ChannelName(i);
    for (int n = kr72map::SpareFirst; n <= kr72map::SpareLast; ++n)
        if (image.SparePresent(n))
            items << kr72map::ChannelName(n - 1);
    return items;
}

} // namespace kr72chan

// ---------------------------------------------------------------- channel pick list

TChannelCombo::TChannelCombo(QComboBox* combo) : QObject(combo), combo_(combo)
{
    combo_->setEditable(true);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    combo_->setCompleter(nullptr);
    combo_->installEventFilter(this);
    if (QLineEdit* edit = combo_->lineEdit())
        edit->installEventFilter(this);
}

void TChannelCombo::Fill(const TRadioImage& image, int index)
{
    combo_->clear();
    combo_->addItems(kr72chan::ChannelListItems(image));
    const int row = combo_->findText(kr72map::ChannelName(index), Qt::MatchExactly | Qt::MatchCaseSensitive);
    combo_->setCurrentIndex(row >= 0 ? row : 0);
    combo_->setEditText(combo_->itemText(combo_->currentIndex()));
}

std::optional<int> TChannelCombo::Index() const
{
    const QString text = combo_->currentText();
    const QString number = text.mid(3, 2);
    auto digit = [](QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; };
    if (number.size() != 2 || !digit(number[0]) || !digit(number[1]))
        return std::nullopt;
    for (int i = 0; i < combo_->count(); ++i)
        if (combo_->itemText(i).mid(3, 2) == number)
            return number.toInt() - 1;
    return std::nullopt;
}

std::optional<int> TChannelCombo::CheckedIndex() const
{
    const std::optional<int> index = Index();
    if (!index) {
        platform::MessageBox(QStringLiteral("\"%1\" is not a channel in the list.\nPlease pick a channel from the list.")
                                 .arg(combo_->currentText()),
                             "Invalid Channel", platform::MB_ICONHAND);
        combo_->setFocus();
    }
    return index;
}

bool TChannelCombo::eventFilter(QObject* watched, QEvent* event)
{
    // Typed characters are dropped; keys without text (arrows, the drop-down) and the
    // dialog's own keys still work.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            break;
        default:
            if (!key->text().isEmpty())
                return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
