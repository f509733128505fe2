#include <platform/window.h>

#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QScreen>
#include <QSpacerItem>
#include <QWidget>

namespace platform {

void CentreOnScreen(QWidget* window)
{
    if (!window)
        return;
    if (QScreen* screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}

int CaptionWidth(const QWidget* window)
{
    if (!window)
        return 0;
    // Title bars mostly show the caption in bold.
    QFont font = window->font();
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(window->windowTitle()) + CaptionRoom;
}

void FitCaption(QWidget* window)
{
    QLayout* layout = window ? window->layout() : nullptr;
    if (!layout)
        return;
    // A spacer as wide as the caption needs: the window's own size rules then keep it.
    auto* spacer = new QSpacerItem(CaptionWidth(window), 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
    if (auto* grid = qobject_cast<QGridLayout*>(layout))
        grid->addItem(spacer, grid->rowCount(), 0, 1, grid->columnCount());
    else
        layout->addItem(spacer);
}

} // namespace platform
