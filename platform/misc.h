// Beep and sleep.
#pragma once

#include <functional>

namespace platform {

void Beep();
using BeepHook = std::function<void()>;
void SetBeepHook(BeepHook hook); // tests count beeps; empty restores

void Sleep(int milliseconds);

} // namespace platform
