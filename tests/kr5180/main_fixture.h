// Shared set-up for the main window tests: a private settings folder and working
// directory, every COM port pointed at nothing unless a test maps it, and every
// message box answered by the test.
#pragma once

#include "eeprom.h"
#include "main.h"
#include "progress.h"
#include "radio.h"
#include "serialport.h"
#include "version.h"

#include "support/dialogs.h"
#include "support/environment.h"
#include "support/kr5180_sim.h"
#include "support/pty.h"

#include <platform/filedialog.h>
#include <platform/msgbox.h>
#include <platform/registry.h>

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace k5test {

using testsupport::Bytes;
using Box = testsupport::RecordedBox;

inline Bytes Pattern(int seed)
{
    Bytes b(256);
    for (int i = 0; i < 256; ++i)
        b[i] = static_cast<std::uint8_t>((i * 7 + seed * 31 + (i >> 4)) & 0xFF);
    return b;
}

inline Bytes ReadFileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray a = f.readAll();
    return Bytes(a.begin(), a.end());
}

inline void WriteFileBytes(const QString& path, const Bytes& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

// A recorded message box: text, caption and flags exactly.
inline void ExpectBox(const Box& box, const QString& text, const char* caption, unsigned flags)
{
    EXPECT_EQ(box.text.toStdString(), text.toStdString());
    EXPECT_EQ(box.caption.toStdString(), caption);
    EXPECT_EQ(box.flags, flags);
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(configDir.isValid());
        ASSERT_TRUE(workDir.isValid());
        config = std::make_unique<testsupport::ScopedEnv>("XDG_CONFIG_HOME", configDir.path().toLocal8Bit());
        oldCwd = QDir::currentPath();
        ASSERT_EQ(::chdir(workDir.path().toLocal8Bit().constData()), 0);
        maps.resize(9);
        for (int n = 1; n <= 8; ++n)
            mapPort(n, NoPort(n));
        savedEngineering = EngineeringBuild;
        EngineeringBuild = 0;
    }

    void TearDown() override
    {
        win.reset();
        sims.clear();
        platform::SetFileDialogHook({});
        EngineeringBuild = savedEngineering;
        if (::chdir(oldCwd.toLocal8Bit().constData()) != 0)
            ADD_FAILURE() << "cannot return to " << oldCwd.toStdString();
        config.reset();
        maps.clear();
    }

    std::string NoPort(int n) const { return (workDir.path() + QStringLiteral("/no-such-port-%1").arg(n)).toStdString(); }

    void mapPort(int n, const std::string& path)
    {
        maps[n].reset();
        maps[n] = std::make_unique<testsupport::ComMapping>(n, path);
    }

    // A simulated radio on COM n.
    testsupport::Kr5180Sim& addSim(int n)
    {
        sims.push_back(std::make_unique<testsupport::Kr5180Sim>());
        mapPort(n, sims.back()->slavePath());
        return *sims.back();
    }

    QString workPath(const QString& name) const { return QDir(workDir.path()).filePath(name); }

    void writeDefaultFile(const Bytes& bytes) { WriteFileBytes(workPath(QString::fromLatin1(DefaultMemFile)), bytes); }

    static void writeRegistry(int port, int baud)
    {
        platform::TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(QString::fromLatin1(PortRegistryKey), true));
        if (port != NoValue)
            reg.WriteInteger(QStringLiteral("ComPort"), port);
        if (baud != NoValue)
            reg.WriteInteger(QStringLiteral("BaudRate"), baud);
        reg.CloseKey();
    }

    static bool readRegistry(int& port, int& baud)
    {
        platform::TRegistry reg;
        if (!reg.OpenKey(QString::fromLatin1(PortRegistryKey), false))
            return false;
        const bool ok = reg.ReadInteger(QStringLiteral("ComPort"), port) && reg.ReadInteger(QStringLiteral("BaudRate"), baud);
        reg.CloseKey();
        return ok;
    }

    // replyTimeoutMs 0 keeps the port's own time-out; tests that provoke time-outs
    // shorten it to stay quick (each time-out costs the whole wait).
    TfrmMain* start(int replyTimeoutMs = 0)
    {
        win = std::make_unique<TfrmMain>();
        if (serialPort && replyTimeoutMs > 0)
            serialPort->SetReplyTimeout(replyTimeoutMs);
        return win.get();
    }

    // The default file holds fileBytes, a simulated radio on COM1 holds radioBytes, and the
    // main window starts (the caller checks that the port opened).
    testsupport::Kr5180Sim& startWithRadio(const Bytes& fileBytes, const Bytes& radioBytes, int replyTimeoutMs)
    {
        writeDefaultFile(fileBytes);
        testsupport::Kr5180Sim& sim = addSim(1);
        sim.setMemory(radioBytes);
        start(replyTimeoutMs);
        return sim;
    }

    static Bytes image()
    {
        Bytes b(256);
        eepromImage->CopyOut(0, b.data(), 256);
        return b;
    }

    static void setImage(const Bytes& bytes)
    {
        for (int i = 0; i < 256; ++i)
            eepromImage->SetByte(i, bytes[i]);
    }

    // Every file dialog from now on picks `path`.
    static void chooseFile(const QString& path)
    {
        platform::SetFileDialogHook([path](platform::TFileDialog& d) {
            d.FileName = path;
            return true;
        });
    }

    QPushButton* button(const char* name) const { return win->findChild<QPushButton*>(QString::fromLatin1(name)); }
    QAction* action(const char* name) const { return win->findChild<QAction*>(QString::fromLatin1(name)); }
    void click(const char* name) const
    {
        QPushButton* b = button(name);
        ASSERT_NE(b, nullptr) << name;
        b->click();
    }

    static constexpr int NoValue = -12345;

    QTemporaryDir configDir;
    QTemporaryDir workDir;
    QString oldCwd;
    std::unique_ptr<testsupport::ScopedEnv> config;
    int savedEngineering = 0;
    std::vector<std::unique_ptr<testsupport::ComMapping>> maps;
    testsupport::MessageBoxResponder boxes;
    std::vector<std::unique_ptr<testsupport::Kr5180Sim>> sims;
    std::unique_ptr<TfrmMain> win;
};

} // namespace k5test
