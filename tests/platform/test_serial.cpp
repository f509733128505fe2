// Serial device on a pty, and the events the serial threads wait on.
// ctest-label: threaded
#include <gtest/gtest.h>

#include <platform/event.h>
#include <platform/serial_device.h>

#include "support/pty.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <future>
#include <thread>
#include <vector>

using platform::Event;
using platform::SerialDevice;
using testsupport::ComMapping;
using testsupport::PtyPair;
using namespace std::chrono_literals;

namespace {

// Reads exactly n bytes from the master, giving up after a bounded time.
std::vector<std::uint8_t> readMaster(int fd, size_t n)
{
    std::vector<std::uint8_t> out;
    auto end = std::chrono::steady_clock::now() + 5s;
    int flags = fcntl(fd, F_GETFL);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    while (out.size() < n && std::chrono::steady_clock::now() < end) {
        std::uint8_t b[256];
        ssize_t got = ::read(fd, b, std::min(sizeof b, n - out.size()));
        if (got > 0)
            out.insert(out.end(), b, b + got);
        else
            std::this_thread::sleep_for(2ms);
    }
    fcntl(fd, F_SETFL, flags);
    return out;
}

// Collects exactly n bytes through the device, bounded.
std::vector<std::uint8_t> readDevice(SerialDevice& dev, size_t n)
{
    std::vector<std::uint8_t> out;
    auto end = std::chrono::steady_clock::now() + 5s;
    while (out.size() < n && std::chrono::steady_clock::now() < end) {
        std::uint8_t b[256];
        int got = dev.read(b, std::min(sizeof b, n - out.size()), 200);
        if (got < 0)
            break;
        out.insert(out.end(), b, b + got);
    }
    return out;
}

class EnvVar {
public:
    EnvVar(const char* name, const QString& value) : name_(name)
    {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (old)
            old_ = old;
        setenv(name, value.toLocal8Bit().constData(), 1);
    }
    ~EnvVar()
    {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }
private:
    const char* name_;
    bool had_;
    std::string old_;
};

// A read without time-out on another thread: only data, the stop event or a lost port end it.
std::future<int> StartBlockedRead(SerialDevice& dev, Event& stop)
{
    return std::async(std::launch::async, [&dev, &stop] {
        std::uint8_t buf[16];
        return dev.read(buf, sizeof buf, -1, &stop);
    });
}

class SerialOnPty : public ::testing::Test {
protected:
    PtyPair pty;
    ComMapping map{4, pty.slavePath()};
};

} // namespace

TEST(PortNames, ResolveInOrderEnvironmentIniDefault)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EnvVar xdg("XDG_CONFIG_HOME", dir.path());
    unsetenv("NAVAR_COM2");
    unsetenv("NAVAR_COM3");

    EXPECT_EQ(platform::ResolvePortName("COM3"), "/dev/ttyS2");
    EXPECT_EQ(platform::ResolvePortName("/dev/ttyUSB7"), "/dev/ttyUSB7");

    ASSERT_TRUE(QDir().mkpath(dir.path() + "/Navar"));
    QFile ini(dir.path() + "/Navar/ports.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Other]\nCOM2=/dev/wrong\n\n[Ports]\n; comment\nCOM2 = /dev/ttyUSB0\n");
    ini.close();
    EXPECT_EQ(platform::ResolvePortName("COM2"), "/dev/ttyUSB0");
    EXPECT_EQ(platform::ResolvePortName("COM3"), "/dev/ttyS2");

    ComMapping env(2, "/dev/pts/99");
    EXPECT_EQ(platform::ResolvePortName("COM2"), "/dev/pts/99");
}

TEST(SerialDeviceOpen, MissingDeviceIsNotFound)
{
    ComMapping map(5, "/dev/no-such-serial-device");
    SerialDevice dev;
    EXPECT_FALSE(dev.open("COM5", 9600));
    EXPECT_EQ(dev.lastError(), SerialDevice::Error::NotFound);
    EXPECT_FALSE(dev.isOpen());
    EXPECT_FALSE(dev.lastErrorText().empty());
    std::uint8_t b;
    EXPECT_EQ(dev.read(&b, 1, 0), -1);
    EXPECT_EQ(dev.write(&b, 1), -1);
}

