// Whole-image read and write through KR5100 against the simulated KR5180 paced at 9600 baud,
// beside the time the bytes need on the line. Usage: bench_kr5180_transfer [repeats] [baud]
#include "kr5180_rig.h"

#include "eeprom.h"
#include "radio.h"
#include "serialport.h"
#include "transfer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

using testsupport::Bytes;
using testsupport::Kr5180Sim;

namespace {

// The main window's read: version, then program mode, sixteen block reads, reset.
int ReadImage(KR5100& radio, EEPROM& image)
{
    const int bad = radio.QueryVersion();
    return bad + (TImageTransfer(&radio, nullptr).ReadImage(image, false).Ok() ? 0 : 1);
}

// The main window's write: program mode, test mode 0, sixteen block writes, reset.
int WriteImage(KR5100& radio, EEPROM& image)
{
    return TImageTransfer(&radio, nullptr).WriteImage(image, 0).Ok() ? 0 : 1;
}

Bytes ImageBytes(EEPROM& image)
{
    Bytes b(256);
    image.CopyOut(0, b.data(), 256);
    return b;
}

void Measure(const char* name, int repeats, int baud, Kr5180Sim& sim, const std::function<int()>& transfer,
             const std::function<bool()>& check)
{
    double total = 0, best = 1e9, worst = 0, wire = 0;
    int failures = 0;
    for (int i = 0; i < repeats; ++i) {
        sim.resetCounters();
        int bad = 0;
        const TimedRun t = TimeRun(sim, baud, [&] { bad = transfer(); });
        const double ms = t.ms, bytes = t.bytes;
        if (bad != 0 || !check() || sim.requestCount() != 19)
            ++failures;
        wire = t.wire;
        total += ms;
        best = std::min(best, ms);
        worst = std::max(worst, ms);
        std::printf("  %-6s #%d  %8.1f ms   %5.0f bytes on the line, wire-time limit %7.1f ms, ratio %.3f\n",
                    name, i + 1, ms, bytes, wire, ms / wire);
    }
    std::printf("%-6s 19 exchanges: mean %.1f ms (best %.1f, worst %.1f), wire-time limit %.1f ms, "
                "ratio %.3f, failures %d/%d\n",
                name, total / repeats, best, worst, wire, total / repeats / wire, failures, repeats);
}

} // namespace

int main(int argc, char** argv)
{
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int baud = argc > 2 ? std::max(300, std::atoi(argv[2])) : 9600;

    Kr5180Rig rig(baud);
    if (!rig.opened)
        return 1;
    Kr5180Sim& sim = rig.sim;
    const Bytes& radioMemory = rig.radioMemory;
    EEPROM& image = rig.image;
    KR5100& radio = rig.radio;

    std::printf("whole-image transfers at %d baud (simulator paces its replies and accounts for each "
                "request's own time on the line)\n", baud);

    Measure("read", repeats, baud, sim, [&] { image.Fill(0xFF); return ReadImage(radio, image); },
            [&] { return ImageBytes(image) == radioMemory; });

    // Write a different image back and check the radio now holds it.
    for (int i = 0; i < 256; ++i)
        image.SetByte(i, (i * 91 + 0x7D) & 0xFF);
    const Bytes written = ImageBytes(image);
    auto writeTransfer = [&] {
        sim.fillMemory(0xFF);
        for (int i = 0; i < 256; ++i)
            image.SetByte(i, written[i]);
        return WriteImage(radio, image);
    };
    Measure("write", repeats, baud, sim, writeTransfer, [&] { return sim.memory() == written; });

    // The same transfers with the simulator answering at once, against the same wire limit.
    sim.setBaud(0);
    sim.setMemory(radioMemory);
    std::printf("unpaced (ratio against the %d-baud wire time):\n", baud);
    Measure("read", repeats, baud, sim, [&] { image.Fill(0xFF); return ReadImage(radio, image); },
            [&] { return ImageBytes(image) == radioMemory; });
    Measure("write", repeats, baud, sim, writeTransfer, [&] { return sim.memory() == written; });

    return 0;
}
