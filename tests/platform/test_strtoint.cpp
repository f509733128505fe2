// Integer conversion as the platform converts.
#include <gtest/gtest.h>

#include <platform/strtoint.h>

using platform::EConvertError;
using platform::StrToInt;
using platform::StrToIntDef;

TEST(StrToInt, DecimalAndHexadecimalForms)
{
    EXPECT_EQ(StrToInt(" -5"), -5);
    EXPECT_EQ(StrToInt("   +17"), 17);
    EXPECT_EQ(StrToInt("007"), 7);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(StrToInt("$1F"), 31);
    EXPECT_EQ(StrToInt("0x1f"), 31);
    EXPECT_EQ(StrToInt("X10"), 16);
    EXPECT_EQ(StrToInt(" -$10"), -16);
    // Hexadecimal spans the whole 32-bit pattern.
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(StrToInt("$80000000"), -2147483647 - 1);
    EXPECT_EQ(StrToIntDef("$C", -1), 12);
    EXPECT_EQ(StrToIntDef("twelve", -1), -1);
}

TEST(StrToInt, RejectedTextsThrowWithTheOriginalText)
{
    for (const char* bad : {"1F", "", " ", "-", "$", "0x", "12 ", "1.5", "2147483648", "-2147483649",
                            "$100000000", "- 5", "--5", "$-1", "0x1G", "\t5", "99999999999999999999"}) {
        try {
            StrToInt(QString::fromLatin1(bad));
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(QLatin1String(bad)));
            EXPECT_STREQ(e.what(), e.message().toStdString().c_str());
        }
    }
    try {
        StrToInt("1F");
        FAIL();
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "'1F' is not a valid integer value");
    }
}
