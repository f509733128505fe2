#include "plainspinbox.h"

#include <algorithm>

namespace {

bool IsPlain(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') || c == QLatin1Char('+')
               || c == QLatin1Char(' ');
    });
}

} // namespace

QValidator::State TPlainSpinBox::validate(QString& text, int& pos) const
{
    if (!IsPlain(text))
        return QValidator::Invalid;
    return QSpinBox::validate(text, pos);
}

void TPlainSpinBox::fixup(QString& text) const
{
    // QSpinBox's fixup strips group separators; a plain text has none to strip.
    Q_UNUSED(text);
}
