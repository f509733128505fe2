// The connect dialog: its 200 ms phases driven tick by tick, against a silent line and
// against the simulated radio.
// ctest-label: threaded
#include "connect.h"
#include "kr72wire.h"
#include "radio_rw.h"
#include "ser_com.h"

#include "support/dialogs.h"
#include "support/kr7260_sim.h"
#include "support/pty.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace kr72wire;
using testsupport::Kr7260Sim;
using testsupport::WaitFor;

namespace {

const QString kOffline = "Can't connect radio, working in off line mode.";

class ConnectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dlg.Attach(&link, &image);
        connect.Link = &link;
        connect.Transfers = &dlg;
        connect.Timer1->setInterval(1 << 30); // ticks are driven by hand
    }
    void TearDown() override { link.ClosePort(); }

    TRadioImage image;
    TfrmSerial link;
    TfrmReadWrite dlg;
    TfrmConnectRadio connect;
};

TEST_F(ConnectTest, SevenRequestsSixTicksApartThenOffLine)
{
    int tick = 0;
    std::vector<int> requestTicks;
    link.SetSendTap([&](const std::vector<std::uint8_t>& frame) {
        if (frame.size() == 7 && frame[5] == Version)
            requestTicks.push_back(tick);
    });
    connect.show();
    const QString waiting = connect.lblInformation->text();
    for (tick = 0; tick <= 41; ++tick) {
        connect.Timer1Timer();
        if (tick < 41) {
            ASSERT_EQ(connect.lblInformation->text(), waiting) << tick;
        }
    }
    EXPECT_EQ(requestTicks, (std::vector<int>{0, 6, 12, 18, 24, 30, 36}));
    EXPECT_EQ(connect.lblInformation->text(), kOffline);
    for (tick = 42; tick < 80; ++tick)
        connect.Timer1Timer();
    EXPECT_EQ(requestTicks.size(), 7u);
    EXPECT_TRUE(connect.isVisible()); // open until cancelled
    connect.btnCancel->click();
    EXPECT_FALSE(connect.isVisible());
    EXPECT_FALSE(connect.Timer1->isActive());
    EXPECT_EQ(connect.result(), QDialog::Rejected);
}

TEST_F(ConnectTest, VersionReplyClosesTheDialog)
{
    testsupport::PtyPair pty;
    Kr7260Sim sim(pty);
    testsupport::ComMapping com(1, pty.slavePath());
    ASSERT_TRUE(link.OpenPort(1));
    sim.dropReplyNumber(1); // the first request goes unanswered
    link.SetRadioVersion("old");
    connect.show();
    for (int tick = 0; tick < 6; ++tick)
        connect.Timer1Timer();
    EXPECT_EQ(link.GetRadioVersion(), "");
    connect.Timer1Timer(); // the second request
    ASSERT_TRUE(WaitFor([&] { return link.LastReply == Version; }));
    EXPECT_TRUE(connect.isVisible());
    connect.Timer1Timer();
    EXPECT_FALSE(connect.isVisible());
    EXPECT_EQ(connect.result(), QDialog::Accepted);
    EXPECT_EQ(connect.ConnectPhase, TfrmConnectRadio::PhaseIdle);
    EXPECT_EQ(link.GetRadioVersion(), "KR7260d V1.0");
    EXPECT_EQ(sim.count(Version), 2);
}

} // namespace
