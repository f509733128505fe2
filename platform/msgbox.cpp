#include <platform/msgbox.h>
#include <platform/event.h>
#include <platform/window.h>

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>

namespace platform {

namespace {

std::mutex hookMutex;
MessageBoxHook hook;

MessageBoxHook currentHook()
{
    std::lock_guard<std::mutex> lock(hookMutex);
    return hook;
}

int showOnGuiThread(const QString& text, const QString& caption, unsigned flags, const QString& detail)
{
    if (MessageBoxHook h = currentHook())
        return h(text, caption, flags, detail);

    const bool okCancel = (flags & 0x0F) == MB_OKCANCEL;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (flags & 0xF0) {
    case MB_ICONHAND: icon = QMessageBox::Critical; break;
    case MB_ICONQUESTION: icon = QMessageBox::Question; break;
    case MB_ICONEXCLAMATION: icon = QMessageBox::Warning; break;
    case 0x40: icon = QMessageBox::Information; break;
    default: break;
    }
    QMessageBox box(icon, caption, text,
                    okCancel ? (QMessageBox::Ok | QMessageBox::Cancel) : QMessageBox::Ok,
                    QApplication::activeWindow());
    if (!detail.isEmpty())
        box.setDetailedText(detail);
    FitCaption(&box);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(okCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    int r = box.exec();
    // Closing the box any other way counts as its escape answer.
    if (r == QMessageBox::Ok)
        return IDOK;
    return okCancel ? IDCANCEL : IDOK;
}

// The box on the user-interface thread; a caller on another thread waits for the answer
// or, when given, for `stop`.
int showFromAnyThread(const QString& text, const QString& caption, unsigned flags, const QString& detail,
                      Event* stop)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || !qobject_cast<QApplication*>(app)) {
        if (MessageBoxHook h = currentHook())
            return h(text, caption, flags, detail);
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
        if (!detail.isEmpty())
            std::fprintf(stderr, "%s\n", qPrintable(detail));
        return (flags & 0x0F) == MB_OKCANCEL ? IDCANCEL : IDOK;
    }
    if (QThread::currentThread() == app->thread())
        return showOnGuiThread(text, caption, flags, detail);

    // The answer outlives this wait when `stop` ends it first.
    struct Pending {
        Event done{true};
        std::atomic<int> result{IDCANCEL};
    };
    auto pending = std::make_shared<Pending>();
    QMetaObject::invokeMethod(
        app,
        [pending, text, caption, flags, detail] {
            pending->result = showOnGuiThread(text, caption, flags, detail);
            pending->done.set();
        },
        Qt::QueuedConnection);
    if (!stop) {
        pending->done.wait(-1);
        return pending->result.load();
    }
    return WaitForAny({&pending->done, stop}, -1) == 0 ? pending->result.load() : int(IDCANCEL);
}

} // namespace

int MessageBox(const QString& text, const QString& caption, unsigned flags, const QString& detail)
{
    return showFromAnyThread(text, caption, flags, detail, nullptr);
}

int MessageBoxUnlessStopped(const QString& text, const QString& caption, unsigned flags, Event& stop)
{
    return showFromAnyThread(text, caption, flags, QString(), &stop);
}

void SetMessageBoxHook(MessageBoxHook h)
{
    std::lock_guard<std::mutex> lock(hookMutex);
    hook = std::move(h);
}

} // namespace platform
