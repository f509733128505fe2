// Serial device on a pty, and the events the serial threads wait on.
// ctest-label: threaded
#include <gtest/gtest.h>

#include <platform/event.h>
#include <platform/serial_device.h>

#include "support/device_tree.h"
#include "support/pty.h"

#include <QDir>
#include <QFile>

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
using testsupport::FakeDeviceTree;
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

TEST(PortNames, UnnamedPortsTakeThePresentDevicesInOrderEnvironmentAndIniWinPortByPort)
{
    FakeDeviceTree tree;
    for (const char* d : {"ttyUSB0", "ttyUSB1", "ttyUSB2", "ttyUSB10", "ttyACM0", "ttyACM1", "ttyS0", "ttyS1",
                          "ttyS2", "ttyS3", "ttyUSBx", "tty0"})
        tree.addDevice(d);
    tree.addById("usb-Prolific_B-if00", "ttyUSB1");
    tree.addById("usb-FTDI_A-if00", "ttyACM0");
    tree.addById("usb-Gone-if00", "ttyUSB7"); // left behind by a lead that was pulled
    tree.setUartType("ttyS0", 4);
    tree.setUartType("ttyS1", 0); // a port with no UART behind it
    tree.setUartType("ttyS3", 4); // ttyS2 has no type at all
    const std::vector<std::string> expected = {
        tree.path("dev/serial/by-id/usb-FTDI_A-if00"), tree.path("dev/serial/by-id/usb-Prolific_B-if00"),
        tree.path("dev/ttyUSB0"), tree.path("dev/ttyUSB2"), tree.path("dev/ttyUSB10"), tree.path("dev/ttyACM1"),
        tree.path("dev/ttyS0"), tree.path("dev/ttyS3")};
    EXPECT_EQ(platform::SerialDevicesPresent(), expected);
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(platform::ResolvePortName("COM" + std::to_string(i + 1)), expected[i]) << i;
    EXPECT_EQ(platform::ResolvePortName("COM9"), "");
    EXPECT_EQ(platform::ResolvePortName("com2"), expected[1]);
    EXPECT_EQ(platform::ResolvePortName("/dev/ttyUSB0"), "/dev/ttyUSB0");

    // ports.ini and the environment name single ports; the others keep their devices.
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    ASSERT_TRUE(QDir().mkpath(config + "/Navar"));
    QFile ini(config + "/Navar/ports.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Other]\nCOM2=/dev/wrong\n\n[Ports]\n; comment\nCOM2 = /dev/ttyUSB0\nCOM3=/dev/ttyUSB9\n");
    ini.close();
    {
        ComMapping env(3, "/dev/pts/99");
        EXPECT_EQ(platform::ResolvePortName("COM1"), expected[0]);
        EXPECT_EQ(platform::ResolvePortName("COM2"), "/dev/ttyUSB0");
        EXPECT_EQ(platform::ResolvePortName("COM3"), "/dev/pts/99");
        EXPECT_EQ(platform::ResolvePortName("COM4"), expected[3]);
    }
    EXPECT_EQ(platform::DescribePort("COM1"), expected[0]);
    EXPECT_EQ(platform::DescribePort("COM3"), "/dev/ttyUSB9 (not present)");
    EXPECT_EQ(platform::DescribePort("COM9"), "No serial device");
    ASSERT_TRUE(ini.remove());
}

TEST(SerialDeviceOpen, ARateOutsideTheFixedTableStillOpensAndIsSet)
{
    PtyPair pty;
    ComMapping map(4, pty.slavePath());
    SerialDevice dev;
    ASSERT_TRUE(dev.open("COM4", 14400)) << dev.lastErrorText();
    EXPECT_EQ(dev.baud(), 14400);
    EXPECT_TRUE(dev.setBaud(31250));
    EXPECT_EQ(dev.baud(), 31250);
    dev.close();
    // Whatever the driver makes of the rate, the port opens.
    EXPECT_TRUE(dev.open("COM4", -1)) << dev.lastErrorText();
}

TEST(SerialDeviceOpen, AFailedOpenSaysWhichDeviceWhyAndWhatToDo)
{
    FakeDeviceTree tree; // nothing present
    SerialDevice dev;
    EXPECT_FALSE(dev.open("COM2", 9600));
    EXPECT_EQ(dev.lastError(), SerialDevice::Error::NotFound);
    EXPECT_EQ(platform::PortOpenFailure("COM2"), "COM2 has no device.\nNot present: see the README's Serial ports.");
    {
        ComMapping map(2, "/dev/no-such-serial-device");
        EXPECT_FALSE(dev.open("COM2", 9600));
        EXPECT_EQ(platform::PortOpenFailure("COM2"),
                  "COM2 is /dev/no-such-serial-device.\nNot present: see the README's Serial ports.");
    }
    // A file nobody, not even root, may open for writing.
    if (QFileInfo::exists("/sys/kernel/uevent_seqnum")) {
        ComMapping map(2, "/sys/kernel/uevent_seqnum");
        EXPECT_FALSE(dev.open("COM2", 9600));
        EXPECT_EQ(dev.lastError(), SerialDevice::Error::NoAccess);
        EXPECT_EQ(platform::PortOpenFailure("COM2"), "COM2 is /sys/kernel/uevent_seqnum.\nPermission denied: add "
                                                     "your user to the dialout group and log in again.");
    }
    PtyPair pty;
    ComMapping map(2, pty.slavePath());
    SerialDevice owner;
    ASSERT_TRUE(owner.open("COM2", 9600));
    EXPECT_EQ(platform::PortOpenFailure("COM2"), ""); // a good open clears the reason
    EXPECT_FALSE(dev.open("COM2", 9600));
    EXPECT_EQ(platform::PortOpenFailure("COM2"),
              "COM2 is " + pty.slavePath() + ".\nIn use by another program: close it and try again.");
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
