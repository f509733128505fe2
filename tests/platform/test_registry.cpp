// Per-user settings stored as INI files under the configuration folder.
#include <gtest/gtest.h>

#include <platform/registry.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdlib>
#include <string>

using platform::TRegistry;

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        const char* old = std::getenv("XDG_CONFIG_HOME");
        hadOld = old != nullptr;
        if (old)
            oldValue = old;
        setenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit().constData(), 1);
    }
    void TearDown() override
    {
        if (hadOld)
            setenv("XDG_CONFIG_HOME", oldValue.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
    }
    QTemporaryDir dir;
    bool hadOld = false;
    std::string oldValue;
};

} // namespace

TEST_F(RegistryTest, KeyPathNamesFolderFileAndGroup)
{
    EXPECT_EQ(TRegistry::FileForKey("\\Navar\\kr5480\\Port"), dir.path() + "/Navar/kr5480.ini");
    EXPECT_EQ(TRegistry::FileForKey("\\Navar\\kr7260"), dir.path() + "/Navar/kr7260.ini");
    EXPECT_TRUE(TRegistry::FileForKey("\\Navar").isEmpty());
    EXPECT_TRUE(TRegistry::FileForKey("").isEmpty());
    EXPECT_TRUE(TRegistry::FileForKey("\\Navar\\..\\x").isEmpty());
}

TEST_F(RegistryTest, MissingKeyIsNotOpenedWithoutCreate)
{
    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists("\\Navar\\kr5480\\Port"));
    EXPECT_FALSE(reg.OpenKey("\\Navar\\kr5480\\Port", false));
    EXPECT_FALSE(reg.OpenKey("\\Navar", true));
    int v = 5;
    EXPECT_FALSE(reg.ReadInteger("Port", v));
    EXPECT_EQ(v, 5);
}

TEST_F(RegistryTest, RoundTripThroughTheIniFile)
{
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("\\Navar\\kr5480\\Port", true));
        int v = 77;
        EXPECT_FALSE(reg.ValueExists("Port"));
        EXPECT_FALSE(reg.ReadInteger("Port", v));
        EXPECT_EQ(v, 77);
        EXPECT_TRUE(reg.WriteInteger("Port", 3));
        EXPECT_TRUE(reg.WriteInteger("Baud", -9600));
        reg.CloseKey();
    }
    const QString file = dir.path() + "/Navar/kr5480.ini";
    ASSERT_TRUE(QFileInfo::exists(file));
    QSettings raw(file, QSettings::IniFormat);
    EXPECT_EQ(raw.value("Port/Port").toInt(), 3);

    TRegistry reg;
    EXPECT_TRUE(reg.KeyExists("\\Navar\\kr5480\\Port"));
    EXPECT_FALSE(reg.KeyExists("\\Navar\\kr5480\\Other"));
    ASSERT_TRUE(reg.OpenKey("\\Navar\\kr5480\\Port", false));
    int v = 0;
    EXPECT_TRUE(reg.ValueExists("Port"));
    EXPECT_TRUE(reg.ReadInteger("Port", v));
    EXPECT_EQ(v, 3);
    EXPECT_TRUE(reg.ReadInteger("Baud", v));
    EXPECT_EQ(v, -9600);
}

TEST_F(RegistryTest, NonIntegerValueFailsToRead)
{
    ASSERT_TRUE(QDir().mkpath(dir.path() + "/Navar"));
    QFile f(dir.path() + "/Navar/kr5480.ini");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Port]\nPort=abc\nList=1,2\nEmpty=\nHex=0x10\nGood=12\n");
    f.close();

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Navar\\kr5480\\Port", false));
    for (const char* name : {"Port", "List", "Empty", "Hex"}) {
        int v = 41;
        EXPECT_TRUE(reg.ValueExists(name)) << name;
        EXPECT_FALSE(reg.ReadInteger(name, v)) << name;
        EXPECT_EQ(v, 41) << name;
    }
    int v = 0;
    EXPECT_TRUE(reg.ReadInteger("Good", v));
    EXPECT_EQ(v, 12);
}
