#include <platform/serial_device.h>
#include <platform/event.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace platform {

struct SerialDevice::SavedSettings {
    termios tio;
};

namespace {

using Clock = std::chrono::steady_clock;

// A write that makes no progress for this long is given up (nobody drains the line).
constexpr int WriteStallMs = 5000;

std::string trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

bool equalsNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The number n of "COMn", or 0 for any other name.
int comNumber(const std::string& name)
{
    if (name.size() < 4 || name.size() > 6 || !equalsNoCase(name.substr(0, 3), "COM"))
        return 0;
    int n = 0;
    for (size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return 0;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

std::string configHome()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.config";
}

// COMn= from the [Ports] section of ports.ini, empty when absent.
std::string portFromIni(const std::string& key)
{
    std::ifstream in(configHome() + "/Navar/ports.ini");
    if (!in)
        return {};
    std::string line;
    bool inPorts = false;
    while (std::getline(in, line)) {
        line = trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line.front() == '[') {
            size_t close = line.find(']');
            inPorts = close != std::string::npos && equalsNoCase(trim(line.substr(1, close - 1)), "Ports");
            continue;
        }
        if (!inPorts)
            continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        if (equalsNoCase(trim(line.substr(0, eq)), key))
            return trim(line.substr(eq + 1));
    }
    return {};
}

bool speedFor(int baud, speed_t& speed)
{
    switch (baud) {
    case 300: speed = B300; return true;
    case 600: speed = B600; return true;
    case 1200: speed = B1200; return true;
    case 2400: speed = B2400; return true;
    case 4800: speed = B4800; return true;
    case 9600: speed = B9600; return true;
    case 19200: speed = B19200; return true;
    case 38400: speed = B38400; return true;
    case 57600: speed = B57600; return true;
    case 115200: speed = B115200; return true;
    case 230400: speed = B230400; return true;
    default: return false;
    }
}

int remainingMs(bool unlimited, Clock::time_point deadline)
{
    if (unlimited)
        return -1;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(left) + 1;
}

} // namespace

std::string ResolvePortName(const std::string& name)
{
    int n = comNumber(name);
    if (n <= 0)
        return name;
    std::string key = "COM" + std::to_string(n);
    if (const char* env = std::getenv(("NAVAR_" + key).c_str()); env && *env)
        return env;
    std::string fromIni = portFromIni(key);
    if (!fromIni.empty())
        return fromIni;
    return "/dev/ttyS" + std::to_string(n - 1);
}

SerialDevice::~SerialDevice()
{
    close();
    delete saved_;
}

bool SerialDevice::open(const std::string& name, int baud)
{
    close();
    error_ = Error::None;
    errorText_.clear();
    path_ = ResolvePortName(name);

    auto fail = [this](Error e, const std::string& what, int err) {
        error_ = e;
        errorText_ = path_ + ": " + what + (err ? std::string(": ") + std::strerror(err) : std::string());
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
        return false;
    };

    speed_t speed;
    if (!speedFor(baud, speed))
        return fail(Error::Other, "unsupported baud rate " + std::to_string(baud), 0);

    fd_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        int err = errno;
        if (err == ENOENT || err == ENODEV || err == ENXIO || err == ENOTDIR)
            return fail(Error::NotFound, "cannot open", err);
        if (err == EBUSY)
            return fail(Error::Busy, "cannot open", err);
        return fail(Error::Other, "cannot open", err);
    }
    // The lock belongs to this open file: any other opener, in this process or another, fails.
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        return fail(err == EWOULDBLOCK ? Error::Busy : Error::Other, "cannot open", err);
    }
    termios tio;
    if (::tcgetattr(fd_, &tio) != 0)
        return fail(Error::Other, "not a serial device", errno);
    if (::ioctl(fd_, TIOCEXCL) != 0)
        return fail(Error::Other, "cannot open exclusively", errno);
    if (!saved_)
        saved_ = new SavedSettings;
    saved_->tio = tio;

    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    ::cfsetspeed(&tio, speed);
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) {
        int err = errno;
        ::ioctl(fd_, TIOCNXCL);
        return fail(Error::Other, "cannot set line settings", err);
    }
    baud_ = baud;
    ::tcflush(fd_, TCIOFLUSH);
    return true;
}

