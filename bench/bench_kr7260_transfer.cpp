// Whole-image transfers of the KR7260 programmer against the simulated radio, paced at
// 9600 baud. For each transfer: measured time, wire-time limit (bytes both ways x 10 / baud,
// without requests sent again and their replies), the waits the state machines prescribe
// (after a verified block write the next step runs on the next timer tick), and the ratio
// of the time without those waits to the wire time. A request sent again is waste: its
// bytes count in the time, not in the limit.
// BENCH_TRACE=1 lists every request with its arrival time.
#include "kr7260_rig.h"
#include "kr72wire.h"

#include <QApplication>
#include <QPushButton>

#include <algorithm>
#include <cstdlib>

namespace {

struct Result {
    double totalMs = 0;
    double wireMs = 0;
    double prescribedMs = 0;
    double turnaroundMs = 0;  // program time between a reply and its next request, waits excluded
    double worstTurnaroundMs = 0;
    double radioMs = 0;  // the simulated radio's own delay from a request to its reply
    const char* worstStep = "";
    std::uint64_t bytes = 0;
    int requests = 0;
    int retries = 0;  // requests sent again (their reply was not waited for)
    std::uint64_t retryBytes = 0;
    bool ok = false;
};

const char* name(std::uint8_t c)
{
    switch (c) {
    case kr72wire::EnterProgramMode: return "enter program mode";
    case kr72wire::Version: return "version";
    case kr72wire::ExitProgramMode: return "exit program mode";
    case kr72wire::ReadBlock: return "read block";
    case kr72wire::WriteBlock: return "write block";
    default: return "other";
    }
}

class Bench : public Kr7260Rig {
public:
    Result run(int mode, int start, int end)
    {
        sim.clearLog();
        sim.resetByteCounts();
        clearTicks();
        dlg.StartAddress = start;
        dlg.EndAddress = end;
        dlg.TransferMode = mode;
        dlg.ShowResult = 1;
        bool finished = false;
        QTimer closer;
        const auto deadline = Clock::now() + std::chrono::seconds(60);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (!dlg.isVisible())
                return;
            if (dlg.btnCancel->text() == "Close") {
                finished = true;
                dlg.btnCancel->click();
            } else if (Clock::now() > deadline) {
                dlg.btnCancel->click();
            }
        });
        closer.start(2);
        const auto t0 = Clock::now();
        dlg.exec();
        closer.stop();
        // Let the final request reach the radio.
        sim.waitUntil([](auto& log) { return !log.empty() && log.back().command == kr72wire::ExitProgramMode; }, 2000);

