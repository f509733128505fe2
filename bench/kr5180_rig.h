// What the KR5180 benchmarks share: the simulated radio holding a known memory, paced at
// the line's rate, on COM1, and the program's port, image and command object over it.
#pragma once

#include "support/kr5180_sim.h"
#include "support/pty.h"

#include "eeprom.h"
#include "radio.h"
#include "serialport.h"

#include <chrono>
#include <cstdint>
#include <cstdio>

struct Kr5180Rig {
    explicit Kr5180Rig(int baud) : radioMemory(256), mapping(1, sim.slavePath())
    {
        for (int i = 0; i < 256; ++i)
            radioMemory[i] = static_cast<std::uint8_t>(i * 37 + 11); // includes bytes that need stuffing
        sim.setMemory(radioMemory);
        sim.setBaud(baud, true);
        serialPort = &port;
        eepromImage = &image;
        radioCmd = &radio;
        opened = port.SerialPortOpen("COM1", baud);
        if (!opened)
            std::fprintf(stderr, "cannot open the simulator's port %s\n", sim.slavePath().c_str());
    }
    ~Kr5180Rig()
    {
        port.SerialPortClose();
        radioCmd = nullptr;
        eepromImage = nullptr;
        serialPort = nullptr;
    }

    testsupport::Kr5180Sim sim;
    testsupport::Bytes radioMemory;
    testsupport::ComMapping mapping;
    SerialPort port;
    EEPROM image{256};
    KR5100 radio{&image};
    bool opened = false;
};

// One timed run after the simulator's log is cleared: its milliseconds, the bytes on the
// line since the counters were last reset, and the time they need at baud (ten bits a byte).
struct TimedRun {
    double ms;
    double bytes;
    double wire;
};

template <class Run>
TimedRun TimeRun(testsupport::Kr5180Sim& sim, int baud, Run&& run)
{
    sim.clearLog();
    const auto t0 = std::chrono::steady_clock::now();
    run();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    const double bytes = double(sim.bytesReceived() + sim.bytesSent());
    return {ms, bytes, bytes * 10.0 * 1000.0 / baud};
}
