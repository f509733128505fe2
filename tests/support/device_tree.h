// A fake device tree for the port mapping: a temporary folder that NAVAR_DEVROOT points at
// for the helper's lifetime, holding dev/ and sys/class/tty/ as the kernel would.
#pragma once

#include "support/environment.h"

#include <QTemporaryDir>
#include <string>

namespace testsupport {

class FakeDeviceTree {
public:
    FakeDeviceTree(); // the previous NAVAR_DEVROOT comes back with the helper's end

    // dev/<name>, as a plain file.
    void addDevice(const std::string& name);
    // dev/serial/by-id/<id> -> ../../<device>.
    void addById(const std::string& id, const std::string& device);
    // sys/class/tty/<name>/type holding the UART type (0: no UART).
    void setUartType(const std::string& name, int type);
    // The path a device of the tree has for the program, e.g. path("dev/ttyUSB0").
    std::string path(const std::string& relative) const;

private:
    QTemporaryDir dir_;
    ScopedEnv root_{"NAVAR_DEVROOT", dir_.path().toUtf8()};
};

} // namespace testsupport