        Result r;
        const auto log = sim.requests();
        const std::vector<Clock::time_point> tickTimes = this->tickTimes();
        r.ok = finished && !log.empty() && log.back().command == kr72wire::ExitProgramMode;
        if (log.empty())
            return r;
        r.totalMs = ms(log.back().at - t0);
        r.bytes = sim.bytesIn() + sim.bytesOut();
        r.requests = int(log.size());
        if (std::getenv("BENCH_TRACE")) {
            for (const auto& q : log)
                std::printf("    %7.1f ms  %-18s %4d  reply %zu bytes%s\n", ms(q.at - t0), name(q.command), q.address,
                            q.replyBytes, q.replied ? "" : " (none)");
        }
        // Walk the exchanges: a read-back (block read after a block write) ends in a
        // prescribed wait for the next tick; the rest of each gap is the program's turnaround.
        for (const auto& q : log) {
            if (q.replied)
                r.radioMs += std::max(0.0, ms(q.replyEnd - q.at - static_cast<long>(q.replyBytes) * byteTime()));
        }
        for (std::size_t i = 1; i < log.size(); ++i) {
            const auto& prev = log[i - 1];
            const auto& cur = log[i];
            // Enter program mode goes out twice by design; only further pairs are retries.
            const bool sameAgain =
                cur.frame == prev.frame && (cur.command != kr72wire::EnterProgramMode || (i >= 3 && i % 2 == 1));
            if (sameAgain) {
                ++r.retries;
                r.retryBytes += prev.frame.size() + prev.replyBytes;
                if (cur.command == kr72wire::EnterProgramMode)
                    r.retryBytes += log[i - 2].frame.size() + log[i - 2].replyBytes;
                if (std::getenv("BENCH_TRACE"))
                    std::printf("  retry: %s %d at %.1f ms (previous reply %s, ended %.1f ms)\n", name(cur.command),
                                cur.address, ms(cur.at - t0), prev.replied ? "sent" : "none", ms(prev.replyEnd - t0));
            }
            if (!prev.replied)
                continue;
            const auto len = static_cast<long>(cur.frame.size());
            const auto curStart = cur.at - len * byteTime();
            if (curStart <= prev.replyEnd)
                continue;  // sent before the previous reply was complete (enter twice)
            double gap = ms(curStart - prev.replyEnd);
            const bool readBack =
                prev.command == kr72wire::ReadBlock && i >= 2 && log[i - 2].command == kr72wire::WriteBlock;
            if (readBack) {
                auto tick = std::find_if(tickTimes.begin(), tickTimes.end(),
                                         [&](Clock::time_point t) { return t >= prev.replyEnd; });
                // The wait runs to the tick that woke the machine; a machine that went on
                // before any tick waited for none.
                double wait = tick != tickTimes.end() && *tick <= curStart ? ms(*tick - prev.replyEnd) : 0.0;
                r.prescribedMs += wait;
                gap -= wait;
            }
            r.turnaroundMs += gap;
            if (gap > r.worstTurnaroundMs) {
                r.worstTurnaroundMs = gap;
                r.worstStep = name(cur.command);
            }
        }
        r.wireMs = double(r.bytes - r.retryBytes) * 10.0 * 1000.0 / kBaud;
        return r;
    }

    void report(const char* what, const Result& r)
    {
        const double ratio = r.wireMs > 0 ? (r.totalMs - r.prescribedMs) / r.wireMs : 0;
        std::printf("%-28s %s\n", what, r.ok ? "" : "(DID NOT COMPLETE)");
        std::printf("  time            %9.1f ms\n", r.totalMs);
        std::printf("  wire limit      %9.1f ms  (%llu bytes both ways, %d requests, retries excluded)\n", r.wireMs,
                    static_cast<unsigned long long>(r.bytes - r.retryBytes), r.requests - r.retries);
        std::printf("  retries         %9d     (%llu bytes sent again and answered again: waste, not limit)\n",
                    r.retries, static_cast<unsigned long long>(r.retryBytes));
        std::printf("  prescribed waits%9.1f ms  (next-tick waits after verified block writes)\n", r.prescribedMs);
        std::printf("  limit incl waits%9.1f ms\n", r.wireMs + r.prescribedMs);
        std::printf("  ratio           %9.3f     (time - prescribed waits) / wire limit\n", ratio);
        std::printf("  turnaround      %9.1f ms  (program time from a reply to its next request; worst %.1f ms, before %s)\n",
                    r.turnaroundMs, r.worstTurnaroundMs, r.worstStep);
        std::printf("  radio side      %9.1f ms  (the simulator's own delay before its replies; high on a loaded machine)\n",
                    r.radioMs);
        std::fflush(stdout);
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    std::array<std::uint16_t, Kr7260Sim::kWords> radio{};
    for (int i = 0; i < Kr7260Sim::kWords; ++i)
        radio[i] = static_cast<std::uint16_t>(0x2000 + i * 131);
    radio[2] = 0x0A03;

    Bench b;
    std::printf("KR7260 transfers at %d baud\n", kBaud);

    b.sim.setMemory(radio);
    b.report("read 0..127", b.run(kr72state::TransferRead, 0, 127));

    // Every block differs: the image is the radio's memory with every word changed.
    for (int i = 0; i < Kr7260Sim::kWords; ++i)
        b.image.Set(i, radio[i] ^ 0x5A5A);
    b.image.Set(2, ((radio[2] ^ 0x5A) & 0xFF) | 0x0A00);
    b.report("write 2..127, all differ", b.run(kr72state::TransferWrite, 2, 127));

    // Now the radio holds the image: every block is only read.
    b.report("write 2..127, all equal", b.run(kr72state::TransferWrite, 2, 127));
    return 0;
}