TEST_F(SerialOnPty, OpensThroughMappingAndIsExclusive)
{
    SerialDevice first;
    ASSERT_TRUE(first.open("COM4", 9600)) << first.lastErrorText();
    EXPECT_EQ(first.path(), pty.slavePath());
    EXPECT_EQ(first.lastError(), SerialDevice::Error::None);

    SerialDevice second;
    EXPECT_FALSE(second.open("COM4", 9600));
    EXPECT_EQ(second.lastError(), SerialDevice::Error::Busy);

    // Another process is refused as well.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SerialDevice other;
        bool ok = other.open("COM4", 9600);
        _exit(ok ? 0 : other.lastError() == SerialDevice::Error::Busy ? 3 : 4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);

    // The failed opener left the owner working.
    const std::uint8_t ping[] = {0x55};
    EXPECT_EQ(first.write(ping, 1), 1);
    EXPECT_EQ(readMaster(pty.masterFd(), 1), std::vector<std::uint8_t>({0x55}));

    first.close();
    EXPECT_FALSE(first.isOpen());
    EXPECT_TRUE(second.open("COM4", 9600)) << second.lastErrorText();
}

TEST_F(SerialOnPty, ControlBytesPassUnchangedBothWays)
{
    SerialDevice dev;
    ASSERT_TRUE(dev.open("COM4", 9600)) << dev.lastErrorText();
    const std::vector<std::uint8_t> bytes = {0x13, 0x11, 0x0D, 0x7F, 0x0A, 0x03, 0x04, 0x1A, 0x00, 0xFF, 0x0D, 0x13};

    ASSERT_EQ(::write(pty.masterFd(), bytes.data(), bytes.size()), (ssize_t)bytes.size());
    EXPECT_EQ(readDevice(dev, bytes.size()), bytes);

    // After a stray XOFF output still flows.
    EXPECT_EQ(dev.write(bytes.data(), bytes.size()), (int)bytes.size());
    EXPECT_EQ(readMaster(pty.masterFd(), bytes.size()), bytes);

    termios tio;
    ASSERT_EQ(tcgetattr(dev.fd(), &tio), 0);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), (tcflag_t)CS8);
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), (tcflag_t)(CLOCAL | CREAD));
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
}

TEST_F(SerialOnPty, BytesAreHandedOnAtOnce)
{
    SerialDevice dev;
    ASSERT_TRUE(dev.open("COM4", 9600)) << dev.lastErrorText();
    auto reader = std::async(std::launch::async, [&] {
        std::uint8_t buf[100];
        return dev.read(buf, sizeof buf, 60000);
    });
    const std::uint8_t three[] = {1, 2, 3};
    ASSERT_EQ(::write(pty.masterFd(), three, 3), 3);
    // Far less than the read's own time-out: the read must not wait to fill its buffer.
    ASSERT_EQ(reader.wait_for(10s), std::future_status::ready);
    int got = reader.get();
    EXPECT_GE(got, 1);
    EXPECT_LE(got, 3);
}

TEST_F(SerialOnPty, TimeOutWithoutDataReturnsZero)
{
    SerialDevice dev;
    ASSERT_TRUE(dev.open("COM4", 9600)) << dev.lastErrorText();
    std::uint8_t buf[8];
    EXPECT_EQ(dev.read(buf, sizeof buf, 30), 0);
    EXPECT_EQ(dev.read(buf, sizeof buf, 0), 0);
}

TEST_F(SerialOnPty, CancelEndsBlockedRead)
{
    SerialDevice dev;
    ASSERT_TRUE(dev.open("COM4", 9600)) << dev.lastErrorText();
    Event stop(true);
    auto reader = StartBlockedRead(dev, stop);
    std::this_thread::sleep_for(20ms);
    stop.set();
    auto status = reader.wait_for(10s);
    if (status != std::future_status::ready)
        pty.closeMaster(); // frees the reader so the test ends
    ASSERT_EQ(status, std::future_status::ready);
    EXPECT_EQ(reader.get(), 0);

    // A set cancel event ends the read before it starts.
    std::uint8_t b;
    EXPECT_EQ(dev.read(&b, 1, -1, &stop), 0);
}

TEST_F(SerialOnPty, FarEndClosingIsReportedAsLostPort)
{
    SerialDevice dev;
    ASSERT_TRUE(dev.open("COM4", 9600)) << dev.lastErrorText();
    Event stop(true);
    auto reader = StartBlockedRead(dev, stop);
    std::this_thread::sleep_for(20ms);
    pty.closeMaster();
    auto status = reader.wait_for(10s);
    if (status != std::future_status::ready)
        stop.set();
    ASSERT_EQ(status, std::future_status::ready);
    EXPECT_EQ(reader.get(), -1);

    // Every further read reports the loss rather than timing out quietly.
    std::uint8_t b[4];
    EXPECT_EQ(dev.read(b, sizeof b, 1000), -1);
    EXPECT_EQ(dev.write(b, sizeof b), -1);
    dev.close();
    EXPECT_FALSE(dev.isOpen());
}

