// Window placement shared by the windows of both programs.
#pragma once

class QWidget;

namespace platform {

// Moves the window so its centre is the centre of the primary screen's free area.
void CentreOnScreen(QWidget* window);

} // namespace platform
