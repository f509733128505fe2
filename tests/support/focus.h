// Keyboard focus and the pointer in tests: where Tab goes from a control, what a walk
// with Tab reaches, the window's tab chain by name, Enter on a control, and a mouse move
// over a widget.
#pragma once

#include <QStringList>
#include <QtCore/qnamespace.h>
#include <set>

class QWidget;

namespace testsupport {

// Tab pressed on control, in its active window: the widget that has the focus then.
QWidget* TabFrom(QWidget* control);
// Tab pressed again and again from first (at most steps times): every widget reached.
std::set<QWidget*> TabThrough(QWidget& window, QWidget* first, int steps = 60);
// The names of the controls Tab visits, in order, from the window's first.
QStringList TabChain(QWidget& window);
// Enter pressed on control, which takes the focus first; as a real key press, it goes on
// to the parents when the control ignores it.
void PressEnter(QWidget* control);
// A mouse button pressed, or released, over the middle of w.
void MousePress(QWidget* w, Qt::MouseButton button = Qt::LeftButton);
void MouseRelease(QWidget* w, Qt::MouseButton button = Qt::LeftButton);
// A mouse move (no button) sent to w, as the pointer crossing it gives.
void MouseMove(QWidget* w);
// Wheel notches (up when positive) over w, as scrolling with the pointer on it gives.
void WheelOver(QWidget* w, int notches = 1);

} // namespace testsupport
