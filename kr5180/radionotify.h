// Window message 2027 (WM_USER + 1003): a radio notification that the development window
// and the firmware box take through their own event dispatch. Nothing in the program posts it.
#pragma once

#include <QEvent>

constexpr QEvent::Type WM_RADIO_NOTIFY = static_cast<QEvent::Type>(2027);

class TRadioNotifyEvent : public QEvent {
public:
    TRadioNotifyEvent(int wParam_, int lParam_) : QEvent(WM_RADIO_NOTIFY), wParam(wParam_), lParam(lParam_) {}
    int wParam;
    int lParam;
};
