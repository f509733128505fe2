#include <platform/single_instance.h>

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <sys/stat.h>
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

// The per-user folder that holds both the lock and the socket: $XDG_RUNTIME_DIR, else
// <temp>/navar-<uid>, private to the user. Empty when neither can be used.
QString runtimeFolder()
{
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (xdg.startsWith(QLatin1Char('/')) && QDir().mkpath(xdg))
        return xdg;
    const QString dir = QDir::tempPath() + QStringLiteral("/navar-") + QString::number(::getuid());
    const QByteArray path = QFile::encodeName(dir);
    ::mkdir(path.constData(), 0700);
    // Another user's folder, or one others may write to, is not ours to trust.
    struct stat st;
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()
        || (st.st_mode & 077) != 0)
        return {};
    return dir;
}

// Lock and socket are named from this one base; empty when there is no folder for them.
QString basePath(const QString& name)
{
    const QString dir = runtimeFolder();
    return dir.isEmpty() ? QString() : dir + QLatin1Char('/') + safeName(name);
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
    const QString base = basePath(name_);
    if (base.isEmpty())
        return true; // nowhere private to keep a lock: run without the guarantee
    lock_ = std::make_unique<QLockFile>(base + QStringLiteral(".lock"));
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
    const QString sname = base + QStringLiteral(".socket");
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
    const QString base = basePath(name_);
    if (base.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(base + QStringLiteral(".socket"));
    if (!socket.waitForConnected(1000))
        return false;
    socket.write("A", 1);
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
}

} // namespace platform
