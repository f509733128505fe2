#include <platform/serial_device.h>
#include <platform/event.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <vector>

namespace platform {

namespace detail {
bool SetAnyBaud(int fd, int baud);
int CurrentBaud(int fd);
} // namespace detail

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

// Root of the device tree: $NAVAR_DEVROOT for tests, else the real one.
std::string deviceRoot()
{
    const char* root = std::getenv("NAVAR_DEVROOT");
    std::string r = root ? root : "";
    while (!r.empty() && r.back() == '/')
        r.pop_back();
    return r;
}

// The number after `prefix` in a name such as "ttyUSB12", or -1.
long deviceNumber(const std::string& name, const std::string& prefix)
{
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0
        || name.size() - prefix.size() > 6)
        return -1;
    long n = 0;
    for (size_t i = prefix.size(); i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return -1;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

std::vector<std::string> listDir(const std::string& dir)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    return names;
}

// Devices named prefix<number> in dev/, in number order.
std::vector<std::string> numbered(const std::string& devDir, const std::vector<std::string>& names,
                                  const std::string& prefix)
{
    std::vector<std::pair<long, std::string>> found;
    for (const std::string& n : names)
        if (long k = deviceNumber(n, prefix); k >= 0)
            found.emplace_back(k, n);
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (auto& f : found)
        paths.push_back(devDir + "/" + f.second);
    return paths;
}

// The kernel's UART type of ttySn; 0 (unknown) when there is no UART behind it.
bool hasUart(const std::string& root, const std::string& name)
{
    std::ifstream in(root + "/sys/class/tty/" + name + "/type");
    int type = 0;
    return in >> type && type != 0;
}

std::string canonical(const std::string& path)
{
    std::error_code ec;
    auto c = std::filesystem::canonical(path, ec);
    return ec ? std::string() : c.string();
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

// What poll sees on the port and the event until the deadline: SerialDevice's wait flags,
// 0 on time-out.
int waitUntil(int fd, Event* event, bool unlimited, Clock::time_point deadline)
{
    pollfd fds[2] = {{fd, POLLIN, 0}, {event ? event->fd() : -1, POLLIN, 0}};
    const nfds_t count = event ? 2 : 1;
    for (;;) {
        const int r = ::poll(fds, count, remainingMs(unlimited, deadline));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return SerialDevice::Lost;
        }
        if (r == 0)
            return 0;
        int seen = 0;
        if (event && (fds[1].revents & POLLIN))
            seen |= SerialDevice::EventSet;
        const short ev = fds[0].revents;
        if (ev & POLLIN)
            seen |= SerialDevice::Readable;
        if (ev & (POLLHUP | POLLERR | POLLNVAL))
            seen |= SerialDevice::Lost;
        if (seen)
            return seen;
    }
}

// How the last open of each port by this process ended, for PortOpenFailure.
struct OpenRecord {
    std::string path;
    SerialDevice::Error error = SerialDevice::Error::None;
    std::string reason;
};
std::mutex recordsMutex;
std::map<std::string, OpenRecord> records;

std::string recordKey(const std::string& name)
{
    int n = comNumber(name);
    return n > 0 ? "COM" + std::to_string(n) : name;
}

void recordOpen(const std::string& name, const std::string& path, SerialDevice::Error error,
                const std::string& reason)
{
    std::lock_guard<std::mutex> lock(recordsMutex);
    records[recordKey(name)] = {path, error, reason};
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
    const std::vector<std::string> present = SerialDevicesPresent();
    return static_cast<size_t>(n) <= present.size() ? present[static_cast<size_t>(n) - 1] : std::string();
}

std::vector<std::string> SerialDevicesPresent()
{
    const std::string root = deviceRoot();
    const std::string devDir = root + "/dev";
    std::vector<std::string> devices;
    std::vector<std::string> taken; // what the by-id links point at

    const std::string byId = devDir + "/serial/by-id";
    std::vector<std::string> ids = listDir(byId);
    std::sort(ids.begin(), ids.end());
    for (const std::string& id : ids) {
        std::string target = canonical(byId + "/" + id);
        if (target.empty())
            continue; // a link left behind by a device that is gone
        devices.push_back(byId + "/" + id);
        taken.push_back(target);
    }

    const std::vector<std::string> names = listDir(devDir);
    for (const char* prefix : {"ttyUSB", "ttyACM"})
        for (const std::string& path : numbered(devDir, names, prefix))
            if (std::find(taken.begin(), taken.end(), canonical(path)) == taken.end())
                devices.push_back(path);
    for (const std::string& path : numbered(devDir, names, "ttyS"))
        if (hasUart(root, path.substr(devDir.size() + 1)))
            devices.push_back(path);
    return devices;
}

std::string DescribePort(const std::string& name)
{
    const std::string path = ResolvePortName(name);
    if (path.empty())
        return "No serial device";
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return path + " (not present)";
    return path;
}

std::string PortOpenFailure(const std::string& name)
{
    const std::string key = recordKey(name);
    OpenRecord r;
    {
        std::lock_guard<std::mutex> lock(recordsMutex);
        auto it = records.find(key);
        if (it == records.end() || it->second.error == SerialDevice::Error::None)
            return {};
        r = it->second;
    }
    std::string text = r.path.empty() ? key + " has no device.\n" : key + " is " + r.path + ".\n";
    switch (r.error) {
    case SerialDevice::Error::NotFound:
        return text + "Not present: see the README's Serial ports.";
    case SerialDevice::Error::NoAccess:
        return text + "Permission denied: add your user to the dialout group and log in again.";
    case SerialDevice::Error::Busy:
        return text + "In use by another program: close it and try again.";
    default:
        if (!r.reason.empty())
            r.reason[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(r.reason[0])));
        return text + r.reason + ".";
    }
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

