#include <platform/misc.h>

#include <QApplication>
#include <QMetaObject>
#include <QThread>

#include <chrono>
#include <mutex>
#include <thread>

namespace platform {

namespace {
std::mutex hookMutex;
BeepHook hook;
} // namespace

void Beep()
{
    BeepHook h;
    {
        std::lock_guard<std::mutex> lock(hookMutex);
        h = hook;
    }
    if (h) {
        h();
        return;
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (!qobject_cast<QApplication*>(app))
        return;
    if (QThread::currentThread() == app->thread())
        QApplication::beep();
    else
        QMetaObject::invokeMethod(app, [] { QApplication::beep(); }, Qt::QueuedConnection);
}

void SetBeepHook(BeepHook h)
{
    std::lock_guard<std::mutex> lock(hookMutex);
    hook = std::move(h);
}

void Sleep(int milliseconds)
{
    if (milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace platform
