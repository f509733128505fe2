// The serial port over a pseudo-terminal: open/close, exchanges, time-outs, line format.
// ctest-label: threaded
#include "serialport.h"

#include "support/pty.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

constexpr int ComNumber = 7;
constexpr const char* ComName = "COM7";

Bytes Frame(const Bytes& payload)
{
    std::uint8_t out[navar_Protocol::BufferSize];
    const int n = navar_Protocol::ProtocolBuildFrame(out, payload.data(), static_cast<int>(payload.size()));
    return Bytes(out, out + n);
}

void WriteAll(int fd, const Bytes& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        ASSERT_GT(n, 0);
        done += static_cast<std::size_t>(n);
    }
}

// Reads from the master until `count` bytes came or `timeoutMs` passed.
Bytes ReadBytes(int fd, std::size_t count, int timeoutMs)
{
    Bytes got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (got.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0)
            break;
        std::uint8_t buf[1024];
        const ssize_t n = ::read(fd, buf, std::min(sizeof buf, count - got.size()));
        if (n <= 0)
            break;
        got.insert(got.end(), buf, buf + n);
    }
    return got;
}

double CpuSeconds()
{
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Runs f on another thread and reports whether it finished within the bound.
template <typename F>
bool FinishesWithin(std::chrono::milliseconds bound, F f)
{
    auto done = std::async(std::launch::async, f);
    return done.wait_for(bound) == std::future_status::ready;
}

class SerialPortTest : public ::testing::Test {
protected:
    SerialPortTest() : mapping(ComNumber, pty.slavePath()) {}

    int master() const { return pty.masterFd(); }

    void Send(const Bytes& request) { port.SerialPortSend(request.data(), static_cast<int>(request.size())); }

    // Waits for a reply into `in`/`length` with the given reply time-out.
    int Wait(int timeoutMs)
    {
        port.SetReplyTimeout(timeoutMs);
        return port.SerialPortWaitReply(in, &length);
    }
    Bytes Got() const { return Bytes(in, in + length); }

    // One request and its reply through the port.
    void Exchange(const Bytes& request, const Bytes& reply)
    {
        Send(request);
        EXPECT_EQ(ReadBytes(master(), Frame(request).size(), 5000), Frame(request));
        WriteAll(master(), Frame(reply));
        EXPECT_EQ(Wait(5000), 0);
        EXPECT_EQ(Got(), reply);
    }

    testsupport::PtyPair pty;
    testsupport::ComMapping mapping;
    SerialPort port;
    std::uint8_t in[SerialPort::PayloadSize] = {};
    int length = -7;
};

} // namespace

TEST_F(SerialPortTest, ExchangesFramesRefusesASecondOpenAndClosesPromptly)
{
    ASSERT_TRUE(port.SerialPortOpen(ComName, 9600));
    Exchange({0x80}, {0x80, 0x01, 0x05, 'A'});

    // A second open fails and leaves the running port alone.
    EXPECT_FALSE(port.SerialPortOpen(ComName, 19200));
    EXPECT_FALSE(port.SerialPortOpen("COM8", 19200));
    EXPECT_TRUE(port.SerialPortIsOpen());
    EXPECT_STREQ(port.PortName(), ComName);
    EXPECT_EQ(port.BaudRate(), 9600);
    Exchange({0xA1, 0x00, 0x20, 0x7E}, {0xA1, 0x7D, 0x7E, 0x7F});

    // Payloads that cannot be framed are not sent at all.
    Bytes big(300, 0x7E);
    EXPECT_EQ(port.SerialPortSend(big.data(), 256), 0);
    EXPECT_EQ(port.SerialPortSend(big.data(), -1), 0);
    EXPECT_TRUE(ReadBytes(master(), 1, 200).empty());

    // Closing while the reader is blocked in its read is prompt. The line leaves a frame
    // half received; the next port must not take its first reply as the rest of it.
    WriteAll(master(), {0x7E, 0x02, 0xFF, 0x01});
    std::this_thread::sleep_for(50ms);
    bool closed = false;
    EXPECT_TRUE(FinishesWithin(5000ms, [&] { closed = port.SerialPortClose(); }));
    EXPECT_TRUE(closed);
    EXPECT_FALSE(port.SerialPortIsOpen());
    EXPECT_FALSE(port.SerialPortClose());
    // Re-opening starts fresh threads, events and receiver.
    ASSERT_TRUE(port.SerialPortOpen(ComName, 9600));
    Exchange({0x83, 0x00, 0x10}, {0x83, 0x00});
}

TEST_F(SerialPortTest, MissingDevice)
{
    testsupport::ComMapping gone(ComNumber, "/nonexistent/navar-tty");
    EXPECT_FALSE(port.SerialPortOpen(ComName, 9600));
    EXPECT_FALSE(port.SerialPortIsOpen());
    EXPECT_FALSE(port.SerialPortClose());
    // A closed port sends nothing and delivers nothing.
    const std::uint8_t req[] = {0x80};
    EXPECT_EQ(port.SerialPortSend(req, 1), 0);
    EXPECT_EQ(port.SerialPortWaitReply(in, &length), 0);
    EXPECT_EQ(length, -7);
}

TEST_F(SerialPortTest, MissingOrEmptyReplyTimesOut)
{
    ASSERT_TRUE(port.SerialPortOpen(ComName, 9600));
    Send({0x80});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Wait(100), 258);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);
    EXPECT_EQ(length, -7);

    // An empty frame is not taken as a reply.
    WriteAll(master(), {0x7E, 0x02, 0x00, 0xFF, 0x7F});
    EXPECT_EQ(Wait(200), 258);
    EXPECT_EQ(length, -7);
}

