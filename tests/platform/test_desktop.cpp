// Message boxes, file dialogs, the application's exception guard, and the single-instance lock.
#include <gtest/gtest.h>

#include <platform/application.h>
#include <platform/filedialog.h>
#include <platform/msgbox.h>
#include <platform/single_instance.h>

#include "support/dialogs.h"

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
