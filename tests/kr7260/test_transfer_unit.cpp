// The request builders, the read and write machines step by step against a scripted radio,
// and closing the link while the parser thread waits for a box.
// ctest-label: threaded
#include "kr72wire.h"
#include "radio_get.h"
#include "radio_rw.h"
#include "rs232.h"
#include "ser_com.h"

#include "frames.h"

#include "support/dialogs.h"
#include "support/kr7260_sim.h"
#include "support/pty.h"

#include <platform/msgbox.h>

#include <gtest/gtest.h>

#include <time.h>

#include <chrono>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using k7test::blockReply;
using k7test::Bytes;
using k7test::frame;
using k7test::versionReply;
using namespace kr72wire;
using namespace kr72state;

int command(const Bytes& f) { return f.size() >= 2 ? f[f.size() - 2] : -1; }
int address(const Bytes& f) { return f.size() == 21 ? f[16] | (f[17] << 8) : f[2] | (f[3] << 8); }

struct FakeView : TTransferView {
    std::mutex m;
    std::vector<QString> actions, captions;
    std::vector<int> gauges;
    int closes = 0, beeps = 0;
    void SetAction(const QString& s) override { std::lock_guard l(m); actions.push_back(s); }
    void SetGauge(int p) override { std::lock_guard l(m); gauges.push_back(p); }
    void SetCancelCaption(const QString& s) override { std::lock_guard l(m); captions.push_back(s); }
    void CloseDialog() override { std::lock_guard l(m); ++closes; }
    void Beep() override { std::lock_guard l(m); ++beeps; }
    QString lastAction() { std::lock_guard l(m); return actions.empty() ? QString() : actions.back(); }
};

// The builders and the machines driven step by step on a fake clock; a scripted radio
// answers every frame at once.
class Machine : public ::testing::Test {
protected:
    Machine()
    {
        t.Attach(&link, &image);
        t.View = &view;
        t.Now = [this] { return now; };
        link.SetSendTap([this](const Bytes& f) { sent.push_back(f); });
        QObject::connect(&link, &TfrmSerial::versionChanged, [this](const QString& s) { labels.push_back(s); });
        for (int k = 0; k < 128; ++k)
            radio[k] = 0x1000 + k;
    }

    void answer(const Bytes& f)
    {
        if (silent)
            return;
        const int cmd = command(f);
        if (cmd == EnterProgramMode) {
            feed(frame({0, 0, 0, 0}, EnterProgramMode));
        } else if (cmd == Version && !noVersion) {
            feed(versionReply(version));
        } else if (cmd == ReadBlock) {
            const int a = address(f);
            std::array<int, 8> words{};
            for (int i = 0; i < 8; ++i)
                words[i] = a + i < 128 ? radio[a + i] : 0;
            feed(blockReply(a, words));
        } else if (cmd == WriteBlock) {
            const int a = address(f);
            for (int i = 0; i < 8; ++i)
                if (a + 7 - i < 128)
                    radio[a + 7 - i] = f[2 * i] | (f[2 * i + 1] << 8);
            feed(frame({0, 0, 0, 0}, std::uint8_t(writeAck)));
        }
    }
    void feed(const Bytes& b) { proc.Receive(b.data(), int(b.size())); }
    // A timer tick after the given time.
    void tick(std::chrono::milliseconds after = TTransferCore::DefaultReplyAllowance)
    {
        now += after;
        t.TimerTick();
    }

    // The one frame sent since the last call.
    Bytes only()
    {
        EXPECT_EQ(sent.size(), 1u);
        Bytes f = sent.empty() ? Bytes{} : sent.back();
        sent.clear();
        return f;
    }

    void imageFromRadio()
    {
        for (int k = 0; k < 128; ++k)
            image.Set(k, radio[k]);
    }

