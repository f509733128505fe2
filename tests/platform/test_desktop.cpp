// Message boxes, file dialogs, the application's exception guard, and the single-instance lock.
// ctest-label: threaded
#include <gtest/gtest.h>

#include <platform/application.h>
#include <platform/filedialog.h>
#include <platform/msgbox.h>
#include <platform/single_instance.h>
#include <platform/window.h>

#include "support/dialogs.h"
#include "support/environment.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>

using testsupport::MessageBoxResponder;
using testsupport::ModalHandler;
using testsupport::ScopedEnv;
using testsupport::WaitFor;

namespace {

class Thrower : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            throw std::runtime_error("Cannot write the file");
        return QObject::event(e);
    }
};

} // namespace

TEST(ApplicationGuard, EscapedExceptionIsShownAndDeliveryGoesOn)
{
    QCoreApplication::setApplicationName("KR Test");
    MessageBoxResponder boxes;
    boxes.expect(platform::IDOK);
    Thrower target;
    QEvent ev(QEvent::User);
    EXPECT_FALSE(platform::DeliverGuarded([&] { return QCoreApplication::sendEvent(&target, &ev); }));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "Cannot write the file");
    EXPECT_EQ(boxes.boxes()[0].caption, "KR Test");
    EXPECT_EQ(boxes.boxes()[0].flags, 0x10u);

    // Ordinary deliveries pass through with their own result.
    EXPECT_TRUE(platform::DeliverGuarded([] { return true; }));
    EXPECT_EQ(boxes.boxes().size(), 1u);
}

TEST(MessageBoxes, HookAnswersAndRunsOnTheGuiThreadFromAnyThread)
{
    MessageBoxResponder boxes; // restores the hook afterwards
    std::atomic<bool> onGui{false};
    platform::SetMessageBoxHook([&](const QString& text, const QString&, unsigned, const QString&) {
        onGui = QThread::currentThread() == QCoreApplication::instance()->thread();
        return text == "Continue?" ? int(platform::IDCANCEL) : int(platform::IDOK);
    });
    std::atomic<int> result{0};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        result = platform::MessageBox("Continue?", "Radio", platform::MB_OKCANCEL | platform::MB_ICONQUESTION);
        done = true;
    });
    bool finished = WaitFor([&] { return done.load(); }, 10000);
    worker.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(result.load(), platform::IDCANCEL);
    EXPECT_TRUE(onGui.load());
}

