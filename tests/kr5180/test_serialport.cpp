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

    // One request and its reply through the port.
    void Exchange(const Bytes& request, const Bytes& reply)
    {
        port.SerialPortSend(request.data(), static_cast<int>(request.size()));
        const Bytes frame = Frame(request);
        EXPECT_EQ(ReadBytes(master(), frame.size(), 5000), frame);
        WriteAll(master(), Frame(reply));
        std::uint8_t in[SerialPort::PayloadSize];
        int length = -1;
        port.SetReplyTimeout(5000);
        EXPECT_EQ(port.SerialPortWaitReply(in, &length), 0);
        ASSERT_EQ(length, static_cast<int>(reply.size()));
        EXPECT_EQ(Bytes(in, in + length), reply);
    }

    testsupport::PtyPair pty;
    testsupport::ComMapping mapping;
    SerialPort port;
};

} // namespace

TEST_F(SerialPortTest, ExchangesFramesAndRefusesASecondOpen)
{
    EXPECT_FALSE(port.SerialPortIsOpen());
    EXPECT_EQ(port.ReplyTimeout(), 500);
    ASSERT_TRUE(port.SerialPortOpen(ComName, 9600));
    EXPECT_TRUE(port.SerialPortIsOpen());
    EXPECT_STREQ(port.PortName(), ComName);
    EXPECT_EQ(port.BaudRate(), 9600);

    Exchange({0x80}, {0x80, 0x01, 0x05, 'A'});

    // A second open fails and leaves the running port alone.
    EXPECT_FALSE(port.SerialPortOpen(ComName, 19200));
    EXPECT_FALSE(port.SerialPortOpen("COM8", 19200));
    EXPECT_TRUE(port.SerialPortIsOpen());
    EXPECT_STREQ(port.PortName(), ComName);
    EXPECT_EQ(port.BaudRate(), 9600);
    Exchange({0xA1, 0x00, 0x20, 0x7E}, {0xA1, 0x7D, 0x7E, 0x7F});

    EXPECT_TRUE(port.SerialPortClose());
    EXPECT_FALSE(port.SerialPortIsOpen());
    EXPECT_FALSE(port.SerialPortClose());

    // Re-opening starts fresh threads and events.
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
    std::uint8_t in[SerialPort::PayloadSize];
    int length = -7;
    EXPECT_EQ(port.SerialPortWaitReply(in, &length), 0);
    EXPECT_EQ(length, -7);
}

TEST_F(SerialPortTest, CloseIsPromptWhileAReadIsPending)
{
    ASSERT_TRUE(port.SerialPortOpen(ComName, 9600));
    std::this_thread::sleep_for(50ms); // let the reader block in its read
    bool closed = false;
    EXPECT_TRUE(FinishesWithin(5000ms, [&] { closed = port.SerialPortClose(); }));
    EXPECT_TRUE(closed);
    EXPECT_FALSE(port.SerialPortIsOpen());
}

TEST_F(SerialPortTest, MissingReplyTimesOut)
{
    ASSERT_TRUE(port.SerialPortOpen(ComName, 9600));
    port.SetReplyTimeout(100);
    const std::uint8_t req[] = {0x80};
    port.SerialPortSend(req, 1);
    std::uint8_t in[SerialPort::PayloadSize];
    int length = -7;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.SerialPortWaitReply(in, &length), 258);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);
    EXPECT_EQ(length, -7);
}

TEST_F(SerialPortTest, LateReplyAnswersTheNextWait)
{
    ASSERT_TRUE(port.SerialPortOpen(ComName, 9600));
    port.SetReplyTimeout(100);
    std::uint8_t in[SerialPort::PayloadSize];
    int length = -1;

    const Bytes first{0x81, 0x00, 0x02};
    port.SerialPortSend(first.data(), 3);
    EXPECT_EQ(ReadBytes(master(), Frame(first).size(), 5000), Frame(first));
    EXPECT_EQ(port.SerialPortWaitReply(in, &length), 258);
    WriteAll(master(), Frame({0xB1, 0x11})); // the reply to the first request, too late

    // Once it is in, a wait with no time at all returns it: the event stays set.
    port.SetReplyTimeout(0);
    int rc = 258;
    for (int i = 0; i < 500 && rc == 258; ++i) {
        rc = port.SerialPortWaitReply(in, &length);
        if (rc == 258)
            std::this_thread::sleep_for(10ms);
    }
    ASSERT_EQ(rc, 0);
    EXPECT_EQ(Bytes(in, in + length), (Bytes{0xB1, 0x11}));

    // It was delivered once only.
    port.SetReplyTimeout(50);
    EXPECT_EQ(port.SerialPortWaitReply(in, &length), 258);

    // The late reply of one request is taken as the reply of the next.
    port.SetReplyTimeout(100);
    port.SerialPortSend(first.data(), 3);
    EXPECT_EQ(port.SerialPortWaitReply(in, &length), 258);
    WriteAll(master(), Frame({0xB1, 0x22}));
    port.SetReplyTimeout(5000);
    const Bytes second{0x81, 0x00, 0x04};
    port.SerialPortSend(second.data(), 3);
    EXPECT_EQ(port.SerialPortWaitReply(in, &length), 0);
    EXPECT_EQ(Bytes(in, in + length), (Bytes{0xB1, 0x22}));
}