    void start(int mode, int first, int last, int showResult = 1)
    {
        t.StartAddress = first;
        t.EndAddress = last;
        t.TransferMode = mode;
        t.ShowResult = showResult;
        t.StartTransfer();
    }

    // Runs a transfer until its machine is idle again; a step that sends nothing is
    // followed by a timer tick.
    void run(int mode, int first, int last, int showResult = 1)
    {
        start(mode, first, last, showResult);
        for (int i = 0; i < 5000; ++i) {
            const std::size_t before = sent.size();
            proc.RunMachineStep();
            for (std::size_t k = before; k < sent.size(); ++k)
                answer(sent[k]);
            if ((mode == TransferRead ? t.ReadState : t.WriteState) == Idle)
                return;
            if (sent.size() == before)
                tick();
        }
        ADD_FAILURE() << "machine did not end";
    }

    std::vector<Bytes> framesWith(int cmd) const
    {
        std::vector<Bytes> out;
        for (const auto& f : sent)
            if (command(f) == cmd)
                out.push_back(f);
        return out;
    }

    TRadioImage image;
    TfrmSerial link;
    TTransferCore t;
    TTransferCore::Clock::time_point now{std::chrono::hours(1)};
    FakeView view;
    rs232_processor proc{link};
    std::vector<Bytes> sent;
    std::vector<QString> labels;
    int radio[128] = {};
    std::string version = "KR7260d";
    bool silent = false, noVersion = false;
    int writeAck = WriteBlock;
};

TEST_F(Machine, ShortFramesAreExact)
{
    link.LinkFlags = 1;
    t.SendEnterProgramMode();
    EXPECT_EQ(only(), (Bytes{0, 0, 0, 0, 0xFF, 0x01, 0xCC}));
    EXPECT_FALSE(link.ProgramModeAck());
    t.SendVersionRequest();
    EXPECT_EQ(only(), (Bytes{0, 0, 0, 0, 0xFF, 0x02, 0xCC}));
    t.SendExitProgramMode();
    EXPECT_EQ(only(), (Bytes{0, 0, 0, 0, 0xFF, 0x03, 0xCC}));
    t.SendReadBlock(120);
    EXPECT_EQ(only(), (Bytes{0, 0, 0x78, 0x00, 0x87, 0x04, 0xCC}));
    t.SendReadBlock(0x1FF);
    EXPECT_EQ(only(), (Bytes{0, 0, 0xFF, 0x01, 0xFF, 0x04, 0xCC}));
    t.SendReadWord(77);
    EXPECT_EQ(only(), (Bytes{0, 0, 0x4D, 0x00, 0xB2, 0x06, 0xCC}));
    t.SendWriteWord(5, 0x1234);
    EXPECT_EQ(only(), (Bytes{0x34, 0x12, 0x05, 0x00, 0xB4, 0x07, 0xCC}));
    t.SendWriteWord(5, 0x1A2B);
    EXPECT_EQ(only(), (Bytes{0x2B, 0x1A, 0x05, 0x00, 0xB5, 0x07, 0xCC}));
    t.SendReadSignalStrength();
    EXPECT_EQ(only(), (Bytes{0, 0, 0x06, 0x00, 0xF9, 0x0A, 0xCC}));
    t.SendSetSMeterS1();
    EXPECT_EQ(only(), (Bytes{0, 0, 0x02, 0x00, 0xFD, 0x0A, 0xCC}));
    t.SendSetSMeterS9();
    EXPECT_EQ(only(), (Bytes{0, 0, 0x03, 0x00, 0xFC, 0x0A, 0xCC}));
}

TEST_F(Machine, WriteBlockSendsWordsDescendingLow16BitsOnly)
{
    for (int i = 0; i < 8; ++i)
        image.Set(16 + i, 0x0101 * (i + 1));
    image.Set(23, 0x7FFF0908); // upper half never goes out
    t.SendWriteBlock(16);
    EXPECT_EQ(only(), (Bytes{0x08, 0x09, 0x07, 0x07, 0x06, 0x06, 0x05, 0x05, 0x04, 0x04, 0x03, 0x03, 0x02, 0x02,
                             0x01, 0x01, 16, 0, 0xA6, 0x05, 0xCC}));
    // A block that would reach past word 127 is not sent.
    t.SendWriteBlock(121);
    EXPECT_TRUE(sent.empty());
}

