#include <platform/window.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace platform {

void CentreOnScreen(QWidget* window)
{
    if (!window)
        return;
    if (QScreen* screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}

} // namespace platform
