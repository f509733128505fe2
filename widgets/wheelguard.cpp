#include "wheelguard.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

TWheelGuard::TWheelGuard(QWidget* control) : QObject(control)
{
    // Qt would hand the focus to the control on the first notch, before any filter sees it.
    if (control->focusPolicy() == Qt::WheelFocus)
        control->setFocusPolicy(Qt::StrongFocus);
    control->installEventFilter(this);
}

void TWheelGuard::Install(QWidget* control)
{
    if (control && !control->findChild<TWheelGuard*>(QString(), Qt::FindDirectChildrenOnly))
        new TWheelGuard(control);
}

bool TWheelGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Wheel)
        return false;
    auto* control = static_cast<QWidget*>(watched);
    const QWidget* focus = QApplication::focusWidget();
    if (focus && (focus == control || control->isAncestorOf(focus)))
        return false;
    // Ignored rather than taken, so a scroll area around the control still scrolls.
    event->ignore();
    return true;
}
