// Whole transfers: the link, the transfer dialog and its state machines against the
// simulated radio on a pty.
// ctest-label: threaded
#include "kr72wire.h"
#include "radio_image.h"
#include "radio_rw.h"
#include "ser_com.h"

#include "support/dialogs.h"
#include "support/kr7260_sim.h"
#include "support/pty.h"

#include <platform/msgbox.h>

#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>


using testsupport::Kr7260Sim;
using testsupport::WaitFor;
using namespace kr72wire;
using namespace kr72state;
using Bytes = std::vector<std::uint8_t>;

namespace {

const QString kReadOk = "Data successfully read from radio!";
const QString kWriteOk = "Data successfully written to radio!";
const QString kVerifyFailed = "Failed while trying to verify last data write to radio.";

// The write of 2..127 compares blocks at 2..7 one word apart, then every eighth word.
std::vector<int> WriteBlockStarts()
{
    std::vector<int> a{2, 3, 4, 5, 6, 7};
    for (int b = 8; b <= 120; b += 8)
        a.push_back(b);
    return a;
}

class Transfer : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < Kr7260Sim::kWords; ++i)
            radio[i] = static_cast<std::uint16_t>(0x3100 + i * 7);
        radio[2] = 0x0A05;  // the high byte a write forces
        sim.setMemory(radio);
        frmSerial = &link;
        frmReadWrite = &dlg;
        dlg.Attach(&link, &image);
        ASSERT_TRUE(link.OpenPort(1));
    }
    void TearDown() override
    {
        link.ClosePort();
        frmReadWrite = nullptr;
        frmSerial = nullptr;
    }

    void imageFromRadio()
    {
        for (int i = 0; i < Kr7260Sim::kWords; ++i)
            image.Set(i, radio[i]);
    }

    // Shows the dialog as its callers do, waits for the machine to end (caption "Close"
    // and its result shown) and returns the result text before pressing "Close".
    QString run(int mode, int start, int end)
    {
        dlg.StartAddress = start;
        dlg.EndAddress = end;
        dlg.TransferMode = mode;
        dlg.ShowResult = 1;
        QString action;
        testsupport::ModalHandler handler(
            [&](QWidget*) {
                WaitFor(
                    [&] {
                        action = dlg.lblAction->text();
                        return dlg.btnCancel->text() == "Close" && action != "Reading data from radio." &&
                               action != "Writing data to radio.";
                    },
                    20000);
                dlg.btnCancel->click();
            },
            25000);
        dlg.exec();
        EXPECT_TRUE(handler.ran());
        return action;
    }

    // Waits until the radio has been told to leave program mode, then a little longer
    // (past the next timer tick), so that any later request would show in the log.
    void settle(int extraMs = 700)
    {
        EXPECT_TRUE(WaitFor([&] { return sim.count(ExitProgramMode) >= 1; }, 3000));
        WaitFor([] { return false; }, extraMs);
    }

    // Block addresses the radio was asked for with `command`, in order.
    std::vector<int> addresses(std::uint8_t command) const
    {
        std::vector<int> a;
        for (const auto& r : sim.requests())
            if (r.command == command)
                a.push_back(r.address);
        return a;
    }

    testsupport::PtyPair pty;
    Kr7260Sim sim{pty};
    testsupport::ComMapping com{1, pty.slavePath()};
    std::array<std::uint16_t, Kr7260Sim::kWords> radio{};
    TRadioImage image;
    TfrmSerial link;
    TfrmReadWrite dlg;
    testsupport::MessageBoxResponder boxes;
};

// ---------------------------------------------------------------- reads

TEST_F(Transfer, ReadSurvivesARaggedLine)
{
    // Replies split before their terminator, preceded by stray bytes that include 0xCC,
    // a wrong-address block and one lost block reply: all recovered by the retries.
    sim.setSplitReplies(true);
    sim.setPrefixBytes({0xCC, 0x04, 0xCC, 0x00});
    sim.setWrongBlockAddress(1);
    sim.dropReplyNumber(6);
    sim.sendUnsolicited(Kr7260Sim::Frame(4, Bytes(18, 0x00)));
    image.Fill(0);
    EXPECT_EQ(run(TransferRead, 0, 127), kReadOk);
    for (int i = 0; i < 128; ++i)
        ASSERT_EQ(image.Get(i), radio[i]) << "word " << i;
}

TEST_F(Transfer, FailedReadLeavesTheImageAsItWas)
{
    image.Fill(0x1234);
    // Replies 1 to 3 answer the two enters and the version; the fifth block (replies 8
    // on, six attempts) is never answered.
    for (int n = 8; n < 14; ++n)
        sim.dropReplyNumber(n);
    EXPECT_EQ(run(TransferRead, 0, 127), "Failed while trying to read data from the radio.");
    for (int i = 0; i < 128; ++i)
        ASSERT_EQ(image.Get(i), 0x1234) << "word " << i;
    settle();
    EXPECT_EQ(sim.count(ReadBlock, 32), 6);
    EXPECT_EQ(sim.count(ReadBlock, 40), 0);
    EXPECT_EQ(sim.commands().back(), ExitProgramMode);
}

// ---------------------------------------------------------------- writes

TEST_F(Transfer, WriteReadsMatchingBlocksAndStoresAndVerifiesDifferingOnes)
{
    imageFromRadio();
    EXPECT_EQ(run(TransferWrite, 2, 127), kWriteOk);
    settle();
    EXPECT_EQ(sim.count(WriteBlock), 0);
    EXPECT_EQ(addresses(ReadBlock), WriteBlockStarts());
    EXPECT_EQ(sim.memory(), radio);

    sim.clearLog();
    image.Set(0, 0x7777); // words 0 and 1 are never written
    image.Set(1, 0x6666);
    image.Set(50, 0xBEEF);
    image.Set(127, 0x0001);
    EXPECT_EQ(run(TransferWrite, 2, 127), kWriteOk);
    settle();
    EXPECT_EQ(addresses(WriteBlock), (std::vector<int>{48, 120}));
    // Each written block is read once before and once after.
    EXPECT_EQ(sim.count(ReadBlock, 48), 2);
    EXPECT_EQ(sim.count(ReadBlock, 120), 2);
    EXPECT_EQ(sim.count(ReadBlock), static_cast<int>(WriteBlockStarts().size()) + 2);
    auto expected = radio;
    expected[50] = 0xBEEF;
    expected[127] = 0x0001;
    EXPECT_EQ(sim.memory(), expected);
}

TEST_F(Transfer, WordAboveSixteenBitsOrADifferingReadBackFailsTheVerify)
{
    imageFromRadio();
    image.Set(70, 0x10000 | radio[70]);
    EXPECT_EQ(run(TransferWrite, 2, 127), kVerifyFailed);
    settle();
    EXPECT_EQ(addresses(WriteBlock), (std::vector<int>{64}));
    EXPECT_EQ(sim.word(70), radio[70]); // only bits 0 to 15 went to the radio

    sim.clearLog();
    image.Set(70, radio[70]);
    image.Set(60, 0x0100);
    sim.corruptReadBack(60);
    EXPECT_EQ(run(TransferWrite, 2, 127), kVerifyFailed);
    settle();
    EXPECT_EQ(addresses(WriteBlock), (std::vector<int>{56}));
    EXPECT_EQ(sim.commands().back(), ExitProgramMode);
    EXPECT_EQ(sim.count(ReadBlock, 64), 0); // nothing after the failed block
}

} // namespace
