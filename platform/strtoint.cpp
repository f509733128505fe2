#include <platform/strtoint.h>

#include <cstdint>

namespace platform {

EConvertError::EConvertError(const QString& message) : std::runtime_error(message.toStdString()) {}

QString EConvertError::message() const
{
    return QString::fromStdString(what());
}

namespace {

// The platform's conversion; false for anything it rejects.
bool convert(const QString& text, int& result)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    bool hex = false;
    if (i < n && text[i] == QLatin1Char('$')) {
        hex = true;
        ++i;
    } else if (i < n && (text[i] == QLatin1Char('x') || text[i] == QLatin1Char('X'))) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == QLatin1Char('0') && (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X'))) {
        hex = true;
        i += 2;
    }
    if (i >= n)
        return false;

    std::uint64_t value = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (hex && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (hex && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return false;
        value = value * (hex ? 16 : 10) + digit;
        if (value > 0xFFFFFFFFull)
            return false;
    }
    if (hex) {
        // Hexadecimal covers the full 32 bits, as a two's-complement pattern.
        std::uint32_t bits = static_cast<std::uint32_t>(value);
        if (negative)
            bits = 0u - bits;
        result = static_cast<std::int32_t>(bits);
        return true;
    }
    if (negative) {
        if (value > 2147483648ull)
            return false;
        result = static_cast<int>(-static_cast<std::int64_t>(value));
    } else {
        if (value > 2147483647ull)
            return false;
        result = static_cast<int>(value);
    }
    return true;
}

} // namespace

EConvertError NotAFloat(const QString& text)
{
    return EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

int StrToInt(const QString& text)
{
    int value = 0;
    if (!convert(text, value))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

int StrToIntDef(const QString& text, int def)
{
    int value = 0;
    return convert(text, value) ? value : def;
}

} // namespace platform
