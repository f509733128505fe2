#include "support/named_pipe.h"

#include <QFile>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>
#include <vector>

namespace testsupport {

namespace {
// More than any reader asks for at once (Qt reads 16 KiB ahead), so no read waits.
constexpr int Filling = 256 * 1024;
}

NamedPipe::NamedPipe(const QString& path) : path_(path)
{
    const QByteArray name = QFile::encodeName(path);
    if (::mkfifo(name.constData(), 0600) != 0)
        throw std::runtime_error("cannot make a named pipe");
    // Read-write: the open does not wait, and the pipe has a writer for as long as we live.
    fd_ = ::open(name.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    const std::vector<char> bytes(Filling, '\x5A');
    if (fd_ < 0 || ::fcntl(fd_, F_SETPIPE_SZ, Filling) < Filling
        || ::write(fd_, bytes.data(), bytes.size()) != Filling) {
        if (fd_ >= 0)
            ::close(fd_);
        QFile::remove(path_);
        throw std::runtime_error("cannot fill the named pipe");
    }
}

NamedPipe::~NamedPipe()
{
    if (fd_ >= 0)
        ::close(fd_);
    QFile::remove(path_);
}

int NamedPipe::Size()
{
    return Filling;
}

int NamedPipe::waiting() const
{
    int n = 0;
    return ::ioctl(fd_, FIONREAD, &n) == 0 ? n : -1;
}

} // namespace testsupport
