// The radio image: word access, channel bitmaps and the ".mem" file rules.
#include "radio_image.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using Status = TRadioImage::FileStatus;

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// An image whose every element differs and uses its upper half.
TRadioImage::Words patterned()
{
    TRadioImage::Words w{};
    for (int k = 0; k < 128; ++k)
        w[k] = std::int32_t(0x01000000u * std::uint32_t(k) + 0x00AB0000u + 0x0101u * std::uint32_t(k));
    w[5] = -1;
    w[6] = std::int32_t(0x80000000u);
    return w;
}

class ImageFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
};

TEST(RadioImage, WordAccessKeepsOtherBitsAndIgnoresBadAddresses)
{
    TRadioImage img;
    img.Set(1, 0x7F001234);
    img.SetHighByte(1, 0x40);
    EXPECT_EQ(img.Get(1), 0x7F004034);
    img.SetLowByte(1, 0x99);
    EXPECT_EQ(img.Get(1), 0x7F004099);

    img.Set(-1, 5);
    img.Set(128, 5);
    img.SetHighByte(128, 1);
    EXPECT_EQ(img.Get(128), 0);
    const auto all = img.Snapshot();
    for (int k = 0; k < 128; ++k)
        EXPECT_EQ(all[k], k == 1 ? 0x7F004099 : 0) << k;

    img.Modify(2, 0x00FF, 0x0A00);
    EXPECT_EQ(img.Get(2), 0x0A00);
}

TEST(RadioImage, ChannelBitmapsAndSpares)
{
    TRadioImage img;
    // CB 1 is bit 0 of the base word, CB 40 bit 7 of the third word, RX 41 bit 8 there.
    for (int ch : {0, 39, 40, 59, 64, -1}) // the last two are outside the 64 bits: ignored
        img.SetMapBit(kr72map::OpenScanBase, ch, true);
    EXPECT_EQ(img.Get(27), 0x0001);
    EXPECT_EQ(img.Get(29), 0x0180);
    img.SetMapBit(kr72map::OpenScanBase, 39, false);
    EXPECT_EQ(img.Get(29), 0x0100);
    EXPECT_EQ(img.Get(30), 0x0800);
    EXPECT_TRUE(img.GetMapBit(kr72map::OpenScanBase, 40));
    EXPECT_FALSE(img.GetMapBit(kr72map::OpenScanBase, 39));
    EXPECT_EQ(img.Get(31), 0); // the neighbouring bitmaps stay untouched
    EXPECT_EQ(img.Get(26), 0);

    EXPECT_EQ(kr72map::ChannelName(60), "");
    img.Set(107, 37200); // the spare frequency of RX 41
    EXPECT_TRUE(img.SparePresent(41));
    EXPECT_FALSE(img.SparePresent(40));
}

TEST_F(ImageFile, SaveThenLoadRestoresEveryElementExactly)
{
    TRadioImage a;
    a.Assign(patterned());
    ASSERT_EQ(a.SaveToFile(path("x.mem")), Status::Ok);
    const QByteArray bytes = readBytes(path("x.mem"));
    ASSERT_EQ(bytes.size(), 512);
    // Little-endian: element 1 = 0x01AB0101.
    EXPECT_EQ(std::uint8_t(bytes[4]), 0x01);
    EXPECT_EQ(std::uint8_t(bytes[6]), 0xAB);
    EXPECT_EQ(std::uint8_t(bytes[7]), 0x01);

    TRadioImage b;
    ASSERT_EQ(b.LoadFromFile(path("x.mem")), Status::Ok);
    EXPECT_EQ(b.Snapshot(), patterned());
    // No temporary file is left beside the target.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"x.mem"});
}

TEST_F(ImageFile, ShortFilesReplaceOnlyTheBytesTheyHoldLongOnesTheFirst512)
{
    const TRadioImage::Words before = patterned();

    writeBytes(path("empty.mem"), {});
    TRadioImage img;
    img.Assign(before);
    EXPECT_EQ(img.LoadFromFile(path("empty.mem")), Status::Ok);
    EXPECT_EQ(img.Snapshot(), before);

    writeBytes(path("100.mem"), QByteArray(100, '\x11'));
    EXPECT_EQ(img.LoadFromFile(path("100.mem")), Status::Ok);
    auto w = img.Snapshot();
    for (int k = 0; k < 25; ++k)
        EXPECT_EQ(w[k], 0x11111111) << k;
    for (int k = 25; k < 128; ++k)
        EXPECT_EQ(w[k], before[k]) << k;

    img.Assign(before);
    writeBytes(path("102.mem"), QByteArray(102, '\x22'));
    EXPECT_EQ(img.LoadFromFile(path("102.mem")), Status::Ok);
    w = img.Snapshot();
    EXPECT_EQ(w[24], 0x22222222);
    EXPECT_EQ(w[25], std::int32_t((std::uint32_t(before[25]) & 0xFFFF0000u) | 0x2222u));
    EXPECT_EQ(w[26], before[26]);

    writeBytes(path("long.mem"), QByteArray(512, '\x33') + QByteArray(88, '\x77'));
    EXPECT_EQ(img.LoadFromFile(path("long.mem")), Status::Ok);
    for (int k = 0; k < 128; ++k)
        EXPECT_EQ(img.Get(k), 0x33333333) << k;
}

TEST_F(ImageFile, FailedLoadChangesNothingFailedSaveKeepsThePreviousFile)
{
    TRadioImage img;
    img.Assign(patterned());
    EXPECT_EQ(img.LoadFromFile(path("none.mem")), Status::CannotOpen);
    EXPECT_EQ(img.LoadFromFile(dir.path()), Status::CannotOpen);
    EXPECT_EQ(img.Snapshot(), patterned());
    EXPECT_EQ(img.SaveToFile(path("nodir/x.mem")), Status::CannotOpen);
    EXPECT_EQ(img.SaveToFile(dir.path()), Status::CannotOpen);

    // A name at the length limit: the file exists, but no temporary file can be made
    // beside it, so the save fails before the old contents are touched.
    const QString longName = path(QString(250, QLatin1Char('m')));
    const QByteArray old(512, '\x5A');
    writeBytes(longName, old);
    EXPECT_NE(img.SaveToFile(longName), Status::Ok);
    EXPECT_EQ(readBytes(longName), old);
}

} // namespace
