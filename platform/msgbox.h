// Modal message boxes with the Win32 flag values and results.
#pragma once

#include <QString>
#include <functional>

namespace platform {

enum : unsigned {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_ICONHAND = 0x10,      // error icon
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
};
enum : int { IDOK = 1, IDCANCEL = 2 };

// Shows the box and returns IDOK or IDCANCEL. Safe from any thread: a call from
// another thread waits while the user-interface thread shows the box.
int MessageBox(const QString& text, const QString& caption, unsigned flags);

// Tests replace the box: the hook gets every box and returns the answer. Like the box,
// it runs on the user-interface thread. Empty restores.
using MessageBoxHook = std::function<int(const QString& text, const QString& caption, unsigned flags)>;
void SetMessageBoxHook(MessageBoxHook hook);

} // namespace platform
