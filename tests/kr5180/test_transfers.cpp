// Whole-image transfers with the radio: Read From Radio, Write To Radio and the
// calibration read before alignment, against the simulated radio.
#include "main_fixture.h"

#include <QProgressBar>

using namespace k5test;

namespace {

std::vector<Bytes> ReadSequence()
{
    std::vector<Bytes> seq{{0x80}, {0xB9}};
    for (int a = 0; a < 256; a += 16)
        seq.push_back({0x83, 0x00, static_cast<std::uint8_t>(a)});
    seq.push_back({0xBF});
    return seq;
}

std::vector<Bytes> WriteSequence(const Bytes& image)
{
    std::vector<Bytes> seq{{0xB9}, {0xB8, 0x00}};
    for (int a = 0; a < 256; a += 16) {
        Bytes r{0xA3, 0x00, static_cast<std::uint8_t>(a)};
        r.insert(r.end(), image.begin() + a, image.begin() + a + 16);
        seq.push_back(r);
    }
    seq.push_back({0xBF});
    return seq;
}

} // namespace

class TransferTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        writeDefaultFile(fileImage);
        radio = &addSim(1);
        radio->setMemory(radioMemory);
        start(300);
        ASSERT_TRUE(serialPort->SerialPortIsOpen());
        ASSERT_TRUE(boxes.boxes().empty());
    }

    const Bytes fileImage = Pattern(40);
    const Bytes radioMemory = Pattern(41);
    testsupport::Kr5180Sim* radio = nullptr;
};

// ---- Read From Radio ----

TEST_F(TransferTest, ReadFromRadioCopiesTheRadioAndCountsTheRead)
{
    radio->setVersion(1, 0x05, 'A');
    boxes.expect(platform::IDOK);
    click("btnReadRadio");

    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "All current edit data will be lost.");
    EXPECT_EQ(boxes.boxes()[0].caption, "Read From Radio?");
    EXPECT_EQ(boxes.boxes()[0].flags, 0x31u);
    EXPECT_EQ(radio->requests(), ReadSequence());
    EXPECT_EQ(image(), radioMemory);
    EXPECT_EQ(radioCmd->readCount, 1);
    EXPECT_EQ(win->DataSource, TfrmMain::SourceRadio);
    EXPECT_EQ(win->PanelText(2), "Firmware: v1.05A");
    EXPECT_EQ(win->PanelText(3), "Current Radio data loaded.");
    EXPECT_EQ(win->memFileName, "defkr5180.mem");

    ASSERT_NE(frmProgress, nullptr);
    EXPECT_FALSE(frmProgress->isVisible());
    EXPECT_EQ(frmProgress->windowTitle(), "Reading from Radio");
    EXPECT_EQ(frmProgress->Bar()->maximum(), 256);
    EXPECT_EQ(frmProgress->Position(), 256);

    // The File menu's entry runs the same operation.
    radio->clearLog();
    boxes.expect(platform::IDOK);
    action("mnuReadRadio")->trigger();
    EXPECT_EQ(radio->requests(), ReadSequence());
    EXPECT_EQ(radioCmd->readCount, 2);
}

TEST_F(TransferTest, ReadFromRadioCancelledSendsNothing)
{
    boxes.expect(platform::IDCANCEL);
    click("btnReadRadio");
    EXPECT_FALSE(radio->waitForRequests(1, 300));
    EXPECT_EQ(image(), fileImage);
    EXPECT_EQ(radioCmd->readCount, 0);
    EXPECT_EQ(win->PanelText(3), "File: defkr5180.mem");
}

TEST_F(TransferTest, RadioSilentMidReadWithFailedResetKeepsLaterBlocksAndIsNotCounted)
{
    // Requests: 1 version, 2 program mode, 3.. blocks; block 0x50 is request 8, the reset 9.
    radio->setDroppedReplies({8, 9});
    boxes.expect(platform::IDOK);
    boxes.expect(platform::IDOK);
    click("btnReadRadio");

    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[1].text, "Radio Response Timeout.");
    EXPECT_EQ(boxes.boxes()[1].caption, "Comms Error");
    EXPECT_EQ(boxes.boxes()[1].flags, 0x30u);
    const auto log = radio->requests();
    ASSERT_EQ(log.size(), 9u);
    EXPECT_EQ(log[7], (Bytes{0x83, 0x00, 0x50}));
    EXPECT_EQ(log[8], Bytes{0xBF});

    Bytes expected = fileImage;
    std::copy(radioMemory.begin(), radioMemory.begin() + 0x50, expected.begin());
    EXPECT_EQ(image(), expected);
    EXPECT_EQ(radioCmd->readCount, 0);
    EXPECT_EQ(win->DataSource, TfrmMain::SourceFile);
    EXPECT_EQ(win->PanelText(3), "File: defkr5180.mem");
}

TEST_F(TransferTest, RadioSilentMidReadWithGoodResetCountsThePartialRead)
{
    radio->setDroppedReplies({8});
    boxes.expect(platform::IDOK);
    click("btnReadRadio");

    EXPECT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(radio->requestCount(), 9);
    Bytes expected = fileImage;
    std::copy(radioMemory.begin(), radioMemory.begin() + 0x50, expected.begin());
    EXPECT_EQ(image(), expected);
    EXPECT_EQ(radioCmd->readCount, 1);
    EXPECT_EQ(win->PanelText(3), "Current Radio data loaded.");
}

