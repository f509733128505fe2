#include "support/device_tree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace testsupport {

namespace {

void write(const std::string& path, const QByteArray& bytes)
{
    QFile f(QString::fromStdString(path));
    if (!QDir().mkpath(QFileInfo(f).path()) || !f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path);
}

void link(const std::string& target, const std::string& path)
{
    if (!QDir().mkpath(QFileInfo(QString::fromStdString(path)).path())
        || !QFile::link(QString::fromStdString(target), QString::fromStdString(path)))
        throw std::runtime_error("cannot link " + path);
}

} // namespace

FakeDeviceTree::FakeDeviceTree()
{
    if (!dir_.isValid() || !QDir().mkpath(dir_.filePath("dev")))
        throw std::runtime_error("no folder for the fake device tree");
}

void FakeDeviceTree::addDevice(const std::string& name)
{
    write(path("dev/" + name), {});
}

void FakeDeviceTree::addById(const std::string& id, const std::string& device)
{
    link("../../" + device, path("dev/serial/by-id/" + id));
}

void FakeDeviceTree::setUartType(const std::string& name, int type)
{
    write(path("sys/class/tty/" + name + "/type"), QByteArray::number(type) + "\n");
}

std::string FakeDeviceTree::path(const std::string& relative) const
{
    return dir_.filePath(QString::fromStdString(relative)).toStdString();
}

} // namespace testsupport
