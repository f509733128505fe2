// The memory image: accessors, receive-only channels, six-bit text, bit arrays and files.
#include "array.h"
#include "eeprom.h"

#include "support/disk_full.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <vector>

namespace {

std::vector<std::uint8_t> Contents(EEbuffer& b)
{
    std::vector<std::uint8_t> out(static_cast<std::size_t>(b.GetSize()));
    b.CopyOut(0, out.data(), b.GetSize());
    return out;
}

void Pattern(EEbuffer& b, int seed)
{
    for (int i = 0; i < b.GetSize(); ++i)
        b.SetByte(i, i * 7 + seed);
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

} // namespace

TEST(EEbuffer, AccessorsCheckBoundsAndWordsAreBigEndianAtEvenAddresses)
{
    EEPROM e;
    ASSERT_EQ(Contents(e), std::vector<std::uint8_t>(256, 0xFF));
    EXPECT_EQ(e.SetByte(-1, 0x12), -1);
    EXPECT_EQ(e.SetByte(256, 0x12), -1);
    EXPECT_EQ(e.GetByte(256), -1);
    EXPECT_EQ(e.GetByte(-1), -1);
    EXPECT_EQ(Contents(e), std::vector<std::uint8_t>(256, 0xFF));
    EXPECT_EQ(e.SetByte(7, 0x1234), 0); // low 8 bits
    EXPECT_EQ(e.GetByte(7), 0x34);

    e.SetByte(22, 0x12);
    e.SetByte(23, 0x34);
    EXPECT_EQ(e.GetWord(23), 0x1234);
    EXPECT_EQ(e.GetWord(22), 0x1234);
    EXPECT_EQ(e.SetWord(255, 0xABCD), 0); // stored at 254, 255
    EXPECT_EQ(e.GetByte(254), 0xAB);
    EXPECT_EQ(e.GetByte(255), 0xCD);
    EXPECT_EQ(e.GetWord(255), 0xABCD);
    EXPECT_EQ(e.GetWord(256), -1);
    EXPECT_EQ(e.SetWord(256, 0), -1);
    EXPECT_EQ(e.SetWord(100, 0x12345), 0); // only 16 bits kept
    EXPECT_EQ(e.GetWord(100), 0x2345);

    // In an odd-sized buffer the last even address has no low byte.
    EEbuffer odd(5);
    EXPECT_EQ(odd.GetWord(4), -1);
    EXPECT_EQ(odd.SetWord(4, 0x1111), -1);
}

TEST(EEbuffer, BlockCopiesStopAtTheEnd)
{
    EEPROM e;
    int values[16];
    for (int i = 0; i < 16; ++i)
        values[i] = 0x100 + i; // only the low byte is stored
    EXPECT_EQ(e.StoreInts(248, values, 16), 8);
    EXPECT_EQ(e.GetByte(248), 0x00);
    EXPECT_EQ(e.GetByte(255), 0x07);
    EXPECT_EQ(e.GetByte(247), 0xFF);

    std::uint8_t out[16];
    std::fill(std::begin(out), std::end(out), 0xAA);
    EXPECT_EQ(e.CopyOut(248, out, 16), 8);
    EXPECT_EQ(out[7], 0x07);
    EXPECT_EQ(out[8], 0xAA);
    // A negative position copies nothing instead of reading before the buffer.
    EXPECT_EQ(e.CopyOut(-16, out, 16), 0);
    EXPECT_EQ(e.StoreInts(-16, values, 16), 0);
}

TEST(EEPROM, ReceiveOnlyChannels)
{
    EEPROM e;
    RX_CH_DATA_STRUCT rec;
    e.SetWord(ee::RxChannels, 38118);
    ASSERT_EQ(e.GetRxChannel(0, &rec), 0);
    EXPECT_EQ(rec.frequency, 476475000);
    e.SetWord(ee::RxChannels, 0xFFFF); // not in use
    ASSERT_EQ(e.GetRxChannel(0, &rec), 0);
    EXPECT_EQ(rec.frequency, 0);

    // Channel 60 is the last word of the image; the tag is never read from beyond it.
    e.SetWord(254, 0xFFFE);
    rec.tag = "stale";
    ASSERT_EQ(e.GetRxChannel(19, &rec), 0);
    EXPECT_EQ(rec.frequency, 0xFFFE * 12500);
    EXPECT_EQ(rec.tag, "");
    EXPECT_EQ(e.GetRxChannel(20, &rec), -1);
    EXPECT_EQ(e.GetRxChannel(-1, &rec), -1);
}

TEST(EEPROM, SixBitTextAndBitArrays)
{
    EXPECT_EQ(EEPROM::UnpackText6(0), "     ");
    EXPECT_EQ(EEPROM::UnpackText6(0x3FFFFFFF), "_____");
    EXPECT_EQ(EEPROM::UnpackText6(0xFFFFFFFF), "_____"); // top two bits ignored
    EXPECT_EQ(EEPROM::UnpackText6(32u << 24), "");
    // "AB" then a terminator: the rest is not shown.
    EXPECT_EQ(EEPROM::UnpackText6((33u << 24) | (34u << 18) | (32u << 12) | (35u << 6) | 36u), "AB");
    const unsigned int hello = (40u << 24) | (37u << 18) | (44u << 12) | (44u << 6) | 47u;
    EXPECT_EQ(EEPROM::UnpackText6(hello), "HELLO");

    EEPROM e;
    e.SetWord(100, static_cast<int>(hello >> 16));
    e.SetWord(102, static_cast<int>(hello & 0xFFFF));
    EXPECT_EQ(e.GetAlphaTag(100), "HELLO");
    EXPECT_EQ(e.GetAlphaTag(254), ""); // second word past the image

    // Bit arrays: least significant bit first.
    std::uint8_t bytes[8] = {};
    SetBit(41, bytes); // receive-only channel 42
    EXPECT_EQ(bytes[5], 0x02);
    EXPECT_TRUE(TestBit(41, bytes));
    EXPECT_FALSE(TestBit(40, bytes));
    EXPECT_FALSE(TestBit(42, bytes));
    SetBit(63, bytes);
    EXPECT_EQ(bytes[7], 0x80);
    ClearBit(41, bytes);
    EXPECT_EQ(bytes[5], 0x00);
}

class EEPROMFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Path(const char* name) const { return dir.filePath(name); }
    int Save(EEbuffer& b, const char* name) { return b.SaveToFile(QFile::encodeName(Path(name)).constData()); }
    int Load(EEbuffer& b, const char* name) { return b.LoadFromFile(QFile::encodeName(Path(name)).constData()); }
    QStringList Files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }
    QTemporaryDir dir;
};