TEST_F(Machine, SilentRadioFailsAfterSixAttempts)
{
    silent = true;
    image.Fill(3);
    run(TransferRead, 0, 127);
    EXPECT_EQ(framesWith(EnterProgramMode).size(), 12u); // two per attempt
    EXPECT_EQ(view.lastAction(), "Failed while trying to get radio into read program mode.");
    EXPECT_EQ(view.captions, std::vector<QString>{"Close"});
    EXPECT_EQ(view.beeps, 1);
    EXPECT_EQ(framesWith(ExitProgramMode).size(), 1u);
    EXPECT_TRUE(framesWith(ReadBlock).empty());
    EXPECT_EQ(command(sent.back()), ExitProgramMode);
    EXPECT_EQ(view.gauges.back(), 0);
    EXPECT_EQ(image.Get(50), 3);

    run(TransferWrite, 2, 127);
    EXPECT_EQ(view.lastAction(), "Failed while trying to get radio into write program mode.");

    silent = false;
    noVersion = true;
    run(TransferRead, 0, 127);
    EXPECT_EQ(view.lastAction(), "Failed while trying to read radio version.");
}

TEST_F(Machine, AReplyLateInItsAllowanceIsTakenAndNothingIsSentAgain)
{
    using std::chrono::milliseconds;
    silent = true; // replies are fed by hand
    start(TransferRead, 0, 127);
    proc.RunMachineStep();
    ASSERT_EQ(framesWith(EnterProgramMode).size(), 2u);
    // A tick lands just after the request, another near the end of its 500 ms.
    for (auto after : {milliseconds(5), milliseconds(490)}) {
        tick(after);
        proc.RunMachineStep();
    }
    EXPECT_EQ(sent.size(), 2u);
    feed(frame({0, 0, 0, 0}, EnterProgramMode));
    proc.RunMachineStep();
    EXPECT_EQ(framesWith(EnterProgramMode).size(), 2u);
    ASSERT_EQ(framesWith(Version).size(), 1u);

    // With no reply by 500 ms after the send the request goes out again.
    tick(milliseconds(5));
    proc.RunMachineStep();
    tick(milliseconds(495));
    proc.RunMachineStep();
    proc.RunMachineStep();
    EXPECT_EQ(framesWith(Version).size(), 2u);
}

TEST_F(Machine, ShortReadsTakeOnlyTheirRangeAndASilentResultClosesOnSuccessOnly)
{
    run(TransferRead, 0, 1, 0);
    EXPECT_EQ(image.Get(0), 0x1000);
    EXPECT_EQ(image.Get(1), 0x1001);
    EXPECT_EQ(image.Get(2), 0);
    EXPECT_EQ(framesWith(ReadBlock).size(), 1u);
    EXPECT_EQ(view.closes, 1);
    EXPECT_EQ(t.TransferMode, TransferIdle);
    EXPECT_TRUE(view.actions.empty());

    // A range whose block would start past 120 reads the last block instead.
    sent.clear();
    run(TransferRead, 123, 127);
    for (const auto& f : framesWith(ReadBlock))
        EXPECT_LE(address(f), 120);
    EXPECT_EQ(image.Get(122), 0);
    for (int k = 123; k < 128; ++k)
        EXPECT_EQ(image.Get(k), 0x1000 + k) << k;

    silent = true;
    run(TransferRead, 0, 1, 0);
    EXPECT_EQ(view.closes, 1);
    EXPECT_EQ(t.TransferMode, TransferRead);
    EXPECT_EQ(view.lastAction(), "Failed while trying to get radio into read program mode.");
}

