// Per-user settings stored as INI files under the configuration folder.
#include <gtest/gtest.h>

#include <platform/registry.h>

#include "support/environment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using platform::TRegistry;

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QTemporaryDir dir;
    testsupport::ScopedEnv config{"XDG_CONFIG_HOME", dir.path().toLocal8Bit()};
};

} // namespace

TEST_F(RegistryTest, MissingKeyOrValueIsNotReadAndBadPathsAreRefused)
{
    EXPECT_EQ(TRegistry::FileForKey("\\Navar\\kr5480\\Port"), dir.path() + "/Navar/kr5480.ini");
    for (const char* bad : {"\\Navar", "", "\\Navar\\..\\x"})
        EXPECT_TRUE(TRegistry::FileForKey(bad).isEmpty()) << bad;

    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists("\\Navar\\kr5480\\Port"));
    EXPECT_FALSE(reg.OpenKey("\\Navar\\kr5480\\Port", false));
    EXPECT_FALSE(reg.OpenKey("\\Navar", true));
    ASSERT_TRUE(reg.OpenKey("\\Navar\\kr5480\\Port", true));
    int v = 77;
    EXPECT_FALSE(reg.ValueExists("Port"));
    EXPECT_FALSE(reg.ReadInteger("Port", v));
    EXPECT_EQ(v, 77);
}

TEST_F(RegistryTest, NonIntegerValuesFailToReadAndLeaveTheTarget)
{
    ASSERT_TRUE(QDir().mkpath(dir.path() + "/Navar"));
    QFile f(dir.path() + "/Navar/kr5480.ini");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Port]\nPort=abc\nList=1,2\nEmpty=\nHex=0x10\nGood=-12\n");
    f.close();

    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists("\\Navar\\kr5480\\Other"));
    ASSERT_TRUE(reg.OpenKey("\\Navar\\kr5480\\Port", false));
    for (const char* name : {"Port", "List", "Empty", "Hex"}) {
        int v = 41;
        EXPECT_TRUE(reg.ValueExists(name)) << name;
        EXPECT_FALSE(reg.ReadInteger(name, v)) << name;
        EXPECT_EQ(v, 41) << name;
    }
    int v = 0;
    EXPECT_TRUE(reg.ReadInteger("Good", v));
    EXPECT_EQ(v, -12);
}
