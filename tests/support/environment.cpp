#include "support/environment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <stdexcept>

namespace testsupport {

TestEnvironment::TestEnvironment() : owner_(QCoreApplication::applicationPid())
{
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/navar-test-XXXXXX"));
    if (!dir.isValid())
        throw std::runtime_error("no temporary folder for the test environment");
    dir.setAutoRemove(false);
    root_ = dir.path();
    const struct {
        const char* variable;
        const char* folder;
    } folders[] = {
        {"HOME", "home"},
        {"XDG_CONFIG_HOME", "home/.config"},
        {"XDG_CACHE_HOME", "home/.cache"},
        {"XDG_DATA_HOME", "home/.local/share"},
        {"XDG_RUNTIME_DIR", "run"},
        {"NAVAR_DEVROOT", "devices"}, // an empty device tree: no test reaches a real port
    };
    for (const auto& f : folders) {
        const QString path = root_ + QLatin1Char('/') + QLatin1String(f.folder);
        // The runtime folder must be private, or Qt refuses it.
        if (!QDir().mkpath(path)
            || !QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            throw std::runtime_error("cannot make the test environment");
        ::setenv(f.variable, QFile::encodeName(path).constData(), 1);
    }
}

TestEnvironment::~TestEnvironment()
{
    // A forked child that exits normally must not take the parent's folder with it.
    if (QCoreApplication::applicationPid() == owner_)
        QDir(root_).removeRecursively();
}

ScopedEnv::ScopedEnv(const char* name, const QByteArray& value)
    : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name))
{
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
}

ScopedEnv::~ScopedEnv()
{
    if (had_)
        qputenv(name_.constData(), old_);
    else
        qunsetenv(name_.constData());
}

} // namespace testsupport
