// Serial device on a pty, and the events the serial threads wait on.
// ctest-label: threaded
#include <gtest/gtest.h>

#include <platform/event.h>
#include <platform/serial_device.h>

#include "support/pty.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

using platform::Event;
using platform::SerialDevice;
using testsupport::ComMapping;
using testsupport::PtyPair;
using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

namespace {

// Reads up to n bytes from the master, each wait bounded.
Bytes readMaster(int fd, size_t n)
{
    Bytes out;
    std::uint8_t b[256];
    pollfd p{fd, POLLIN, 0};
    while (out.size() < n && ::poll(&p, 1, 5000) > 0) {
        ssize_t got = ::read(fd, b, std::min(sizeof b, n - out.size()));
        if (got <= 0)
            break;
        out.insert(out.end(), b, b + got);
    }
    return out;
}

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
    void SetUp() override { ASSERT_TRUE(dev.open("COM4", 9600)) << dev.lastErrorText(); }
    PtyPair pty;
    ComMapping map{4, pty.slavePath()};
    SerialDevice dev;
};

} // namespace

TEST(PortNames, ResolveInOrderEnvironmentIniDefault)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    unsetenv("NAVAR_COM2");
    unsetenv("NAVAR_COM3");

    ASSERT_TRUE(QDir().mkpath(dir.path() + "/Navar"));
    QFile ini(dir.path() + "/Navar/ports.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Other]\nCOM2=/dev/wrong\n\n[Ports]\n; comment\nCOM2 = /dev/ttyUSB0\n");
    ini.close();
    EXPECT_EQ(platform::ResolvePortName("COM2"), "/dev/ttyUSB0");
    EXPECT_EQ(platform::ResolvePortName("COM3"), "/dev/ttyS2");
    {
        ComMapping env(2, "/dev/pts/99");
        EXPECT_EQ(platform::ResolvePortName("COM2"), "/dev/pts/99");
    }
    if (oldXdg.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldXdg);
}

TEST(SerialDeviceOpen, MissingDeviceIsNotFound)
{
    ComMapping map(5, "/dev/no-such-serial-device");
    SerialDevice dev;
    EXPECT_FALSE(dev.open("COM5", 9600));
    EXPECT_EQ(dev.lastError(), SerialDevice::Error::NotFound);
    EXPECT_FALSE(dev.lastErrorText().empty());
    std::uint8_t b;
    EXPECT_EQ(dev.read(&b, 1, 0), -1);
    EXPECT_EQ(dev.write(&b, 1), -1);
}

TEST_F(SerialOnPty, SecondOpenerIsRefusedInThisAndAnotherProcess)
{
    EXPECT_EQ(dev.path(), pty.slavePath());
    SerialDevice second;
    EXPECT_FALSE(second.open("COM4", 9600));
    EXPECT_EQ(second.lastError(), SerialDevice::Error::Busy);

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

    // The failed openers left the owner working; once it closes the port is free.
    const std::uint8_t ping[] = {0x55};
    EXPECT_EQ(dev.write(ping, 1), 1);
    EXPECT_EQ(readMaster(pty.masterFd(), 1), Bytes({0x55}));
    dev.close();
    EXPECT_FALSE(dev.isOpen());
    EXPECT_TRUE(second.open("COM4", 9600)) << second.lastErrorText();
}

TEST_F(SerialOnPty, RawLineControlBytesPassBothWaysAndReadsDoNotWaitToFill)
{
    // No hardware flow control, modem lines ignored: a pty cannot show these in behaviour.
    termios tio;
    ASSERT_EQ(tcgetattr(dev.fd(), &tio), 0);
    EXPECT_EQ(tio.c_cflag & (CRTSCTS | CLOCAL | CREAD), (tcflag_t)(CLOCAL | CREAD));

    std::uint8_t buf[100];
    EXPECT_EQ(dev.read(buf, sizeof buf, 30), 0); // time-out without data
    const Bytes bytes = {0x13, 0x11, 0x0D, 0x7F, 0x0A, 0x03, 0x04, 0x1A, 0x00, 0xFF, 0x0D, 0x13};
    auto reader = std::async(std::launch::async, [&] { return dev.read(buf, sizeof buf, 60000); });
    ASSERT_EQ(::write(pty.masterFd(), bytes.data(), bytes.size()), (ssize_t)bytes.size());
    // Far less than the read's own time-out: the read returns what is there.
    ASSERT_EQ(reader.wait_for(10s), std::future_status::ready);
    int got = reader.get();
    ASSERT_GE(got, 1);
    Bytes in(buf, buf + got);
    for (int i = 0; i < 50 && in.size() < bytes.size(); ++i) {
        int more = dev.read(buf, sizeof buf, 200);
        ASSERT_GE(more, 0);
        in.insert(in.end(), buf, buf + more);
    }
    EXPECT_EQ(in, bytes);

    // After a stray XOFF output still flows.
    EXPECT_EQ(dev.write(bytes.data(), bytes.size()), (int)bytes.size());
    EXPECT_EQ(readMaster(pty.masterFd(), bytes.size()), bytes);
}

