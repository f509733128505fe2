// "Load Defaults Levels" of the KR7260 squelch and S-meter window against the simulated
// radio paced at 9600 baud: its read of words 0 to 8 and its write of the blocks at 0
// and 1. For each transfer: measured time (dialog shown to the last request on the
// wire), wire-time limit (bytes both ways x 10 / baud), the wait the write machine
// prescribes after a verified block write, and the ratio of the time without that wait
// to the wire time. A request sent again is waste: its bytes are in the time, not in the
// limit. Also the delay from a live-level reply to its label.
// BENCH_TRACE=1 lists every request with its arrival time. BENCH_RUNS=n repeats.
#include "adv_edit.h"
#include "kr7260_rig.h"
#include "kr72wire.h"
#include "main.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

struct Result {
    double totalMs = 0, wireMs = 0, prescribedMs = 0;
    std::uint64_t bytes = 0; // without the attempts that were sent again
    int requests = 0, retries = 0;
};

class Bench : public QObject, public Kr7260Rig {
public:
    Bench()
    {
        window.Image = &image;
        window.Link = &link;
        window.Transfers = &dlg;
        dlg.installEventFilter(this);
        QObject::connect(&closer, &QTimer::timeout, [this] {
            if (dlg.isVisible() && dlg.btnCancel->text() == "Close")
                dlg.btnCancel->click();
        });
        closer.start(2);
    }

    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Show)
            shows.push_back(Clock::now());
        return false;
    }

    // The requests from index `from` up to and including the next exit from program mode.
    Result measure(const std::vector<Kr7260Sim::Request>& log, std::size_t& from, Clock::time_point t0)
    {
        Result r;
        const std::vector<Clock::time_point> tickTimes = this->tickTimes();
        std::size_t end = from;
        while (end < log.size() && log[end].command != kr72wire::ExitProgramMode)
            ++end;
        if (end >= log.size())
            return r;
        for (std::size_t i = from; i <= end; ++i) {
            const auto& q = log[i];
            r.bytes += q.frame.size() + q.replyBytes;
            ++r.requests;
            if (std::getenv("BENCH_TRACE"))
                std::printf("    %7.1f ms  command %d  %4d  reply %zu bytes\n", ms(q.at - t0), q.command, q.address,
                            q.replyBytes);
            if (i == from)
                continue;
            const auto& prev = log[i - 1];
            if (q.frame == prev.frame && (q.command != kr72wire::EnterProgramMode || (i - from >= 2 && (i - from) % 2 == 1))) {
                ++r.retries;
                r.bytes -= prev.frame.size() + prev.replyBytes;
            }
            // After a verified block write the machine goes on at the next tick.
            const bool readBack = prev.command == kr72wire::ReadBlock && i >= 2 && log[i - 2].command == kr72wire::WriteBlock;
            if (readBack && prev.replied) {
                const auto start = q.at - long(q.frame.size()) * byteTime();
                for (auto t : tickTimes)
                    if (t >= prev.replyEnd) {
                        if (t <= start)
                            r.prescribedMs += ms(t - prev.replyEnd);
                        break;
                    }
            }
        }
        r.totalMs = ms(log[end].at - t0);
        r.wireMs = double(r.bytes) * 10.0 * 1000.0 / kBaud;
        from = end + 1;
        return r;
    }

    static void report(const char* what, const Result& r)
    {
        const double ratio = r.wireMs > 0 ? (r.totalMs - r.prescribedMs) / r.wireMs : 0;
        std::printf("%-30s time %7.1f ms  wire limit %7.1f ms (%llu bytes, %d requests, %d retries)  "
                    "prescribed wait %6.1f ms  ratio %.3f\n",
                    what, r.totalMs, r.wireMs, static_cast<unsigned long long>(r.bytes), r.requests, r.retries,
                    r.prescribedMs, ratio);
        std::fflush(stdout);
    }

    bool run()
    {
        sim.clearLog();
        shows.clear();
        clearTicks();
        for (int k = 0; k < 128; ++k)
            image.Set(k, 0x2200 + k);
        window.show();
        QApplication::processEvents();
        window.btnSMeterDefaults->click();
        window.hide();
        sim.waitUntil([](auto& log) {
            int exits = 0;
            for (auto& q : log)
                exits += q.command == kr72wire::ExitProgramMode;
            return exits >= 2;
        }, 3000);
        const auto log = sim.requests();
        if (shows.size() != 2) {
            std::printf("the transfers did not both run\n");
            return false;
        }
        std::size_t from = 0;
        report("read 0..8 (blocks 0, 8)", measure(log, from, shows[0]));
        report("write 0..1 (block 0 differs)", measure(log, from, shows[1]));
        return true;
    }

    // From the radio's live-level reply to the label, with the window's own 200 ms tick.
    void liveLevel()
    {
        window.show();
        sim.setBusy(0);
        window.Button1->click();
        QApplication::processEvents();
        sim.setBusy(77);
        sim.clearLog();
        const auto t0 = Clock::now();
        window.Button1->click();
        while (window.lblBusyVoltage->text() != "Busy = 77" && Clock::now() - t0 < std::chrono::seconds(2))
            QApplication::processEvents(QEventLoop::AllEvents, 1);
        const auto shown = Clock::now();
        const auto log = sim.requests();
        if (!log.empty() && log.back().replied)
            std::printf("live level: reply on the wire %.1f ms, label %.1f ms after it (display tick 200 ms)\n",
                        ms(log.back().replyEnd - t0), ms(shown - log.back().replyEnd));
        std::fflush(stdout);
        window.hide();
    }

    TfrmAdvanced window;
    QTimer closer;
    std::vector<Clock::time_point> shows;
};

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    {
        std::array<std::int32_t, 128> defaults{};
        for (int k = 0; k < 128; ++k)
            defaults[k] = 0x1100 + k;
        defaults[1] = 0x2F71;
        QFile f(kr7260app::DefaultFile);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(reinterpret_cast<const char*>(defaults.data()), 512);
    }

    Bench b;
    std::array<std::uint16_t, Kr7260Sim::kWords> radio{};
    for (int k = 0; k < Kr7260Sim::kWords; ++k)
        radio[k] = static_cast<std::uint16_t>(0x4000 + k * 77);
    std::printf("KR7260 \"Load Defaults Levels\" at %d baud\n", kBaud);
    const int runs = std::getenv("BENCH_RUNS") ? std::atoi(std::getenv("BENCH_RUNS")) : 3;
    for (int i = 0; i < runs; ++i) {
        b.sim.setMemory(radio); // word 1 differs again
        if (!b.run())
            return 1;
    }
    b.liveLevel();
    return 0;
}