TEST_F(SerialPortTest, ARequestForgetsRepliesNobodyTookAndHalfFrames)
{
    ASSERT_TRUE(port.SerialPortOpen(ComName, 9600));
    // A reply after its wait gave up, then a frame nobody asked for.
    Send({0x81, 0x00, 0x02});
    EXPECT_EQ(ReadBytes(master(), Frame({0x81, 0x00, 0x02}).size(), 5000), Frame({0x81, 0x00, 0x02}));
    EXPECT_EQ(Wait(100), 258);
    WriteAll(master(), Frame({0x81, 0x00, 0x02, 0x11}));
    WriteAll(master(), Frame({0x04, 0x81}));
    std::this_thread::sleep_for(200ms); // both parsed before the next request
    Exchange({0x81, 0x00, 0x03}, {0x81, 0x00, 0x03, 0x22});

    // Noise that looks like the start of a frame: the next reply's start byte is not its length.
    WriteAll(master(), {0x13, 0x7E, 0x02});
    std::this_thread::sleep_for(200ms);
    Exchange({0x81, 0x00, 0x04}, {0x81, 0x00, 0x04, 0x33});
    Exchange({0x81, 0x00, 0x05}, {0x81, 0x00, 0x05, 0x44});
}

TEST_F(SerialPortTest, RequestsHandedOverBackToBackAllReachTheLine)
{
    ASSERT_TRUE(port.SerialPortOpen(ComName, 9600));
    Bytes line;
    for (int i = 0; i < 16; ++i) {
        const Bytes request{0x83, 0x00, static_cast<std::uint8_t>(16 * i)};
        Send(request);
        const Bytes frame = Frame(request);
        line.insert(line.end(), frame.begin(), frame.end());
    }
    EXPECT_EQ(ReadBytes(master(), line.size(), 5000), line);
}

TEST_F(SerialPortTest, OnlyTheLatestOfSeveralFramesIsKept)
{
    ASSERT_TRUE(port.SerialPortOpen(ComName, 9600));
    Bytes both = Frame({0xB4, 0x01});
    const Bytes second = Frame({0xB4, 0x02, 0x03});
    both.insert(both.end(), second.begin(), second.end());
    WriteAll(master(), both);
    std::this_thread::sleep_for(200ms); // both frames parsed before anyone waits
    ASSERT_EQ(Wait(5000), 0);
    EXPECT_EQ(Got(), (Bytes{0xB4, 0x02, 0x03}));
    EXPECT_EQ(Wait(50), 258);
}

// A read took a reply that was not its own, and its own came before the read marked it
// due: nothing is due, and the wait for it sleeps rather than spins.
TEST_F(SerialPortTest, AReplyInBeforeItIsMarkedDueIsNotWaitedFor)
{
    ASSERT_TRUE(port.SerialPortOpen(ComName, 9600));
    Send({0xB5, 0x03, 0x03});
    WriteAll(master(), Frame({0xA1, 0x00, 0x10}));
    ASSERT_EQ(Wait(1000), 0);
    WriteAll(master(), Frame({0xB5, 0x03, 0x03, 0x40}));
    std::this_thread::sleep_for(200ms); // published before the mark
    port.ExpectLateReply();
    EXPECT_EQ(port.LateReplyDue(), 0);
    const double cpu0 = CpuSeconds();
    port.WaitLateReply();
    EXPECT_LT(CpuSeconds() - cpu0, 0.25);
}

TEST_F(SerialPortTest, LineIsAlways8N1)
{
    // Leave the line as far from 8N1 as the terminal allows before the program opens it
    // (a pty keeps some of these bits and drops others).
    termios odd{};
    ASSERT_EQ(::tcgetattr(master(), &odd), 0);
    odd.c_cflag = (odd.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB;
    ::cfsetispeed(&odd, B4800);
    ::cfsetospeed(&odd, B4800);
    ASSERT_EQ(::tcsetattr(master(), TCSANOW, &odd), 0);
    termios found{};
    ASSERT_EQ(::tcgetattr(master(), &found), 0);

    ASSERT_TRUE(port.SerialPortOpen(ComName, 19200));
    termios now{};
    ASSERT_EQ(::tcgetattr(master(), &now), 0);
    EXPECT_EQ(now.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(now.c_cflag & PARENB, 0u);
    EXPECT_EQ(now.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(::cfgetospeed(&now), static_cast<speed_t>(B19200));
    EXPECT_EQ(now.c_lflag & (ICANON | ECHO), 0u);
    Exchange({0x80}, {0x80, 0x13, 0x11, 0x0D, 0x0A}); // flow-control and line-end bytes pass

    // Closing puts the line back as it was found.
    ASSERT_TRUE(port.SerialPortClose());
    ASSERT_EQ(::tcgetattr(master(), &now), 0);
    EXPECT_EQ(now.c_cflag, found.c_cflag);
    EXPECT_EQ(::cfgetospeed(&now), ::cfgetospeed(&found));
}

TEST_F(SerialPortTest, FarEndGoneNeitherSpinsNorHangsClose)
{
    ASSERT_TRUE(port.SerialPortOpen(ComName, 9600));
    pty.closeMaster();
    std::this_thread::sleep_for(50ms);

    // A reader looping on the dead line would burn a whole core meanwhile.
    const double cpu0 = CpuSeconds();
    std::this_thread::sleep_for(500ms);
    EXPECT_LT(CpuSeconds() - cpu0, 0.25);

    Send({0x80});
    EXPECT_EQ(Wait(50), 258);

    bool closed = false;
    EXPECT_TRUE(FinishesWithin(5000ms, [&] { closed = port.SerialPortClose(); }));
    EXPECT_TRUE(closed);
}