    auto fail = [this, &name](Error e, const std::string& what, int err) {
        error_ = e;
        const std::string reason = what + (err ? std::string(": ") + std::strerror(err) : std::string());
        errorText_ = (path_.empty() ? name : path_) + ": " + reason;
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
        recordOpen(name, path_, e, reason);
        return false;
    };

    if (path_.empty())
        return fail(Error::NotFound, "no serial device", 0);
    fd_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        int err = errno;
        if (err == ENOENT || err == ENODEV || err == ENXIO || err == ENOTDIR)
            return fail(Error::NotFound, "cannot open", err);
        if (err == EBUSY)
            return fail(Error::Busy, "cannot open", err);
        if (err == EACCES || err == EPERM)
            return fail(Error::NoAccess, "cannot open", err);
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

    // What the driver makes of the line settings never decides the open.
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    speed_t speed;
    const bool fixed = speedFor(baud, speed);
    ::cfsetspeed(&tio, fixed ? speed : B9600);
    ::tcsetattr(fd_, TCSANOW, &tio);
    if (!fixed)
        detail::SetAnyBaud(fd_, baud);
    const int actual = detail::CurrentBaud(fd_);
    baud_ = actual > 0 ? actual : baud;
    ::tcflush(fd_, TCIOFLUSH);
    recordOpen(name, path_, Error::None, {});
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
    if (fd_ < 0) {
        baud_ = baud;
        return true;
    }
    speed_t speed;
    termios tio;
    bool ok;
    if (speedFor(baud, speed))
        ok = ::tcgetattr(fd_, &tio) == 0 && ::cfsetspeed(&tio, speed) == 0 && ::tcsetattr(fd_, TCSANOW, &tio) == 0;
    else
        ok = detail::SetAnyBaud(fd_, baud);
    if (!ok) {
        error_ = Error::Other;
        errorText_ = path_ + ": cannot set baud rate " + std::to_string(baud) + ": " + std::strerror(errno);
        return false;
    }
    const int actual = detail::CurrentBaud(fd_);
    baud_ = actual > 0 ? actual : baud;
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

    for (;;) {
        if (cancel && cancel->isSet())
            return 0;
        const int seen = waitUntil(fd_, cancel, unlimited, deadline);
        if (seen == 0 || (seen & EventSet))
            return 0;
        // Data still queued is handed on first; the hang-up shows on the next read.
        ssize_t n = ::read(fd_, buffer, maxBytes);
        if (n > 0)
            return static_cast<int>(n);
        if (n == 0)
            return -1; // end of file: the far end is gone
        if ((errno != EAGAIN && errno != EINTR) || (seen & Lost))
            return -1;
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
    return waitUntil(fd_, event, unlimited, Clock::now() + std::chrono::milliseconds(unlimited ? 0 : timeoutMs));
}

void SerialDevice::purge()
{
    if (fd_ >= 0)
        ::tcflush(fd_, TCIOFLUSH);
}

} // namespace platform
