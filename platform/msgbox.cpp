#include <platform/msgbox.h>

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

#include <cstdio>
#include <condition_variable>
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

int showOnGuiThread(const QString& text, const QString& caption, unsigned flags)
{
    if (MessageBoxHook h = currentHook())
        return h(text, caption, flags);

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
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(okCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    int r = box.exec();
    // Closing the box any other way counts as its escape answer.
    if (r == QMessageBox::Ok)
        return IDOK;
    return okCancel ? IDCANCEL : IDOK;
}

} // namespace

int MessageBox(const QString& text, const QString& caption, unsigned flags)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || !qobject_cast<QApplication*>(app)) {
        if (MessageBoxHook h = currentHook())
            return h(text, caption, flags);
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
        return (flags & 0x0F) == MB_OKCANCEL ? IDCANCEL : IDOK;
    }
    if (QThread::currentThread() == app->thread())
        return showOnGuiThread(text, caption, flags);

    // A queued call plus our own wait (rather than a blocking queued call) keeps the
    // hand-over visible to the thread sanitizer.
    struct Reply {
        std::mutex mutex;
        std::condition_variable done;
        bool ready = false;
        int result = IDCANCEL;
    };
    auto reply = std::make_shared<Reply>();
    QMetaObject::invokeMethod(
        app,
        [reply, text, caption, flags] {
            int r = showOnGuiThread(text, caption, flags);
            std::lock_guard<std::mutex> lock(reply->mutex);
            reply->result = r;
            reply->ready = true;
            reply->done.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock<std::mutex> lock(reply->mutex);
    reply->done.wait(lock, [&] { return reply->ready; });
    return reply->result;
}

void SetMessageBoxHook(MessageBoxHook h)
{
    std::lock_guard<std::mutex> lock(hookMutex);
    hook = std::move(h);
}

} // namespace platform
