#include <platform/single_instance.h>

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#include <unistd.h>

namespace platform {

namespace {

QString safeName(const QString& name)
{
    QString s = name;
    for (QChar& c : s)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_') && c != QLatin1Char('.'))
            c = QLatin1Char('_');
    return s;
}

QString lockPath(const QString& name)
{
    // Without XDG_RUNTIME_DIR Qt invents a folder (and warns); the temp folder serves as well.
    QString dir;
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty() || !QDir().mkpath(dir))
        dir = QDir::tempPath();
    return dir + QLatin1Char('/') + safeName(name) + QStringLiteral(".lock");
}

QString serverName(const QString& name)
{
    return safeName(name) + QStringLiteral("-") + QString::number(::getuid());
}

} // namespace

SingleInstance::SingleInstance(const QString& mutexName) : name_(mutexName) {}

SingleInstance::~SingleInstance()
{
    if (server_)
        server_->close();
    server_.reset();
    if (lock_)
        lock_->unlock();
}

bool SingleInstance::TryLock()
{
    if (lock_ && lock_->isLocked())
        return true;
    lock_ = std::make_unique<QLockFile>(lockPath(name_));
    // A lock is stale only when its owner is gone, however old it is.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        if (lock_->error() == QLockFile::LockFailedError)
            return false;
        // The folder cannot hold a lock: run without the guarantee rather than not at all.
        lock_.reset();
        return true;
    }

    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    const QString sname = serverName(name_);
    if (!server_->listen(sname)) {
        // A socket left by a copy that crashed: we hold the lock, so it is ours to remove.
        QLocalServer::removeServer(sname);
        server_->listen(sname);
    }
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
        while (QLocalSocket* s = server_->nextPendingConnection()) {
            QObject::connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            if (handler_)
                handler_();
        }
    });
    return true;
}

void SingleInstance::OnActivateRequest(std::function<void()> handler)
{
    handler_ = std::move(handler);
}

bool SingleInstance::ActivateFirst()
{
    QLocalSocket socket;
    socket.connectToServer(serverName(name_));
    if (!socket.waitForConnected(1000))
        return false;
    socket.write("A", 1);
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
}

} // namespace platform