TEST_F(Machine, WriteAcknowledgementIsABitTest)
{
    imageFromRadio();
    image.Set(100, 1);
    writeAck = 7;
    run(TransferWrite, 2, 127);
    EXPECT_EQ(view.lastAction(), "Data successfully written to radio!");

    image.Set(100, 2);
    writeAck = 2; // carries neither bit 0 nor bit 2
    run(TransferWrite, 2, 127);
    EXPECT_EQ(view.lastAction(), "Failed while trying to write data to the radio.");
    EXPECT_EQ(command(sent.back()), ExitProgramMode);
}

TEST_F(Machine, VersionCheckOfTheWrite)
{
    testsupport::MessageBoxResponder boxes;
    boxes.answerAll(platform::IDOK);
    const QString invalid = "Invalid radio version!\nPlease ensure correct version\nof dealer software is being "
                            "used.\n(wants V0.0d of higher)";
    QString unknown = invalid;
    unknown.replace("Invalid radio version!", "Unknown radio type!").replace("V0.0d", "V0.0b");
    const std::pair<const char*, QString> cases[] = {
        {"KR7260a", invalid}, {"KR7260bX12", invalid}, {"KR7260c", invalid}, {"XR7260d", unknown},
        {"KR5180d", unknown}, {"KR726", unknown},      {"KR7260", ""},       {"KR7260d", ""},
        {"KR7260e9", ""}};
    imageFromRadio();
    for (const auto& [v, box] : cases) {
        SCOPED_TRACE(v);
        version = v;
        boxes.clear();
        sent.clear();
        run(TransferWrite, 2, 127);
        if (box.isEmpty()) {
            EXPECT_TRUE(boxes.boxes().empty());
            EXPECT_EQ(view.lastAction(), "Data successfully written to radio!");
            continue;
        }
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text, box);
        EXPECT_EQ(boxes.boxes()[0].caption, "Wrong version...");
        EXPECT_EQ(boxes.boxes()[0].flags, 0x30u);
        EXPECT_EQ(view.lastAction(), QString("Incorrect radio version.") + v);
        EXPECT_TRUE(framesWith(ReadBlock).empty());
        EXPECT_EQ(framesWith(ExitProgramMode).size(), 1u);
        EXPECT_EQ(command(sent.back()), ExitProgramMode);
        EXPECT_EQ(labels.back(), QString("Radio version ") + v);
    }
}

TEST_F(Machine, CancelEndsWithOneExitAndStaysIdle)
{
    image.Fill(9);
    start(TransferRead, 0, 127);
    // Run a few blocks, then cancel while a block request is outstanding.
    for (int i = 0; i < 6; ++i) {
        const std::size_t before = sent.size();
        proc.RunMachineStep();
        for (std::size_t k = before; k < sent.size(); ++k)
            answer(sent[k]);
    }
    silent = true;
    proc.RunMachineStep();
    t.CancelPressed();
    const std::size_t before = sent.size();
    for (int i = 0; i < 5; ++i) {
        proc.RunMachineStep();
        tick();
    }
    ASSERT_EQ(sent.size(), before + 1);
    EXPECT_EQ(command(sent.back()), ExitProgramMode);
    EXPECT_EQ(t.ReadState, Idle);
    EXPECT_EQ(t.TransferMode, TransferRead); // a cancel leaves the mode as it was
    EXPECT_EQ(image.Get(0), 9);   // a cancelled read leaves the image
    EXPECT_EQ(view.gauges.back(), 0);
}