TEST(MessageBoxes, TheDetailTextIsBehindTheBoxsDetailsButton)
{
    QString shown;
    ModalHandler handler([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        shown = box->text() + "|" + box->detailedText();
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(platform::MessageBox("Unable to open COM1", "Error", 0x30, "Not present."), platform::IDOK);
    EXPECT_EQ(shown, "Unable to open COM1|Not present.");
}

TEST(MessageBoxes, OnScreenBoxHasTheFlagsButtonsAndIcon)
{
    const struct {
        unsigned flags;
        QMessageBox::StandardButton press;
        int result;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
    } cases[] = {
        {0x31, QMessageBox::Cancel, platform::IDCANCEL, QMessageBox::Warning, QMessageBox::Ok | QMessageBox::Cancel},
        {0x21, QMessageBox::Ok, platform::IDOK, QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel},
        {0x10, QMessageBox::Ok, platform::IDOK, QMessageBox::Critical, QMessageBox::Ok},
    };
    for (const auto& c : cases) {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        QString texts;
        ModalHandler handler([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            icon = box->icon();
            buttons = box->standardButtons();
            texts = box->text() + "|" + box->windowTitle();
            box->button(c.press)->click();
        });
        EXPECT_EQ(platform::MessageBox("Overwrite?", "Save", c.flags), c.result) << c.flags;
        EXPECT_TRUE(handler.ran());
        EXPECT_EQ(icon, c.icon) << c.flags;
        EXPECT_EQ(buttons, c.buttons) << c.flags;
        EXPECT_EQ(texts, "Overwrite?|Save");
    }
}

// As a Windows box does, a narrow box widens so the title bar shows its whole caption.
TEST(MessageBoxes, OnScreenBoxIsWideEnoughForItsCaption)
{
    for (const char* caption : {"Auto Detect", "Saving Program File..."}) {
        int width = 0, needed = 0;
        ModalHandler handler([&](QWidget* w) {
            width = w->width();
            needed = platform::CaptionWidth(w);
            static_cast<QMessageBox*>(w)->button(QMessageBox::Ok)->click();
        });
        platform::MessageBox("OK?", caption, 0x30);
        ASSERT_TRUE(handler.ran());
        EXPECT_GT(needed, platform::CaptionRoom) << caption;
        EXPECT_GE(width, needed) << caption;
    }
}

TEST(FileDialogs, HookedAndOnScreenDialogsAddTheDefaultExt)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    platform::TSaveDialog save;
    save.Filter = "Mem files (*.mem)|*.mem|All files|*.mem;*.bin";
    save.DefaultExt = "mem";
    save.InitialDir = dir.path();
    save.OverwritePrompt = true;

    // A name with its own extension keeps it.
    platform::SetFileDialogHook([&](platform::TFileDialog& d) {
        d.FileName = dir.filePath("radio.bin");
        return true;
    });
    ASSERT_TRUE(save.Execute());
    EXPECT_EQ(save.FileName, dir.filePath("radio.bin"));
    platform::SetFileDialogHook({});

    QStringList filters;
    bool confirmOff = true;
    ModalHandler handler([&](QWidget* w) {
        auto* fd = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(fd, nullptr);
        filters = fd->nameFilters();
        confirmOff = fd->testOption(QFileDialog::DontConfirmOverwrite);
        fd->selectFile(dir.filePath("new"));
        static_cast<QDialog*>(fd)->accept();
    });
    ASSERT_TRUE(save.Execute());
    EXPECT_TRUE(handler.ran());
    EXPECT_EQ(filters, QStringList({"Mem files (*.mem)", "All files (*.mem *.bin)"}));
    EXPECT_FALSE(confirmOff);
    EXPECT_EQ(save.FileName, dir.filePath("new.mem"));
}

TEST(SingleInstance, SecondCopyIsRefusedAndCanWakeTheFirst)
{
    const QString name = QStringLiteral("NavarTestMutex-%1").arg(QCoreApplication::applicationPid());
    {
        platform::SingleInstance lonely(name + "-none");
        EXPECT_FALSE(lonely.ActivateFirst());
    }
    int activations = 0;
    {
        platform::SingleInstance first(name);
        ASSERT_TRUE(first.TryLock());
        first.OnActivateRequest([&] { ++activations; });

        platform::SingleInstance second(name);
        EXPECT_FALSE(second.TryLock());
        EXPECT_TRUE(second.ActivateFirst());
        EXPECT_TRUE(WaitFor([&] { return activations == 1; }, 5000));
    }
    platform::SingleInstance again(name);
    EXPECT_TRUE(again.TryLock());
}

TEST(SingleInstance, LockAndSocketShareOneFolderPerSession)
{
    const QString name = QStringLiteral("NavarTestMutex-%1").arg(QCoreApplication::applicationPid());
    QTemporaryDir a, b;
    ASSERT_TRUE(a.isValid() && b.isValid());
    int activations = 0;
    std::unique_ptr<ScopedEnv> runtime = std::make_unique<ScopedEnv>("XDG_RUNTIME_DIR", a.path().toLocal8Bit());
    platform::SingleInstance first(name);
    ASSERT_TRUE(first.TryLock());
    first.OnActivateRequest([&] { ++activations; });
    EXPECT_TRUE(QFileInfo::exists(a.filePath(name + ".lock")));
    EXPECT_TRUE(QFileInfo::exists(a.filePath(name + ".socket")));

    // Another session (or another copy of this suite) neither meets the lock nor wakes the first.
    runtime = std::make_unique<ScopedEnv>("XDG_RUNTIME_DIR", b.path().toLocal8Bit());
    platform::SingleInstance other(name);
    EXPECT_FALSE(other.ActivateFirst());
    EXPECT_TRUE(other.TryLock());
    QCoreApplication::processEvents();
    EXPECT_EQ(activations, 0);
}

TEST(SingleInstance, WithoutARuntimeFolderTheLockIsTheUsersOwn)
{
    const QString name = QStringLiteral("NavarTestMutex-%1").arg(QCoreApplication::applicationPid());
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    ScopedEnv runtime("XDG_RUNTIME_DIR", QByteArray());
    ScopedEnv tmpdir("TMPDIR", tmp.path().toLocal8Bit());
    const QString own = tmp.filePath(QStringLiteral("navar-%1").arg(::getuid()));
    {
        platform::SingleInstance first(name);
        ASSERT_TRUE(first.TryLock());
        EXPECT_TRUE(QFileInfo::exists(own + "/" + name + ".lock"));
        EXPECT_FALSE(QFileInfo::exists(tmp.filePath(name + ".lock"))); // nothing shared by all users
        struct stat st;
        ASSERT_EQ(::stat(QFile::encodeName(own).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        platform::SingleInstance second(name);
        EXPECT_FALSE(second.TryLock());
    }
    // A folder of that name that others may write to is not trusted with a lock.
    ASSERT_EQ(::chmod(QFile::encodeName(own).constData(), 0777), 0);
    platform::SingleInstance copy(name);
    EXPECT_TRUE(copy.TryLock());
    EXPECT_FALSE(QFileInfo::exists(own + "/" + name + ".lock"));
}

TEST(TestEnvironment, EachProgramHasItsOwnPrivateFolders)
{
    const QString root = QFileInfo(qEnvironmentVariable("XDG_RUNTIME_DIR")).path();
    EXPECT_TRUE(root.contains("navar-test-"));
    for (const char* v : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "NAVAR_DEVROOT"})
        EXPECT_TRUE(qEnvironmentVariable(v).startsWith(root + "/")) << v;
    EXPECT_TRUE(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).startsWith(root + "/"));
    if (const passwd* pw = ::getpwuid(::getuid())) {
        EXPECT_NE(QDir::homePath(), QString::fromLocal8Bit(pw->pw_dir));
    }
}
