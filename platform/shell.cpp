#include <platform/shell.h>

#include <QDesktopServices>
#include <QUrl>

#include <mutex>

namespace platform {

namespace {
std::mutex hookMutex;
ShellOpenHook hook;
} // namespace

bool ShellOpen(const QString& url)
{
    ShellOpenHook h;
    {
        std::lock_guard<std::mutex> lock(hookMutex);
        h = hook;
    }
    if (h)
        return h(url);
    QUrl target = QUrl::fromUserInput(url.trimmed());
    if (!target.isValid())
        return false;
    return QDesktopServices::openUrl(target);
}

void SetShellOpenHook(ShellOpenHook h)
{
    std::lock_guard<std::mutex> lock(hookMutex);
    hook = std::move(h);
}

} // namespace platform
