// Round-trip time of one version exchange with the simulated KR5180, against the time the
// bytes need on the line at 9600 baud. Usage: bench_kr5180_link [exchanges]
#include "support/kr5180_sim.h"
#include "support/pty.h"

#include "eeprom.h"
#include "radio.h"
#include "serialport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

using testsupport::Bytes;
using testsupport::Kr5180Sim;
using Clock = std::chrono::steady_clock;

namespace {

struct Result {
    int failures = 0;
    std::vector<double> ms;
};

Result Run(int count, const std::function<bool()>& exchange)
{
    Result r;
    r.ms.reserve(count);
    for (int i = 0; i < count; ++i) {
        auto t0 = Clock::now();
        bool ok = exchange();
        auto t1 = Clock::now();
        r.ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        if (!ok)
            ++r.failures;
    }
    return r;
}

void Report(const char* name, Result r, Kr5180Sim& sim, int baud, int count)
{
    // Bytes on the line, both directions, as the simulator counted them.
    const double lineBytes = double(sim.bytesReceived() + sim.bytesSent()) / count;
    const int wireBaud = baud > 0 ? baud : 9600;
    const double wireMs = lineBytes * 10.0 * 1000.0 / wireBaud;
    std::sort(r.ms.begin(), r.ms.end());
    double sum = 0;
    for (double v : r.ms)
        sum += v;
    const double mean = sum / r.ms.size();
    std::printf("%-34s n=%d fail=%d  mean %.3f ms  median %.3f  p99 %.3f  max %.3f | "
                "%.1f bytes/exchange, wire time at 9600 %.3f ms, ratio %.3f\n",
                name, count, r.failures, mean, r.ms[r.ms.size() / 2],
                r.ms[std::min(r.ms.size() - 1, r.ms.size() * 99 / 100)], r.ms.back(), lineBytes,
                wireMs, mean / wireMs);
}

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;

    Kr5180Sim sim;
    sim.setVersion(1, 5, 'A');
    testsupport::ComMapping mapping(1, sim.slavePath());

    SerialPort port;
    serialPort = &port;
    if (!port.SerialPortOpen("COM1", 9600)) {
        std::fprintf(stderr, "cannot open the simulator's port %s\n", sim.slavePath().c_str());
        return 1;
    }
    EEPROM image(256);
    KR5100 radio(&image);
    radioCmd = &radio;

    const Bytes request{0x80};
    const Bytes reply{0x80, 1, 5, 'A'};
    const std::size_t frameBytes = Kr5180Sim::buildFrame(request).size() + Kr5180Sim::buildFrame(reply).size();
    std::printf("version exchange: %zu bytes on the line (request %zu + reply %zu), "
                "wire time at 9600 baud %.3f ms\n",
                frameBytes, Kr5180Sim::buildFrame(request).size(), Kr5180Sim::buildFrame(reply).size(),
                frameBytes * 10.0 * 1000.0 / 9600);

    auto rawExchange = [&] {
        std::uint8_t buf[SerialPort::PayloadSize];
        int len = 0;
        port.SerialPortSend(request.data(), static_cast<int>(request.size()));
        if (port.SerialPortWaitReply(buf, &len) != 0)
            return false;
        return len == 4 && buf[0] == 0x80 && buf[1] == 1;
    };
    auto radioExchange = [&] { return radio.QueryVersion() == 0 && radio.fwMajor == 1; };

    struct Case {
        const char* name;
        int baud;
        std::function<bool()> fn;
    };
    const Case cases[] = {
        {"SerialPort send/wait, 9600 paced", 9600, rawExchange},
        {"KR5100::QueryVersion, 9600 paced", 9600, radioExchange},
        {"SerialPort send/wait, unpaced", 0, rawExchange},
        {"KR5100::QueryVersion, unpaced", 0, radioExchange},
    };
    for (const Case& c : cases) {
        sim.setBaud(c.baud, true);
        Run(5, c.fn); // settle
        sim.resetCounters();
        Result r = Run(count, c.fn);
        Report(c.name, r, sim, c.baud, count);
    }
    std::printf("(paced: the simulator writes each reply byte 10/9600 s after the previous one and "
                "starts only once the request would have crossed the line; unpaced ratio is "
                "against the 9600-baud wire time)\n");

    port.SerialPortClose();
    radioCmd = nullptr;
    serialPort = nullptr;
    return 0;
}