void SerialDevice::close()
{
    if (fd_ < 0)
        return;
    // The device may be gone already; restoring is best effort then.
    if (saved_)
        ::tcsetattr(fd_, TCSANOW, &saved_->tio);
    ::ioctl(fd_, TIOCNXCL);
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

bool SerialDevice::setBaud(int baud)
{
    speed_t speed;
    if (!speedFor(baud, speed)) {
        error_ = Error::Other;
        errorText_ = "unsupported baud rate " + std::to_string(baud);
        return false;
    }
    if (fd_ < 0) {
        baud_ = baud;
        return true;
    }
    termios tio;
    if (::tcgetattr(fd_, &tio) != 0 || ::cfsetspeed(&tio, speed) != 0 || ::tcsetattr(fd_, TCSANOW, &tio) != 0) {
        error_ = Error::Other;
        errorText_ = path_ + ": cannot set baud rate: " + std::strerror(errno);
        return false;
    }
    baud_ = baud;
    return true;
}

int SerialDevice::read(std::uint8_t* buffer, std::size_t maxBytes, int timeoutMs, Event* cancel)
{
    if (fd_ < 0)
        return -1;
    if (maxBytes == 0)
        return 0;
    const bool unlimited = timeoutMs < 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(unlimited ? 0 : timeoutMs);
    pollfd fds[2] = {{fd_, POLLIN, 0}, {cancel ? cancel->fd() : -1, POLLIN, 0}};
    const nfds_t count = cancel ? 2 : 1;

    for (;;) {
        if (cancel && cancel->isSet())
            return 0;
        int r = ::poll(fds, count, remainingMs(unlimited, deadline));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (r == 0)
            return 0;
        if (cancel && (fds[1].revents & POLLIN))
            return 0;
        short ev = fds[0].revents;
        if (ev & POLLNVAL)
            return -1;
        if (ev & (POLLIN | POLLHUP | POLLERR)) {
            // Data still queued is handed on first; the hang-up shows on the next read.
            ssize_t n = ::read(fd_, buffer, maxBytes);
            if (n > 0)
                return static_cast<int>(n);
            if (n == 0)
                return -1; // end of file: the far end is gone
            if (errno == EAGAIN || errno == EINTR) {
                if (ev & (POLLHUP | POLLERR))
                    return -1;
            } else {
                return -1;
            }
        }
        if (!unlimited && Clock::now() >= deadline)
            return 0;
    }
}

int SerialDevice::write(const std::uint8_t* buffer, std::size_t count)
{
    if (fd_ < 0)
        return -1;
    std::size_t done = 0;
    while (done < count) {
        ssize_t n = ::write(fd_, buffer + done, count - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return -1;
        pollfd p{fd_, POLLOUT, 0};
        int r = ::poll(&p, 1, WriteStallMs);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0 || (p.revents & (POLLERR | POLLHUP | POLLNVAL)))
            return -1;
    }
    return static_cast<int>(done);
}

std::size_t SerialDevice::bytesWaiting() const
{
    if (fd_ < 0)
        return 0;
    int n = 0;
    if (::ioctl(fd_, FIONREAD, &n) != 0 || n < 0)
        return 0;
    return static_cast<std::size_t>(n);
}

int SerialDevice::waitReadable(Event* event, int timeoutMs) const
{
    if (fd_ < 0)
        return Lost;
    const bool unlimited = timeoutMs < 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(unlimited ? 0 : timeoutMs);
    pollfd fds[2] = {{fd_, POLLIN, 0}, {event ? event->fd() : -1, POLLIN, 0}};
    const nfds_t count = event ? 2 : 1;
    for (;;) {
        const int r = ::poll(fds, count, remainingMs(unlimited, deadline));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return Lost;
        }
        if (r == 0)
            return 0;
        int seen = 0;
        if (event && (fds[1].revents & POLLIN))
            seen |= EventSet;
        const short ev = fds[0].revents;
        if (ev & POLLIN)
            seen |= Readable;
        if (ev & (POLLHUP | POLLERR | POLLNVAL))
            seen |= Lost;
        if (seen)
            return seen;
    }
}

void SerialDevice::purge()
{
    if (fd_ >= 0)
        ::tcflush(fd_, TCIOFLUSH);
}

} // namespace platform
