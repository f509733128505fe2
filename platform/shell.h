// Opening a web page or mail address with the desktop's handler.
#pragma once

#include <QString>
#include <functional>

namespace platform {

bool ShellOpen(const QString& url);

using ShellOpenHook = std::function<bool(const QString& url)>;
void SetShellOpenHook(ShellOpenHook hook); // tests; empty restores

} // namespace platform
