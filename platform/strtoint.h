// Integer conversion as the platform does it, and its conversion errors.
#pragma once

#include <QString>
#include <stdexcept>

namespace platform {

// Raised for a text that is not a number of the kind asked for.
class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const QString& message);
    QString message() const;
};

// The error of a rejected decimal number: "'<text>' is not a valid floating point value".
EConvertError NotAFloat(const QString& text);

// Optional leading blanks and sign, then decimal, or hexadecimal after "$", "x", "X", "0x", "0X".
// Out of 32-bit range or anything else throws EConvertError: "'<text>' is not a valid
// integer value".
int StrToInt(const QString& text);
// As StrToInt, returning def instead of throwing.
int StrToIntDef(const QString& text, int def);

} // namespace platform
