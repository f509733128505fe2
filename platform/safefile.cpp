#include "safefile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <system_error>

namespace platform {

SaveResult SaveFileReplacing(const QString& path, const QByteArray& bytes)
{
    if (path.isEmpty())
        return SaveResult::CannotCreate;
    QString target = path;
    QFileInfo info(target);
    if (info.isSymLink()) // replace the file the link points at, not the link
        info = QFileInfo(target = info.symLinkTarget());
    if (info.isDir() || (info.exists() && !info.isWritable()))
        return SaveResult::CannotCreate;

    static std::atomic<unsigned> counter{0};
    QFile temp;
    for (int attempt = 0; attempt < 16 && !temp.isOpen(); ++attempt) {
        temp.setFileName(QStringLiteral("%1.%2-%3.tmp")
                             .arg(target)
                             .arg(QCoreApplication::applicationPid())
                             .arg(counter.fetch_add(1)));
        // Unbuffered, so that a short write is seen here and not lost in a flush.
        if (!temp.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)
            && !temp.exists())
            return SaveResult::CannotCreate;
    }
    if (!temp.isOpen())
        return SaveResult::CannotCreate;

    bool ok = true;
    qint64 done = 0;
    while (ok && done < bytes.size()) {
        const qint64 n = temp.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            ok = false;
        else
            done += n;
    }
    ok = ok && temp.flush();
    // On the disk before the rename, so a power cut cannot leave an empty file in place.
    ok = ok && ::fsync(temp.handle()) == 0;
    temp.close();
    ok = ok && temp.error() == QFileDevice::NoError;

    const std::filesystem::path from = QFile::encodeName(temp.fileName()).toStdString();
    std::error_code ec;
    if (ok) {
        if (QFileInfo::exists(target))
            QFile::setPermissions(temp.fileName(), QFile::permissions(target));
        std::filesystem::rename(from, std::filesystem::path(QFile::encodeName(target).toStdString()), ec);
        ok = !ec;
    }
    if (!ok) {
        std::filesystem::remove(from, ec);
        return SaveResult::WriteError;
    }
    return SaveResult::Ok;
}

bool IsRegularFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    return !name.isEmpty() && ::stat(name.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace platform