TEST_F(SerialPortTest, OnlyTheLatestOfSeveralFramesIsKept)
{
    ASSERT_TRUE(port.SerialPortOpen(ComName, 9600));
    Bytes both = Frame({0xB4, 0x01});
    const Bytes second = Frame({0xB4, 0x02, 0x03});
    both.insert(both.end(), second.begin(), second.end());
    WriteAll(master(), both);
    std::this_thread::sleep_for(200ms); // both frames parsed before anyone waits

    std::uint8_t in[SerialPort::PayloadSize];
    int length = -1;
    port.SetReplyTimeout(5000);
    ASSERT_EQ(port.SerialPortWaitReply(in, &length), 0);
    EXPECT_EQ(Bytes(in, in + length), (Bytes{0xB4, 0x02, 0x03}));
    port.SetReplyTimeout(50);
    EXPECT_EQ(port.SerialPortWaitReply(in, &length), 258);
}

TEST_F(SerialPortTest, ReplySplitAcrossReadsAndNoiseBetweenFrames)
{
    ASSERT_TRUE(port.SerialPortOpen(ComName, 9600));
    Bytes wire{0x00, 0x55, 0x7F};
    const Bytes f = Frame({0xB2, 0x7D, 0x10, 0x20});
    wire.insert(wire.end(), f.begin(), f.end());
    std::thread feeder([&] {
        for (std::uint8_t b : wire) {
            WriteAll(master(), {b});
            std::this_thread::sleep_for(3ms);
        }
    });
    std::uint8_t in[SerialPort::PayloadSize];
    int length = -1;
    port.SetReplyTimeout(5000);
    const int rc = port.SerialPortWaitReply(in, &length);
    feeder.join();
    ASSERT_EQ(rc, 0);
    EXPECT_EQ(Bytes(in, in + length), (Bytes{0xB2, 0x7D, 0x10, 0x20}));
}

TEST_F(SerialPortTest, EmptyFrameIsNotTakenAsAReply)
{
    ASSERT_TRUE(port.SerialPortOpen(ComName, 9600));
    Exchange({0x80}, {0x80, 0x01});

    WriteAll(master(), {0x7E, 0x02, 0x00, 0xFF, 0x7F});
    std::uint8_t in[SerialPort::PayloadSize];
    int length = -7;
    port.SetReplyTimeout(200);
    EXPECT_EQ(port.SerialPortWaitReply(in, &length), 258);
    EXPECT_EQ(length, -7);

    Exchange({0x80}, {0x80, 0x02});
}

TEST_F(SerialPortTest, SendRefusesPayloadsThatCannotBeFramed)
{
    ASSERT_TRUE(port.SerialPortOpen(ComName, 9600));
    Bytes big(300, 0x7E);
    EXPECT_EQ(port.SerialPortSend(big.data(), 256), 0);
    EXPECT_EQ(port.SerialPortSend(big.data(), 300), 0);
    EXPECT_EQ(port.SerialPortSend(big.data(), -1), 0);
    EXPECT_TRUE(ReadBytes(master(), 1, 200).empty());

    // The largest payload goes out whole, every byte stuffed.
    port.SerialPortSend(big.data(), 255);
    const Bytes frame = Frame(Bytes(255, 0x7E));
    ASSERT_EQ(frame.size(), 515u);
    EXPECT_EQ(ReadBytes(master(), frame.size(), 5000), frame);
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

    const std::uint8_t req[] = {0x80};
    port.SerialPortSend(req, 1);
    std::uint8_t in[SerialPort::PayloadSize];
    int length = -7;
    port.SetReplyTimeout(50);
    EXPECT_EQ(port.SerialPortWaitReply(in, &length), 258);

    bool closed = false;
    EXPECT_TRUE(FinishesWithin(5000ms, [&] { closed = port.SerialPortClose(); }));
    EXPECT_TRUE(closed);
}
