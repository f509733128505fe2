// Whole transfers: the link, the transfer dialog and its state machines against the
// simulated radio on a pty.
// ctest-label: threaded
#include "main.h"
#include "radio_image.h"
#include "radio_rw.h"
#include "ser_com.h"

#include "support/dialogs.h"
#include "support/kr7260_sim.h"
#include "support/pty.h"

#include <platform/msgbox.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

using testsupport::Kr7260Sim;
using testsupport::WaitFor;
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

    struct Outcome {
        QString action;
        int gauge = -1;
        bool ended = false;  // the machine ended (caption "Close") or closed the dialog itself
    };

    // Shows the dialog as its callers do and waits for the machine to end; `during` runs
    // once the dialog is up. The result is read before "Close" is pressed.
    Outcome run(int mode, int start, int end, int showResult, const std::function<void()>& during = {},
                int timeoutMs = 15000)
    {
        dlg.StartAddress = start;
        dlg.EndAddress = end;
        dlg.TransferMode = mode;
        dlg.ShowResult = showResult;
        Outcome o;
        testsupport::ModalHandler handler(
            [&](QWidget*) {
                if (during)
                    during();
                o.ended = WaitFor([&] { return !dlg.isVisible() || ended(); }, timeoutMs);
                o.action = dlg.lblAction->text();
                o.gauge = dlg.gaugeProgress->value();
                if (dlg.isVisible() && dlg.btnCancel->text() == "Close")
                    dlg.btnCancel->click();
            },
            timeoutMs + 5000);
        dlg.exec();
        if (!handler.ran()) {
            // The machine closed the dialog itself before it was seen.
            o.ended = true;
            o.action = dlg.lblAction->text();
            o.gauge = dlg.gaugeProgress->value();
        }
        return o;
    }

    // The machine has ended and its result text has reached the label (the caption and
    // the text arrive as separate updates).
    bool ended() const
    {
        const QString a = dlg.lblAction->text();
        return dlg.btnCancel->text() == "Close" && a != "Reading data from radio." && a != "Writing data to radio.";
    }

    // Waits until the radio has been told to leave program mode, then a little longer
    // (past the next timer tick), so that any later request would show in the log.
    void settle(int extraMs = 700)
    {
        EXPECT_TRUE(WaitFor([&] { return sim.count(3) >= 1; }, 3000));
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

TEST_F(Transfer, ReadPutsEveryWordIntoTheImage)
{
    image.Fill(0x55);
    Outcome o = run(1, 0, 127, 1);
    ASSERT_TRUE(o.ended);
    EXPECT_EQ(o.action, kReadOk);
    EXPECT_EQ(o.gauge, 100);
    for (int i = 0; i < 128; ++i)
        ASSERT_EQ(image.Get(i), radio[i]) << "word " << i;
    EXPECT_EQ(link.GetRadioVersion(), "KR7260d V1.0");
    settle();
    std::vector<std::uint8_t> expected{1, 1, 2};
    expected.insert(expected.end(), 16, 4);
    expected.push_back(3);
    EXPECT_EQ(sim.commands(), expected);
    std::vector<int> blocks;
    for (int b = 0; b <= 120; b += 8)
        blocks.push_back(b);
    EXPECT_EQ(addresses(4), blocks);
}

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
    Outcome o = run(1, 0, 127, 1, {}, 20000);
    ASSERT_TRUE(o.ended);
    EXPECT_EQ(o.action, kReadOk);
    for (int i = 0; i < 128; ++i)
        ASSERT_EQ(image.Get(i), radio[i]) << "word " << i;
}

TEST_F(Transfer, LoadLevelsReadClosesItselfAndTakesOnlyItsRange)
{
    image.Fill(7);
    Outcome o = run(1, 0, 1, 0);
    EXPECT_TRUE(o.ended);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.TransferMode.load(), 0);
    EXPECT_EQ(image.Get(0), radio[0]);
    EXPECT_EQ(image.Get(1), radio[1]);
    for (int i = 2; i < 128; ++i)
        ASSERT_EQ(image.Get(i), 7) << "word " << i;
}

