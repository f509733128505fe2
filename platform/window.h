// Window placement shared by the windows of both programs.
#pragma once

class QWidget;

namespace platform {

// Moves the window so its centre is the centre of the primary screen's free area.
void CentreOnScreen(QWidget* window);

// Room the title bar takes beside the caption's text (icon, buttons, margins).
constexpr int CaptionRoom = 140;
// The width a window needs so the title bar shows its whole caption.
int CaptionWidth(const QWidget* window);
// Keeps the window (one with a layout) at least CaptionWidth wide, as a Windows box is.
void FitCaption(QWidget* window);

} // namespace platform
