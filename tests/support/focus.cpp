#include "focus.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

namespace testsupport {

namespace {

void Activate(QWidget* window)
{
    window->activateWindow();
    QApplication::setActiveWindow(window);
}

void PressTab()
{
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &tab);
}

} // namespace

void PressEnter(QWidget* control)
{
    Activate(control->window());
    control->setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(control, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(control, &release);
}

QWidget* TabFrom(QWidget* control)
{
    Activate(control->window());
    control->setFocus();
    PressTab();
    return QApplication::focusWidget();
}

std::set<QWidget*> TabThrough(QWidget& window, QWidget* first, int steps)
{
    Activate(&window);
    first->setFocus(Qt::TabFocusReason);
    std::set<QWidget*> reached;
    for (int i = 0; i < steps && QApplication::focusWidget(); ++i) {
        reached.insert(QApplication::focusWidget());
        PressTab();
    }
    return reached;
}

QStringList TabChain(QWidget& window)
{
    QStringList names;
    for (QWidget* w = window.nextInFocusChain(); w && w != &window; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(&window) && !w->objectName().isEmpty())
            names << w->objectName();
    return names;
}

namespace {

void MouseButton(QWidget* w, QEvent::Type type, Qt::MouseButton button)
{
    const QPointF local(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent e(type, local, w->mapToGlobal(local), button, type == QEvent::MouseButtonRelease ? Qt::NoButton : button,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

} // namespace

void MousePress(QWidget* w, Qt::MouseButton button) { MouseButton(w, QEvent::MouseButtonPress, button); }

void MouseRelease(QWidget* w, Qt::MouseButton button) { MouseButton(w, QEvent::MouseButtonRelease, button); }

void MouseMove(QWidget* w)
{
    const QPointF local(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent ev(QEvent::MouseMove, local, w->mapToGlobal(local), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &ev);
}

void WheelOver(QWidget* w, int notches)
{
    const QPointF local(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent ev(local, w->mapToGlobal(local), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &ev);
}

} // namespace testsupport
