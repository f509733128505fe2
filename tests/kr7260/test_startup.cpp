// Program start-up of the KR7260 programmer: single instance, the start-up sequence
// on the first activation (default file, registry port, opening the port) and the exit.
#include "main.h"
#include "ser_com.h"
#include "splash_scr.h"

#include "main_fixture.h"

#include "support/dialogs.h"

#include <platform/formrules.h>
#include <platform/msgbox.h>
#include <platform/registry.h>
#include <platform/single_instance.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QElapsedTimer>
#include <QTimer>

using testsupport::MessageBoxResponder;
using testsupport::WaitFor;

namespace {

// A private settings folder, runtime folder and working directory; the program's windows.
class StartupTest : public k7test::PrivateFoldersTest {
protected:
    void SetUp() override
    {
        PrivateFoldersTest::SetUp();
        if (HasFatalFailure())
            return;
        kr7260app::CreateForms();
    }

    void TearDown() override
    {
        kr7260app::DestroyForms();
        PrivateFoldersTest::TearDown();
    }

    // The stored port as the settings file holds it; nullptr: no key at all.
    static void WriteRegistryPort(const char* value)
    {
        QFile ini(platform::TRegistry::FileForKey(kr7260app::RegistryKey));
        ini.remove();
        if (!value)
            return;
        QDir().mkpath(QFileInfo(ini).path());
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QByteArray("[Port]\nComPort=") + value + "\n");
    }
    static bool ReadRegistryPort(int& value)
    {
        platform::TRegistry reg;
        return reg.OpenKey(kr7260app::RegistryKey, false) && reg.ReadInteger("ComPort", value);
    }
    // Words first, first + 1, ... in the default file of the working directory.
    static void WriteDefaultFile(std::int32_t first)
    {
        TRadioImage img;
        for (int k = 0; k < 128; ++k)
            img.Set(k, first + k);
        ASSERT_EQ(img.SaveToFile(kr7260app::DefaultFile), TRadioImage::FileStatus::Ok);
    }
};

TEST_F(StartupTest, MissingDefaultFileZeroesImageAndSaysSo)
{
    MapPty(1);
    for (int k = 0; k < 128; ++k)
        MainForm->RadioImage.Set(k, 0x1234 + k);
    MessageBoxResponder boxes;
    boxes.expect(platform::IDOK);
    MainForm->FormShow();

    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "Default file defkr72.mem does not exist.");
    EXPECT_EQ(boxes.boxes()[0].caption, "No default file");
    EXPECT_EQ(boxes.boxes()[0].flags, 0x30u);
    EXPECT_EQ(MainForm->StatusText(0), "No file loaded.");
    for (int k = 0; k < 128; ++k)
        ASSERT_EQ(MainForm->RadioImage.Get(k), 0) << "word " << k;
    EXPECT_TRUE(frmSerial->PortOpen);
}

TEST_F(StartupTest, StartUpBoxesShowAboveTheSplashAndTakeTheKeyboard)
{
    // Real boxes: no default file, and a port that cannot be opened.
    MapMissing(1);
    struct Seen {
        QString text;
        bool splashVisible, splashOnTop, boxActive;
    };
    std::vector<Seen> seen;
    QTimer watcher;
    QElapsedTimer sinceShown;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        // Activation follows the showing; give a loaded machine time for it.
        if (!sinceShown.isValid())
            sinceShown.start();
        const bool active = QApplication::activeWindow() == box;
        if (!active && sinceShown.elapsed() < 3000)
            return;
        sinceShown.invalidate();
        seen.push_back({box->text(), Splash->isVisible(), platform::StaysOnTop(Splash), active});
        box->accept();
    });
    watcher.start(10);
    MainForm->FormShow();
    watcher.stop();

    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].text, "Default file defkr72.mem does not exist.");
    EXPECT_EQ(seen[1].text, "There is a problem opening the Com port.");
    for (const Seen& s : seen) {
        SCOPED_TRACE(s.text.toStdString());
        EXPECT_TRUE(s.splashVisible);
        EXPECT_FALSE(s.splashOnTop);
        EXPECT_TRUE(s.boxActive);
    }
    EXPECT_FALSE(Splash->isVisible());

    // Between boxes the splash is on top again.
    Splash->ShowCentred();
    EXPECT_TRUE(platform::StaysOnTop(Splash));
    QMessageBox box(QMessageBox::Warning, "No port.", "text", QMessageBox::Ok, MainForm);
    box.open();
    EXPECT_FALSE(platform::StaysOnTop(Splash));
    box.accept();
    EXPECT_TRUE(platform::StaysOnTop(Splash));
    Splash->hide();
}