TEST_F(EEPROMFile, SaveAndLoadRoundTrip)
{
    EEPROM a, b;
    Pattern(a, 3);
    EXPECT_EQ(Save(a, "image.mem"), 256);
    EXPECT_EQ(ReadFile(Path("image.mem")).size(), 256);

    // Saving again replaces the file; no temporary file is left beside it.
    Pattern(a, 9);
    EXPECT_EQ(Save(a, "image.mem"), 256);
    EXPECT_EQ(Load(b, "image.mem"), 256);
    EXPECT_EQ(Contents(a), Contents(b));
    EXPECT_EQ(Files(), QStringList{"image.mem"});

    // Saving through a link updates the file it points at and keeps the link.
    ASSERT_TRUE(QFile::link(Path("image.mem"), Path("link.mem")));
    Pattern(a, 11);
    EXPECT_EQ(Save(a, "link.mem"), 256);
    EXPECT_TRUE(QFileInfo(Path("link.mem")).isSymLink());
    EXPECT_EQ(Load(b, "image.mem"), 256);
    EXPECT_EQ(Contents(a), Contents(b));
}

TEST_F(EEPROMFile, ShortLongEmptyAndMissingFiles)
{
    EEPROM e;
    WriteFile(Path("short.mem"), QByteArray(100, '\x11'));
    WriteFile(Path("long.mem"), QByteArray(256, '\x22') + QByteArray(44, '\x33'));
    WriteFile(Path("empty.mem"), QByteArray());

    e.Fill(0);
    EXPECT_EQ(Load(e, "short.mem"), 100);
    EXPECT_EQ(e.GetByte(99), 0x11);
    for (int i = 100; i < 256; ++i)
        ASSERT_EQ(e.GetByte(i), 0xFF) << i;
    EXPECT_EQ(Load(e, "long.mem"), 256);
    EXPECT_EQ(Contents(e), std::vector<std::uint8_t>(256, 0x22));
    EXPECT_EQ(Load(e, "empty.mem"), 0);
    EXPECT_EQ(Contents(e), std::vector<std::uint8_t>(256, 0xFF));

    // Missing files and directories leave the image as it was.
    Pattern(e, 5);
    const auto before = Contents(e);
    EXPECT_EQ(Load(e, "missing.mem"), -1);
    EXPECT_EQ(Load(e, ""), -1); // the folder itself
    EXPECT_EQ(e.LoadFromFile(""), -1);
    EXPECT_EQ(e.LoadFromFile(nullptr), -1);
    EXPECT_EQ(Contents(e), before);
}

TEST_F(EEPROMFile, FailedSaveKeepsThePreviousFile)
{
    EEPROM e;
    Pattern(e, 1);
    // The target is a directory: nothing is destroyed. The folder does not exist.
    ASSERT_TRUE(QDir(dir.path()).mkpath("sub/inner"));
    EXPECT_EQ(Save(e, "sub"), -1);
    EXPECT_TRUE(QDir(Path("sub/inner")).exists());
    EXPECT_EQ(Save(e, "nowhere/x.mem"), -1);

    // The disk fills up half-way through: the old file stays whole.
    const QByteArray old(256, '\x5A');
    WriteFile(Path("keep.mem"), old);
    int result = 0;
    {
        testsupport::DiskFull full(100);
        result = Save(e, "keep.mem");
    }
    EXPECT_EQ(result, -1);
    EXPECT_EQ(ReadFile(Path("keep.mem")), old);
    EXPECT_EQ(Files(), QStringList{"keep.mem"});
}
