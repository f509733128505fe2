// Keeps the mouse wheel off a live control that does not have the keyboard focus, as an
// edit with an up-down behaves: scrolling with the pointer passing over a spin box, combo
// box or slider changes nothing, and the wheel does not give it the focus either. A
// control with the focus takes the wheel as usual.
#pragma once

#include <QObject>

class QWidget;

class TWheelGuard : public QObject {
    Q_OBJECT
public:
    // Guards control from now on; the guard lives as long as the control.
    static void Install(QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit TWheelGuard(QWidget* control);
};
