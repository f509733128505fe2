// A fake device tree for the port mapping: a temporary folder that NAVAR_DEVROOT points at
// for the helper's lifetime, holding dev/ and sys/class/tty/ as the kernel would.
#pragma once

#include <QTemporaryDir>
#include <string>

namespace testsupport {

class FakeDeviceTree {
public:
    FakeDeviceTree();
    ~FakeDeviceTree(); // puts the previous NAVAR_DEVROOT back
    FakeDeviceTree(const FakeDeviceTree&) = delete;
    FakeDeviceTree& operator=(const FakeDeviceTree&) = delete;

    // dev/<name>, as a plain file, or a link to `target` (a pty, say) when one is given.
    void addDevice(const std::string& name, const std::string& target = {});
    // dev/serial/by-id/<id> -> ../../<device>.
    void addById(const std::string& id, const std::string& device);
    // sys/class/tty/<name>/type holding the UART type (0: no UART).
    void setUartType(const std::string& name, int type);
    // The path a device of the tree has for the program, e.g. path("dev/ttyUSB0").
    std::string path(const std::string& relative) const;

private:
    QTemporaryDir dir_;
    std::string old_;
    bool hadOld_ = false;
};

} // namespace testsupport