TEST_F(Machine, CloseBeforeTheEndStepStillLeavesProgramMode)
{
    silent = true;
    start(TransferRead, 0, 127);
    for (int i = 0; i < 40 && !t.Finished; ++i) {
        proc.RunMachineStep();
        tick();
    }
    ASSERT_TRUE(t.Finished);
    ASSERT_EQ(t.ReadState, kr72state::Failed);
    t.CancelPressed(); // "Close": the mode goes back to 0
    EXPECT_EQ(t.TransferMode, TransferIdle);
    proc.RunMachineStep();
    EXPECT_EQ(command(sent.back()), ExitProgramMode);
    EXPECT_EQ(t.ReadState, Idle);
}

// ---------------------------------------------------------------- the link's threads

class LinkThreads : public ::testing::Test {
protected:
    LinkThreads()
    {
        t.Attach(&link, &image);
        t.View = &view;
    }
    testsupport::PtyPair pty;
    testsupport::ComMapping map{4, pty.slavePath()};
    TRadioImage image;
    TTransferCore t;
    FakeView view;
    TfrmSerial link;
};

TEST_F(LinkThreads, ClosingThePortWhileTheVersionBoxWaitsDoesNotHang)
{
    testsupport::MessageBoxResponder boxes;
    boxes.answerAll(platform::IDOK);
    ASSERT_TRUE(link.OpenPort(4));

    // The write machine is waiting for the version; the reply names a rejected radio.
    link.SetRadioVersion("KR7260a");
    link.LastReply = Version;
    t.StartReplyWait();
    t.WriteState = kr72state::WriteVersionWait;
    t.TransferMode = TransferWrite;
    link.ReceiveEvent.set();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (view.lastAction().isEmpty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(view.lastAction(), "Incorrect radio version.KR7260a");

    // The parser thread now waits for the box, which this thread has not shown yet.
    EXPECT_TRUE(link.ClosePort());
    EXPECT_FALSE(link.PortOpen);
    EXPECT_TRUE(testsupport::WaitFor([&] { return boxes.boxes().size() == 1; }, 3000));
    EXPECT_EQ(t.WriteState, kr72state::Failed);
}

TEST_F(LinkThreads, ReadAndWriteRunOnTheParserThreadWithoutTimerTicks)
{
    // No timer runs here: every step after the first is driven by a reply or by the
    // machine's own wake-up, so the transfers end only if no step waits for a tick.
    testsupport::Kr7260Sim sim(pty);
    for (int k = 0; k < 128; ++k)
        sim.setWord(k, std::uint16_t(0x2000 + k));
    ASSERT_TRUE(link.OpenPort(4));

    auto runTransfer = [&](int mode, int first, int last) {
        t.StartAddress = first;
        t.EndAddress = last;
        t.ShowResult = 1;
        t.TransferMode = mode;
        t.StartTransfer();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!t.Finished && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return view.lastAction();
    };
    EXPECT_EQ(runTransfer(TransferRead, 0, 127), "Data successfully read from radio!");
    for (int k = 0; k < 128; ++k)
        ASSERT_EQ(image.Get(k), 0x2000 + k) << k;

    image.Set(60, 0x0BAD);
    EXPECT_EQ(runTransfer(TransferWrite, 2, 127), "Data successfully written to radio!");
    EXPECT_EQ(sim.word(60), 0x0BAD);
    EXPECT_EQ(sim.count(WriteBlock), 1);
    EXPECT_TRUE(link.ClosePort());
}

} // namespace

TEST_F(LinkThreads, LostPortNeitherSpinsNorHangsClose)
{
    ASSERT_TRUE(link.OpenPort(4));
    pty.closeMaster(); // the cable is pulled
    std::this_thread::sleep_for(std::chrono::milliseconds(50));

    // Threads looping on the dead line would burn a whole core meanwhile.
    auto cpu = [] {
        timespec ts{};
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
    };
    const double cpu0 = cpu();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_LT(cpu() - cpu0, 0.25);

    auto closed = std::async(std::launch::async, [&] { return link.ClosePort(); });
    ASSERT_EQ(closed.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_TRUE(closed.get());
    EXPECT_FALSE(link.PortOpen);
}