TEST_F(StartupTest, RegistryPortOutOfRangeMissingOrNotANumberGivesPort1)
{
    MapPty(1);
    MapPty(3);
    WriteDefaultFile(0);
    struct Case {
        const char* stored; // nullptr: no key at all
        int port;
    };
    const Case cases[] = {{"0", 1}, {"5", 1}, {"-1", 1}, {"3", 3}, {nullptr, 1}, {"abc", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "missing");
        kr7260app::DestroyForms();
        WriteRegistryPort(c.stored);
        kr7260app::CreateForms();
        MessageBoxResponder boxes;
        MainForm->FormShow();
        EXPECT_TRUE(boxes.boxes().empty());
        EXPECT_EQ(MainForm->ComPortNumber, c.port);
        EXPECT_TRUE(frmSerial->PortOpen);
    }
}

TEST_F(StartupTest, UnopenablePortIsReportedAndProgramGoesOn)
{
    MapMissing(2);
    WriteDefaultFile(0x10000 - 5); // includes values above 16 bits
    WriteRegistryPort("2");
    MessageBoxResponder boxes;
    boxes.expect(platform::IDOK);
    MainForm->FormShow();

    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "There is a problem opening the Com port.");
    EXPECT_EQ(boxes.boxes()[0].caption, "No port.");
    EXPECT_EQ(boxes.boxes()[0].flags, 0x30u);
    // The details name the device, the reason and what to do.
    EXPECT_EQ(boxes.boxes()[0].detail, "COM2 is " + tmp_.filePath("no-such-tty")
                                           + ".\nNot present: see the README's Serial ports.");
    EXPECT_FALSE(frmSerial->PortOpen);
    EXPECT_EQ(MainForm->ComPortNumber, 2);
    EXPECT_FALSE(Splash->isVisible());
    EXPECT_EQ(MainForm->StatusText(0), "File loaded: Default file");
    for (int k = 0; k < 128; ++k)
        ASSERT_EQ(MainForm->RadioImage.Get(k), 0x10000 - 5 + k);
}

TEST_F(StartupTest, RunsOnFirstActivationOnlyAndExitStoresThePort)
{
    MapPty(1);
    MessageBoxResponder boxes;
    boxes.expect(platform::IDOK); // the missing default file
    MainForm->show();
    MainForm->activateWindow();
    ASSERT_TRUE(WaitFor([] { return !FirstActivation && !MainForm->StatusText(0).isEmpty(); }, 5000));
    EXPECT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(MainForm->ComPortNumber, 1);

    // Another activation (after an editor or another program had the focus): nothing again.
    MainForm->RadioImage.Set(5, 77);
    MainForm->SetStatusText(0, "busy");
    QEvent deactivate(QEvent::WindowDeactivate), activate(QEvent::WindowActivate);
    QApplication::sendEvent(MainForm, &deactivate);
    QApplication::sendEvent(MainForm, &activate);
    QApplication::processEvents();
    MainForm->FormShow();
    EXPECT_EQ(MainForm->RadioImage.Get(5), 77);
    EXPECT_EQ(MainForm->StatusText(0), "busy");
    EXPECT_EQ(boxes.boxes().size(), 1u);

    // The key did not exist: exit creates it with the port in use, closes the port,
    // and does not save the image.
    int stored = 0;
    EXPECT_FALSE(ReadRegistryPort(stored));
    MainForm->close();
    EXPECT_FALSE(frmSerial->PortOpen);
    ASSERT_TRUE(ReadRegistryPort(stored));
    EXPECT_EQ(stored, 1);
    EXPECT_FALSE(QFile::exists(kr7260app::DefaultFile));
}

TEST_F(StartupTest, SecondInstanceIsRefusedAndBringsTheFirstForward)
{
    const QString name = QStringLiteral("KR72Mutex-test-%1").arg(QCoreApplication::applicationPid());
    platform::SingleInstance first(name);
    ASSERT_TRUE(kr7260app::AcquireSingleInstance(first)); // no box for the first copy
    bool asked = false;
    first.OnActivateRequest([&] { asked = true; });

    platform::SingleInstance second(name);
    MessageBoxResponder boxes;
    boxes.expect(platform::IDOK);
    EXPECT_FALSE(kr7260app::AcquireSingleInstance(second));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "The program is already running");
    EXPECT_EQ(boxes.boxes()[0].caption, "KR7260 Dealer Software");
    EXPECT_EQ(boxes.boxes()[0].flags, 0u);
    EXPECT_TRUE(WaitFor([&] { return asked; }, 5000));
}

} // namespace