TEST_F(Transfer, FailedReadLeavesTheImageAsItWas)
{
    image.Fill(0x1234);
    // Replies 1 to 3 answer the two enters and the version; the fifth block (replies 8
    // on, six attempts) is never answered.
    for (int n = 8; n < 14; ++n)
        sim.dropReplyNumber(n);
    Outcome o = run(1, 0, 127, 1);
    ASSERT_TRUE(o.ended);
    EXPECT_EQ(o.action, "Failed while trying to read data from the radio.");
    for (int i = 0; i < 128; ++i)
        ASSERT_EQ(image.Get(i), 0x1234) << "word " << i;
    settle();
    EXPECT_EQ(sim.count(4, 32), 6);
    EXPECT_EQ(sim.count(4, 40), 0);
    EXPECT_EQ(sim.commands().back(), 3);
}

TEST_F(Transfer, CancelLeavesProgramModeOnceAndTheImageAlone)
{
    image.Fill(0x4321);
    sim.setReplyDelay(std::chrono::milliseconds(40));
    Outcome o = run(1, 0, 127, 1, [&] {
        ASSERT_TRUE(WaitFor([&] { return sim.count(4) >= 3; }, 5000));
        dlg.btnCancel->click();
    });
    EXPECT_FALSE(dlg.isVisible());
    settle(1600);  // three more ticks: the idle machine sends nothing
    EXPECT_EQ(sim.count(3), 1);
    EXPECT_EQ(sim.commands().back(), 3);
    EXPECT_EQ(dlg.ReadState.load(), 0);
    for (int i = 0; i < 128; ++i)
        ASSERT_EQ(image.Get(i), 0x4321) << "word " << i;
}

TEST_F(Transfer, NoRadioGivesUpAfterSixAttempts)
{
    sim.setSilent(true);
    Outcome o = run(1, 0, 127, 1);
    ASSERT_TRUE(o.ended);
    EXPECT_EQ(o.action, "Failed while trying to get radio into read program mode.");
    EXPECT_EQ(o.gauge, 0);
    settle();
    EXPECT_EQ(sim.count(1), 12);  // six attempts, two requests each
    EXPECT_EQ(sim.count(4), 0);
    EXPECT_EQ(sim.count(3), 1);
}

// ---------------------------------------------------------------- writes

TEST_F(Transfer, WriteOfMatchingBlocksOnlyReadsThem)
{
    imageFromRadio();
    Outcome o = run(2, 2, 127, 1);
    ASSERT_TRUE(o.ended);
    EXPECT_EQ(o.action, kWriteOk);
    EXPECT_EQ(o.gauge, 100);
    settle();
    EXPECT_EQ(sim.count(5), 0);
    EXPECT_EQ(addresses(4), WriteBlockStarts());
    EXPECT_EQ(sim.memory(), radio);
}

TEST_F(Transfer, WriteStoresAndVerifiesDifferingBlocksOnly)
{
    imageFromRadio();
    image.Set(0, 0x7777);  // words 0 and 1 are never written
    image.Set(1, 0x6666);
    image.Set(50, 0xBEEF);
    image.Set(127, 0x0001);
    Outcome o = run(2, 2, 127, 1);
    ASSERT_TRUE(o.ended);
    EXPECT_EQ(o.action, kWriteOk);
    settle();
    EXPECT_EQ(addresses(5), (std::vector<int>{48, 120}));
    // Each written block is read once before and once after.
    EXPECT_EQ(sim.count(4, 48), 2);
    EXPECT_EQ(sim.count(4, 120), 2);
    EXPECT_EQ(sim.count(4), static_cast<int>(WriteBlockStarts().size()) + 2);
    auto expected = radio;
    expected[50] = 0xBEEF;
    expected[127] = 0x0001;
    EXPECT_EQ(sim.memory(), expected);
}

TEST_F(Transfer, ReadBackThatDiffersFailsTheWrite)
{
    imageFromRadio();
    image.Set(60, 0x0100);
    sim.corruptReadBack(60);
    Outcome o = run(2, 2, 127, 1);
    ASSERT_TRUE(o.ended);
    EXPECT_EQ(o.action, kVerifyFailed);
    settle();
    EXPECT_EQ(addresses(5), (std::vector<int>{56}));
    EXPECT_EQ(sim.commands().back(), 3);
    EXPECT_EQ(sim.count(4, 64), 0);  // nothing after the failed block
}

