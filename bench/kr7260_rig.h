// What the KR7260 benchmarks share: the simulated radio paced at 9600 baud on COM1, the
// program's link and transfer dialog over it with an image, and the times of the
// dialog's timer ticks.
#pragma once

#include "radio_image.h"
#include "radio_rw.h"
#include "ser_com.h"

#include "support/kr7260_sim.h"
#include "support/pty.h"

#include <platform/msgbox.h>

#include <QString>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <mutex>
#include <vector>

using testsupport::Kr7260Sim;
using Clock = std::chrono::steady_clock;

constexpr int kBaud = 9600;

inline double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }
inline Clock::duration byteTime() { return std::chrono::nanoseconds(10'000'000'000LL / kBaud); }

struct Kr7260Rig {
    Kr7260Rig()
    {
        frmSerial = &link;
        frmReadWrite = &dlg;
        dlg.Attach(&link, &image);
        platform::SetMessageBoxHook([](const QString& text, const QString&, unsigned, const QString&) {
            std::fprintf(stderr, "unexpected box: %s\n", text.toUtf8().constData());
            return int(platform::IDOK);
        });
        QObject::connect(dlg.timer_rw, &QTimer::timeout, [this] {
            std::lock_guard l(tickMu);
            ticks.push_back(Clock::now());
        });
        sim.setPacing(kBaud);
        if (!link.OpenPort(1))
            std::fprintf(stderr, "cannot open the simulated port\n");
    }
    ~Kr7260Rig()
    {
        link.ClosePort();
        platform::SetMessageBoxHook({});
        frmReadWrite = nullptr;
        frmSerial = nullptr;
    }

    void clearTicks()
    {
        std::lock_guard l(tickMu);
        ticks.clear();
    }
    std::vector<Clock::time_point> tickTimes()
    {
        std::lock_guard l(tickMu);
        return ticks;
    }

    testsupport::PtyPair pty;
    Kr7260Sim sim{pty};
    testsupport::ComMapping com{1, pty.slavePath()};
    TRadioImage image;
    TfrmSerial link;
    TfrmReadWrite dlg;
    std::mutex tickMu;
    std::vector<Clock::time_point> ticks;
};
