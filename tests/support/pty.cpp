#include "support/pty.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace testsupport {

namespace {

void makeRaw(int fd)
{
    termios tio;
    if (::tcgetattr(fd, &tio) != 0)
        return;
    ::cfmakeraw(&tio);
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    ::tcsetattr(fd, TCSANOW, &tio);
}

} // namespace

PtyPair::PtyPair()
{
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0)
        throw std::runtime_error(std::string("posix_openpt: ") + std::strerror(errno));
    char name[128];
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 || ::ptsname_r(master_, name, sizeof name) != 0) {
        int err = errno;
        ::close(master_);
        master_ = -1;
        throw std::runtime_error(std::string("pty setup: ") + std::strerror(err));
    }
    slavePath_ = name;
    makeRaw(master_);
    slaveKeep_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveKeep_ < 0) {
        int err = errno;
        ::close(master_);
        master_ = -1;
        throw std::runtime_error(std::string("open ") + name + ": " + std::strerror(err));
    }
    makeRaw(slaveKeep_);
}

PtyPair::~PtyPair()
{
    closeMaster();
}

void PtyPair::closeMaster()
{
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
    if (slaveKeep_ >= 0) {
        ::close(slaveKeep_);
        slaveKeep_ = -1;
    }
}

ComMapping::ComMapping(int n, const std::string& path) : n_(n)
{
    std::string var = "NAVAR_COM" + std::to_string(n);
    const char* old = std::getenv(var.c_str());
    hadOld_ = old != nullptr;
    if (old)
        old_ = old;
    ::setenv(var.c_str(), path.c_str(), 1);
}

ComMapping::~ComMapping()
{
    std::string var = "NAVAR_COM" + std::to_string(n_);
    if (hadOld_)
        ::setenv(var.c_str(), old_.c_str(), 1);
    else
        ::unsetenv(var.c_str());
}

} // namespace testsupport
