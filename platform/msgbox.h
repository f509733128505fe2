// Modal message boxes with the Win32 flag values and results.
#pragma once

#include <QString>
#include <functional>

namespace platform {

class Event;

enum : unsigned {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_ICONHAND = 0x10,      // error icon
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
};
enum : int { IDOK = 1, IDCANCEL = 2 };

// Shows the box and returns IDOK or IDCANCEL. Safe from any thread: a call from
// another thread waits while the user-interface thread shows the box. A non-empty
// detail is the box's detail text (behind its "Show Details..." button).
int MessageBox(const QString& text, const QString& caption, unsigned flags, const QString& detail = QString());

// As MessageBox, but a caller on another thread also stops waiting once `stop` is set and
// gets IDCANCEL (the box itself stays until it is answered). On the user-interface
// thread it is MessageBox.
int MessageBoxUnlessStopped(const QString& text, const QString& caption, unsigned flags, Event& stop);

// Tests replace the box: the hook gets every box and returns the answer. Like the box,
// it runs on the user-interface thread. Empty restores.
using MessageBoxHook =
    std::function<int(const QString& text, const QString& caption, unsigned flags, const QString& detail)>;
void SetMessageBoxHook(MessageBoxHook hook);

} // namespace platform