TEST_F(SerialOnPty, BlockedReadEndsOnCancelAndOnLostPort)
{
    Event stop(true);
    auto reader = StartBlockedRead(dev, stop);
    std::this_thread::sleep_for(20ms);
    stop.set();
    auto status = reader.wait_for(10s);
    if (status != std::future_status::ready)
        pty.closeMaster(); // frees the reader so the test ends
    ASSERT_EQ(status, std::future_status::ready);
    EXPECT_EQ(reader.get(), 0);
    std::uint8_t b[4];
    EXPECT_EQ(dev.read(b, 1, -1, &stop), 0); // a set cancel event ends the read before it starts

    stop.reset();
    reader = StartBlockedRead(dev, stop);
    std::this_thread::sleep_for(20ms);
    pty.closeMaster();
    status = reader.wait_for(10s);
    if (status != std::future_status::ready)
        stop.set();
    ASSERT_EQ(status, std::future_status::ready);
    EXPECT_EQ(reader.get(), -1);
    // Every further call reports the loss rather than timing out quietly.
    EXPECT_EQ(dev.read(b, sizeof b, 1000), -1);
    EXPECT_EQ(dev.write(b, sizeof b), -1);
}

TEST_F(SerialOnPty, PurgeDiscardsWaitingInput)
{
    const std::uint8_t junk[] = {9, 9, 9, 9};
    ASSERT_EQ(::write(pty.masterFd(), junk, sizeof junk), 4);
    for (int i = 0; i < 500 && dev.bytesWaiting() < 4; ++i)
        std::this_thread::sleep_for(2ms);
    EXPECT_EQ(dev.bytesWaiting(), 4u);
    dev.purge();
    EXPECT_EQ(dev.bytesWaiting(), 0u);
    std::uint8_t b;
    EXPECT_EQ(dev.read(&b, 1, 30), 0);
}

TEST_F(SerialOnPty, WaitReadableSeesBytesTheEventAndALostPortWithoutReading)
{
    Event stop(true);
    EXPECT_EQ(dev.waitReadable(&stop, 20), 0);
    stop.set();
    EXPECT_EQ(dev.waitReadable(&stop, -1), SerialDevice::EventSet);
    stop.reset();
    const std::uint8_t b[] = {1, 2};
    ASSERT_EQ(::write(pty.masterFd(), b, sizeof b), 2);
    EXPECT_EQ(dev.waitReadable(&stop, 5000), SerialDevice::Readable);
    EXPECT_EQ(dev.waitReadable(&stop, 5000), SerialDevice::Readable); // nothing was taken
    pty.closeMaster();
    EXPECT_TRUE(dev.waitReadable(&stop, 5000) & SerialDevice::Lost);
    dev.close();
    EXPECT_EQ(dev.waitReadable(nullptr, -1), SerialDevice::Lost);
}

TEST(Events, ResetModesWaitForAnyAndWakingFromAnotherThread)
{
    Event manual(true), autoReset(false, true), c(false);
    autoReset.set(); // a second set before any wait does not count twice
    EXPECT_EQ(platform::WaitForAny({&manual, &autoReset, &c}, 10), 1);
    EXPECT_EQ(platform::WaitForAny({&manual, &autoReset, &c}, 10), platform::WaitTimeout);
    manual.set();
    EXPECT_EQ(platform::WaitForAny({&manual, &autoReset}, 0), 0);
    EXPECT_TRUE(manual.wait(0)); // a manual-reset event stays set until reset
    manual.reset();
    EXPECT_FALSE(manual.wait(10));
    std::thread setter([&] {
        std::this_thread::sleep_for(20ms);
        c.set();
    });
    EXPECT_EQ(platform::WaitForAny({&manual, &autoReset, &c}, 10000), 2);
    setter.join();

    // One set of an auto-reset event releases exactly one of two waiters.
    std::atomic<int> woken{0};
    auto waiter = [&] {
        if (autoReset.wait(300))
            ++woken;
    };
    std::thread w1(waiter), w2(waiter);
    autoReset.set();
    w1.join();
    w2.join();
    EXPECT_EQ(woken.load(), 1);
}