TEST_F(SerialOnPty, LineSettingsRestoredAtClose)
{
    int t = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(t, 0);
    termios cooked;
    ASSERT_EQ(tcgetattr(t, &cooked), 0);
    cooked.c_iflag |= ICRNL | IXON;
    cooked.c_lflag |= ICANON | ECHO;
    cooked.c_oflag |= OPOST | ONLCR;
    cfsetspeed(&cooked, B1200);
    ASSERT_EQ(tcsetattr(t, TCSANOW, &cooked), 0);
    ASSERT_EQ(tcgetattr(t, &cooked), 0);

    SerialDevice dev;
    ASSERT_TRUE(dev.open("COM4", 19200)) << dev.lastErrorText();
    termios during;
    ASSERT_EQ(tcgetattr(t, &during), 0);
    EXPECT_EQ(during.c_lflag & ICANON, 0u);
    EXPECT_EQ(cfgetospeed(&during), (speed_t)B19200);
    EXPECT_TRUE(dev.setBaud(4800));
    EXPECT_EQ(dev.baud(), 4800);
    EXPECT_FALSE(dev.setBaud(12345));
    dev.close();

    termios after;
    ASSERT_EQ(tcgetattr(t, &after), 0);
    EXPECT_EQ(after.c_iflag, cooked.c_iflag);
    EXPECT_EQ(after.c_oflag, cooked.c_oflag);
    EXPECT_EQ(after.c_cflag, cooked.c_cflag);
    EXPECT_EQ(after.c_lflag, cooked.c_lflag);
    ::close(t);
}

TEST_F(SerialOnPty, PurgeDiscardsInputAndLongWritesComplete)
{
    SerialDevice dev;
    ASSERT_TRUE(dev.open("COM4", 9600)) << dev.lastErrorText();
    const std::uint8_t junk[] = {9, 9, 9, 9};
    ASSERT_EQ(::write(pty.masterFd(), junk, sizeof junk), 4);
    for (int i = 0; i < 500 && dev.bytesWaiting() < 4; ++i)
        std::this_thread::sleep_for(2ms);
    EXPECT_EQ(dev.bytesWaiting(), 4u);
    dev.purge();
    EXPECT_EQ(dev.bytesWaiting(), 0u);

    // Larger than the pty's buffer: write must wait for the far end and finish.
    std::vector<std::uint8_t> big(200000);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<std::uint8_t>(i * 7);
    auto drain = std::async(std::launch::async, [&] { return readMaster(pty.masterFd(), big.size()); });
    EXPECT_EQ(dev.write(big.data(), big.size()), (int)big.size());
    ASSERT_EQ(drain.wait_for(10s), std::future_status::ready);
    EXPECT_TRUE(drain.get() == big);
}

TEST(Events, ManualResetStaysSetUntilReset)
{
    Event e(true);
    EXPECT_FALSE(e.isSet());
    EXPECT_FALSE(e.wait(0));
    e.set();
    e.set();
    EXPECT_TRUE(e.isSet());
    EXPECT_TRUE(e.wait(0));
    EXPECT_TRUE(e.wait(10));
    e.reset();
    EXPECT_FALSE(e.isSet());
    EXPECT_FALSE(e.wait(10));
    Event initially(true, true);
    EXPECT_TRUE(initially.wait(0));
}

TEST(Events, AutoResetIsConsumedByOneWait)
{
    Event e(false);
    e.set();
    e.set(); // a second set before any wait does not count twice
    EXPECT_TRUE(e.isSet());
    EXPECT_TRUE(e.wait(0));
    EXPECT_FALSE(e.isSet());
    EXPECT_FALSE(e.wait(10));
    Event initially(false, true);
    EXPECT_TRUE(initially.wait(0));
    EXPECT_FALSE(initially.wait(0));
}

TEST(Events, WaitForAnyReportsWhichAndTimesOut)
{
    Event a(true), b(false), c(false);
    EXPECT_EQ(platform::WaitForAny({&a, &b, &c}, 10), platform::WaitTimeout);
    b.set();
    EXPECT_EQ(platform::WaitForAny({&a, &b, &c}, 10), 1);
    EXPECT_FALSE(b.isSet());
    a.set();
    EXPECT_EQ(platform::WaitForAny({&a, &b}, 0), 0);
    EXPECT_TRUE(a.isSet());
    a.reset();
    c.set();
    EXPECT_EQ(platform::WaitForAny({&a, &b, &c}, -1), 2);
}

TEST(Events, SetFromAnotherThreadWakesWaiter)
{
    Event e(false);
    std::thread setter([&] {
        std::this_thread::sleep_for(20ms);
        e.set();
    });
    EXPECT_TRUE(e.wait(10000));
    setter.join();

    // One set of an auto-reset event releases exactly one of two waiters.
    Event one(false);
    std::atomic<int> woken{0};
    auto waiter = [&] {
        if (one.wait(300))
            ++woken;
    };
    std::thread w1(waiter), w2(waiter);
    one.set();
    w1.join();
    w2.join();
    EXPECT_EQ(woken.load(), 1);
}