TEST_F(Transfer, WordAboveSixteenBitsNeverMatches)
{
    imageFromRadio();
    image.Set(70, 0x10000 | radio[70]);
    Outcome o = run(2, 2, 127, 1);
    ASSERT_TRUE(o.ended);
    EXPECT_EQ(o.action, kVerifyFailed);
    settle();
    EXPECT_EQ(addresses(5), (std::vector<int>{64}));
    // Only bits 0 to 15 went to the radio.
    EXPECT_EQ(sim.word(70), radio[70]);
}

TEST_F(Transfer, VersionCheckBeforeAWrite)
{
    const QString prefix = "Please ensure correct version\nof dealer software is being used.\n";
    struct Case {
        std::string version;
        QString box;  // empty: accepted
    } cases[] = {
        {"KR7260b1.2", "Invalid radio version!\n" + prefix + "(wants V0.0d of higher)"},
        {"KR7260c", "Invalid radio version!\n" + prefix + "(wants V0.0d of higher)"},
        {"KR5180d", "Unknown radio type!\n" + prefix + "(wants V0.0b of higher)"},
        {"KR726", "Unknown radio type!\n" + prefix + "(wants V0.0b of higher)"},
        {"KR7260d", ""},
    };
    imageFromRadio();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        sim.setVersion(c.version);
        sim.clearLog();
        boxes.clear();
        if (!c.box.isEmpty())
            boxes.expect(platform::IDOK);
        Outcome o = run(2, 2, 127, 1);
        ASSERT_TRUE(o.ended);
        settle();
        if (c.box.isEmpty()) {
            EXPECT_EQ(o.action, kWriteOk);
            EXPECT_TRUE(boxes.boxes().empty());
            continue;
        }
        EXPECT_EQ(o.action, "Incorrect radio version." + QString::fromStdString(c.version));
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text, c.box);
        EXPECT_EQ(boxes.boxes()[0].caption, "Wrong version...");
        EXPECT_EQ(boxes.boxes()[0].flags, 0x30u);
        EXPECT_EQ(sim.count(4), 0);
        EXPECT_EQ(sim.count(3), 1);
    }
}

// ---------------------------------------------------------------- from the main window

class MainWindowWrite : public Transfer {
protected:
    void SetUp() override
    {
        Transfer::SetUp();
        dlg.Attach(&link, &win.RadioImage);
        MainForm = &win;
    }
    void TearDown() override
    {
        Transfer::TearDown();
        MainForm = nullptr;
    }
    TMainForm win;
};

TEST_F(MainWindowWrite, ConfirmForcesWordTwoHighByteWhateverFollows)
{
    for (int i = 0; i < 128; ++i)
        win.RadioImage.Set(i, radio[i]);
    win.RadioImage.Set(2, 0x1205);

    boxes.expect(platform::IDCANCEL);
    win.btnWriteRadio->click();
    EXPECT_EQ(win.RadioImage.Get(2), 0x1205);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "All current radio data will be lost");
    EXPECT_EQ(boxes.boxes()[0].caption, "Write to radio?");
    EXPECT_EQ(boxes.boxes()[0].flags, 0x21u);
    EXPECT_TRUE(sim.requests().empty());

    // Confirmed, then cancelled at once: the high byte stays forced.
    boxes.expect(platform::IDOK);
    testsupport::ModalHandler cancel([&](QWidget*) { dlg.btnCancel->click(); });
    win.btnWriteRadio->click();
    EXPECT_TRUE(cancel.ran());
    EXPECT_EQ(win.RadioImage.Get(2), 0x0A05);
    settle();

    // Confirmed and completed: with the high byte forced the image matches the radio,
    // so nothing is written.
    sim.clearLog();
    win.RadioImage.Set(2, 0x0005);
    boxes.expect(platform::IDOK);
    std::optional<QString> result;
    testsupport::ModalHandler finish([&](QWidget*) {
        if (WaitFor([&] { return ended(); }, 10000))
            result = dlg.lblAction->text();
        dlg.btnCancel->click();
    });
    win.btnWriteRadio->click();
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(*result, kWriteOk);
    EXPECT_EQ(win.RadioImage.Get(2), 0x0A05);
    settle();
    EXPECT_EQ(sim.count(5), 0);
}

} // namespace
