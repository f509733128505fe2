// The EEPROM editor's "Read All" and "Write All" and one RSSI poll tick of the alignment
// window, run through the windows against the simulated KR5180 paced at 9600 baud, beside
// the time their bytes need on the line. Usage: bench_kr5180_editors [repeats] [baud]
#include "kr5180_rig.h"

#include "align.h"
#include "ee_edit.h"
#include "eeprom.h"
#include "progress.h"
#include "radio.h"
#include "serialport.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

using testsupport::Bytes;
using testsupport::Kr5180Sim;

namespace {

// The first run (which also makes the progress window's platform window) is reported
// apart; the figures are over the runs after it.
void Measure(const char* name, int repeats, int baud, int exchanges, Kr5180Sim& sim,
             const std::function<void()>& prepare, const std::function<void()>& run,
             const std::function<bool()>& check)
{
    double total = 0, best = 1e9, worst = 0, wire = 0, first = 0;
    int failures = 0;
    for (int i = -1; i < repeats; ++i) {
        sim.resetCounters();
        prepare();
        // Between two presses the program's event loop has painted the windows.
        QApplication::processEvents();
        const TimedRun t = TimeRun(sim, baud, run);
        const double ms = t.ms;
        if (!check() || sim.requestCount() != exchanges)
            ++failures;
        wire = t.wire;
        if (i < 0) {
            first = ms;
            continue;
        }
        total += ms;
        best = std::min(best, ms);
        worst = std::max(worst, ms);
    }
    std::printf("%-10s %2d exchange(s): mean %7.1f ms (best %.1f, worst %.1f), wire-time limit %7.1f ms, "
                "ratio %.3f (best %.3f), failures %d/%d; first run %.1f ms\n",
                name, exchanges, total / repeats, best, worst, wire, total / repeats / wire, best / wire, failures,
                repeats + 1, first);
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int baud = argc > 2 ? std::max(300, std::atoi(argv[2])) : 9600;

    Kr5180Rig rig(baud);
    if (!rig.opened)
        return 1;
    Kr5180Sim& sim = rig.sim;
    const Bytes& radioMemory = rig.radioMemory;
    EEPROM& image = rig.image;
    KR5100& radio = rig.radio;

    TfrmProgress progress;
    TfrmEEpromEdit editor(&radio, nullptr, &progress);
    editor.SetSource(&image, 28);
    editor.show();
    auto* memo = editor.findChild<QPlainTextEdit*>(QStringLiteral("memoEE"));

    std::printf("EEPROM editor and alignment at %d baud, through the windows (progress window shown); the RSSI\n"
                "tick is timed from the timer's call to the reading shown, against its one exchange's wire time\n",
                baud);
    Measure("Read All", repeats, baud, 18, sim,
            [&] { image.Fill(0xFF); }, [&] { editor.btnReadAllClick(); },
            [&] {
                Bytes b(256);
                image.CopyOut(0, b.data(), 256);
                return b == radioMemory && memo->toPlainText().endsWith(QStringLiteral("OK"));
            });
    Bytes written(256);
    for (int i = 0; i < 256; ++i)
        written[i] = static_cast<std::uint8_t>((i * 91 + 0x7D) & 0xFF);
    Measure("Write All", repeats, baud, 19, sim,
            [&] {
                sim.fillMemory(0xFF);
                for (int i = 0; i < 256; ++i)
                    editor.SetCell(3 + (i & 1), i / 2 + 1, QString::number(written[i]));
            },
            [&] { editor.btnWriteAllClick(); },
            [&] { return sim.memory() == written && memo->toPlainText().endsWith(QStringLiteral("OK")); });
    editor.close();

    TformAlign align(&radio, &image);
    align.SetOffline(0);
    align.show();
    auto* rssi = align.findChild<QLineEdit*>(QStringLiteral("editRSSI"));
    sim.setAdc(3, 0x7E);
    Measure("RSSI tick", repeats * 4, baud, 1, sim,
            [&] { rssi->clear(); }, [&] { align.TimerRSSITimer(); },
            [&] { return rssi->text() == QStringLiteral("126"); });
    align.close();

    return 0;
}
