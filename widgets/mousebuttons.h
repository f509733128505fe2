// A button that acts on the mouse button alone, as long as it is held: down when pressed
// (a double click counts as a press), up when released. The keyboard (Space, Enter)
// presses it without effect, so a held key never steps or keys the radio.
#pragma once

#include <functional>

class QAbstractButton;

// The binding lives as long as the button.
void BindMouseDownUp(QAbstractButton* button, std::function<void()> down, std::function<void()> up);
