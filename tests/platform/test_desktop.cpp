// Message boxes, file dialogs, the application's exception guard, and the single-instance lock.
#include <gtest/gtest.h>

#include <platform/application.h>
#include <platform/filedialog.h>
#include <platform/misc.h>
#include <platform/msgbox.h>
#include <platform/shell.h>
#include <platform/single_instance.h>

#include "support/dialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <stdexcept>
#include <thread>

using testsupport::MessageBoxResponder;
using testsupport::ModalHandler;
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
    bool handled = platform::DeliverGuarded([&] { return QCoreApplication::sendEvent(&target, &ev); });
    EXPECT_FALSE(handled);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "Cannot write the file");
    EXPECT_EQ(boxes.boxes()[0].caption, "KR Test");
    EXPECT_EQ(boxes.boxes()[0].flags, 0x10u);

    // Ordinary events still pass through with their own result.
    QEvent other(QEvent::Type(QEvent::User + 1));
    platform::DeliverGuarded([&] { return QCoreApplication::sendEvent(&target, &other); });
    EXPECT_TRUE(platform::DeliverGuarded([] { return true; }));
    EXPECT_EQ(boxes.boxes().size(), 1u);
}

TEST(MessageBoxes, HookAnswersAndRunsOnTheGuiThreadFromAnyThread)
{
    MessageBoxResponder boxes;
    boxes.expect(platform::IDCANCEL);
    boxes.expect(platform::IDOK);
    std::atomic<bool> onGui{false};
    platform::SetMessageBoxHook([&](const QString& text, const QString&, unsigned) {
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

TEST(MessageBoxes, ResponderRecordsQueuedAnswersFromAWorkerThread)
{
    MessageBoxResponder boxes;
    boxes.expect(platform::IDCANCEL);
    std::atomic<int> result{0};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        result = platform::MessageBox("Read failed", "KR5480", 0x31);
        done = true;
    });
    bool finished = WaitFor([&] { return done.load(); }, 10000);
    worker.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(result.load(), platform::IDCANCEL);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].caption, "KR5480");
    EXPECT_EQ(boxes.boxes()[0].flags, 0x31u);
    boxes.answerAll(platform::IDOK);
    EXPECT_EQ(platform::MessageBox("a", "b", 1), platform::IDOK);
    EXPECT_EQ(platform::MessageBox("c", "d", 0), platform::IDOK);
    EXPECT_EQ(boxes.boxes().size(), 3u);
    boxes.clear();
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(MessageBoxes, OnScreenBoxHasTheFlagsButtonsAndIcon)
{
    struct Seen {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        QString text, title;
    } seen;
    auto inspect = [&seen](QMessageBox::StandardButton press) {
        return [&seen, press](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            seen.icon = box->icon();
            seen.buttons = box->standardButtons();
            seen.text = box->text();
            seen.title = box->windowTitle();
            box->button(press)->click();
        };
    };
    {
        ModalHandler handler(inspect(QMessageBox::Cancel));
        EXPECT_EQ(platform::MessageBox("Overwrite?", "Save", 0x31), platform::IDCANCEL);
        EXPECT_TRUE(handler.ran());
    }
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(seen.text, "Overwrite?");
    EXPECT_EQ(seen.title, "Save");
    {
        ModalHandler handler(inspect(QMessageBox::Ok));
        EXPECT_EQ(platform::MessageBox("Proceed?", "Q", 0x21), platform::IDOK);
    }
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    {
        ModalHandler handler(inspect(QMessageBox::Ok));
        EXPECT_EQ(platform::MessageBox("Failed", "E", 0x10), platform::IDOK);
    }
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);
}

TEST(ModalHelper, DialogLeftOpenIsRejected)
{
    QDialog dialog;
    bool sawIt = false;
    ModalHandler handler([&](QWidget* w) { sawIt = (w == &dialog); }, 100);
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_TRUE(handler.ran());
    EXPECT_TRUE(sawIt);
}

TEST(FileDialogs, HookChoosesAndDefaultExtIsAdded)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    int calls = 0;
    platform::SetFileDialogHook([&](platform::TFileDialog& d) {
        ++calls;
        EXPECT_EQ(d.Title, "Save memory");
        d.FileName = dir.filePath(calls == 1 ? "radio" : "radio.bin");
        return calls < 3;
    });
    platform::TSaveDialog save;
    save.Filter = "Mem files (*.mem)|*.mem";
    save.DefaultExt = "mem";
    save.Title = "Save memory";
    EXPECT_EQ(save.kind(), platform::TFileDialog::Kind::Save);
    ASSERT_TRUE(save.Execute());
    EXPECT_EQ(save.FileName, dir.filePath("radio.mem"));
    ASSERT_TRUE(save.Execute());
    EXPECT_EQ(save.FileName, dir.filePath("radio.bin"));
    EXPECT_FALSE(save.Execute()); // cancelled
    platform::SetFileDialogHook({});
}

TEST(FileDialogs, OnScreenDialogGetsConvertedFilterAndOptions)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
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
    platform::TSaveDialog save;
    save.Filter = "Mem files (*.mem)|*.mem|All files|*.mem;*.bin";
    save.DefaultExt = "mem";
    save.InitialDir = dir.path();
    save.OverwritePrompt = true;
    ASSERT_TRUE(save.Execute());
    EXPECT_TRUE(handler.ran());
    EXPECT_EQ(filters, QStringList({"Mem files (*.mem)", "All files (*.mem *.bin)"}));
    EXPECT_FALSE(confirmOff);
    EXPECT_EQ(save.FileName, dir.filePath("new.mem"));
}

TEST(DesktopHooks, ShellOpenAndBeepAreHookable)
{
    QStringList opened;
    platform::SetShellOpenHook([&](const QString& url) {
        opened << url;
        return true;
    });
    EXPECT_TRUE(platform::ShellOpen("mailto:sales@example.com"));
    EXPECT_EQ(opened, QStringList({"mailto:sales@example.com"}));
    platform::SetShellOpenHook({});

    std::atomic<int> beeps{0};
    platform::SetBeepHook([&] { ++beeps; });
    platform::Beep();
    std::thread([] { platform::Beep(); }).join();
    EXPECT_EQ(beeps.load(), 2);
    platform::SetBeepHook({});
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