TEST_F(TransferTest, ReadFromRadioGoesOnWithoutAVersionAnswer)
{
    radio->setDroppedReplies({1});
    boxes.expect(platform::IDOK);
    click("btnReadRadio");
    EXPECT_EQ(radio->requests(), ReadSequence());
    EXPECT_EQ(image(), radioMemory);
    EXPECT_EQ(win->PanelText(2), "Firmware: ");
    EXPECT_EQ(win->PanelText(3), "Current Radio data loaded.");
}

TEST_F(TransferTest, ReadWithThePortClosedReportsTheTimeout)
{
    serialPort->SerialPortClose();
    boxes.expect(platform::IDOK);
    boxes.expect(platform::IDOK);
    click("btnReadRadio");
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[1].text, "Radio Response Timeout.");
    EXPECT_EQ(image(), fileImage);
    EXPECT_EQ(radioCmd->readCount, 0);
}

// ---- Write To Radio ----

TEST_F(TransferTest, WriteBeforeAnyReadAsksTwiceAndSendsTheImage)
{
    boxes.expect(platform::IDOK);
    boxes.expect(platform::IDOK);
    click("btnWriteRadio");

    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[0].text, "Radio has not been read in this session.");
    EXPECT_EQ(boxes.boxes()[0].caption, "Warning");
    EXPECT_EQ(boxes.boxes()[0].flags, 0x31u);
    EXPECT_EQ(boxes.boxes()[1].text, "Overwrite radio configuration?");
    EXPECT_EQ(boxes.boxes()[1].caption, "Warning");
    EXPECT_EQ(boxes.boxes()[1].flags, 0x31u);
    EXPECT_EQ(radio->requests(), WriteSequence(fileImage));
    EXPECT_EQ(radio->memory(), fileImage);
    EXPECT_EQ(radioCmd->readCount, 0);
    EXPECT_EQ(win->PanelText(3), "File: defkr5180.mem");
    EXPECT_EQ(frmProgress->windowTitle(), "Writing to Radio");
}

TEST_F(TransferTest, WriteAfterACountedReadAsksOnlyTheOverwriteQuestion)
{
    boxes.expect(platform::IDOK);
    click("btnReadRadio");
    ASSERT_EQ(radioCmd->readCount, 1);
    const Bytes edited = Pattern(42);
    setImage(edited);
    radio->clearLog();
    boxes.clear();

    boxes.expect(platform::IDOK);
    action("mnuFileWriteRadio")->trigger();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "Overwrite radio configuration?");
    EXPECT_EQ(radio->requests(), WriteSequence(edited));
    EXPECT_EQ(radio->memory(), edited);
}

TEST_F(TransferTest, WriteCancelledAtEitherQuestionSendsNothing)
{
    boxes.expect(platform::IDCANCEL);
    click("btnWriteRadio");
    EXPECT_EQ(boxes.boxes().size(), 1u);
    boxes.expect(platform::IDOK);
    boxes.expect(platform::IDCANCEL);
    click("btnWriteRadio");
    EXPECT_EQ(boxes.boxes().size(), 3u);
    EXPECT_FALSE(radio->waitForRequests(1, 300));
    EXPECT_EQ(radio->memory(), radioMemory);
}

TEST_F(TransferTest, WriteStopsAtAFailingBlockAndReportsAFailedReset)
{
    // 1 program mode, 2 test mode, 3.. blocks: block 0x20 is request 5; the reset is 6.
    radio->setDroppedReplies({5, 6});
    boxes.answerAll(platform::IDOK);
    click("btnWriteRadio");
    ASSERT_EQ(boxes.boxes().size(), 3u);
    EXPECT_EQ(boxes.boxes()[2].text, "Radio Response Timeout.");
    EXPECT_EQ(boxes.boxes()[2].caption, "Comms Error");
    EXPECT_EQ(radio->requestCount(), 6);
    EXPECT_EQ(radio->requests().back(), Bytes{0xBF});
    EXPECT_EQ(radioCmd->readCount, 0);
}

// ---- calibration read before alignment ----

TEST_F(TransferTest, AlignReadsTheFourteenCalibrationWordsOnly)
{
    click("btnAlign");
    EXPECT_TRUE(boxes.boxes().empty());
    const auto log = radio->requests();
    ASSERT_EQ(log.size(), 14u);
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(log[i], (Bytes{0x82, 0x00, static_cast<std::uint8_t>(2 * i)})) << i;
    Bytes expected = fileImage;
    std::copy(radioMemory.begin(), radioMemory.begin() + 28, expected.begin());
    EXPECT_EQ(image(), expected);
    EXPECT_EQ(frmProgress->windowTitle(), "Reading Calibration from Radio");
    EXPECT_EQ(frmProgress->Position(), 14);
}

TEST_F(TransferTest, AlignWithoutARadioOffersOfflineMode)
{
    radio->setSilent(true);
    for (int answer : {platform::IDCANCEL, platform::IDOK}) {
        SCOPED_TRACE(answer);
        radio->clearLog();
        boxes.clear();
        boxes.expect(answer);
        action("mnuEditAlign")->trigger();
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text, "Unable to read radio calibration.\nContinue in offline mode?");
        EXPECT_EQ(boxes.boxes()[0].caption, "Comms Error");
        EXPECT_EQ(boxes.boxes()[0].flags, 0x31u);
        EXPECT_EQ(radio->requests(), std::vector<Bytes>{(Bytes{0x82, 0x00, 0x00})});
        EXPECT_EQ(image(), fileImage);
    }
}
