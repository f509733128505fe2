// Whole-image transfers with the radio: Read From Radio, Write To Radio and the
// calibration read before alignment, against the simulated radio.
#include "main_fixture.h"

#include <set>

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
        radio = &startWithRadio(fileImage, radioMemory, 300);
        ASSERT_TRUE(serialPort->SerialPortIsOpen());
        ASSERT_TRUE(boxes.boxes().empty());
    }

    const Bytes fileImage = Pattern(40);
    const Bytes radioMemory = Pattern(41);
    testsupport::Kr5180Sim* radio = nullptr;
};

// ---- Read From Radio ----

TEST_F(TransferTest, ReadFromRadioCopiesTheRadioAndCountsTheReadThenWriteAsksOnce)
{
    radio->setVersion(1, 0x05, 'A');
    boxes.expect(platform::IDOK);
    click("btnReadRadio");

    ASSERT_EQ(boxes.boxes().size(), 1u);
    ExpectBox(boxes.boxes()[0], "All current edit data will be lost.", "Read From Radio?", 0x31);
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
    EXPECT_EQ(frmProgress->Position(), 256);

    // The File menu's entry runs the same operation; it goes on without a version answer.
    radio->clearLog();
    radio->setDroppedReplies({1});
    boxes.expect(platform::IDOK);
    action("mnuReadRadio")->trigger();
    EXPECT_EQ(radio->requests(), ReadSequence());
    EXPECT_EQ(radioCmd->readCount, 2);
    EXPECT_EQ(image(), radioMemory);
    EXPECT_EQ(win->PanelText(2), "Firmware: ");

    // After a counted read, Write To Radio asks only the overwrite question.
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

TEST_F(TransferTest, CancelledReadOrWriteSendsNothing)
{
    boxes.expect(platform::IDCANCEL);
    click("btnReadRadio");
    boxes.expect(platform::IDCANCEL); // "not read in this session"
    click("btnWriteRadio");
    boxes.expect(platform::IDOK);
    boxes.expect(platform::IDCANCEL); // "overwrite?"
    click("btnWriteRadio");
    EXPECT_EQ(boxes.boxes().size(), 4u);
    EXPECT_FALSE(radio->waitForRequests(1, 300));
    EXPECT_EQ(image(), fileImage);
    EXPECT_EQ(radio->memory(), radioMemory);
    EXPECT_EQ(radioCmd->readCount, 0);
    EXPECT_EQ(win->PanelText(3), "File: defkr5180.mem");
}

TEST_F(TransferTest, ReadThatMissesABlockIsNotCountedAndLeavesTheImage)
{
    // Requests: 1 version, 2 program mode, 3.. blocks; block 0x50 is request 8, the reset 9.
    // A block lost or refused fails the read whatever the reset says; a whole read whose
    // reset is lost keeps the blocks but is not counted.
    struct Case {
        std::set<int> dropped;
        bool refused;
        bool imageFromRadio;
    };
    for (const Case& c : {Case{{8, 9}, false, false}, Case{{8}, false, false}, Case{{}, true, false},
                          Case{{19}, false, true}}) {
        SCOPED_TRACE(c.dropped.size() * 10 + c.refused);
        setImage(fileImage);
        radio->clearLog();
        radio->setDroppedReplies(c.dropped);
        radio->setNotRecognised(c.refused ? std::set<int>{0x03} : std::set<int>{});
        boxes.clear();
        boxes.answerAll(platform::IDOK);
        click("btnReadRadio");

        ASSERT_EQ(boxes.boxes().size(), 2u);
        ExpectBox(boxes.boxes()[1], "Radio Response Timeout.", "Comms Error", 0x30);
        EXPECT_EQ(radio->requests().back(), Bytes{0xBF});
        EXPECT_EQ(image(), c.imageFromRadio ? radioMemory : fileImage);
        EXPECT_EQ(radioCmd->readCount, 0);
        EXPECT_EQ(win->PanelText(3), "File: defkr5180.mem");
    }
}

// ---- Write To Radio ----

TEST_F(TransferTest, WriteBeforeAnyReadAsksTwiceAndSendsTheImage)
{
    boxes.expect(platform::IDOK);
    boxes.expect(platform::IDOK);
    click("btnWriteRadio");

    ASSERT_EQ(boxes.boxes().size(), 2u);
    ExpectBox(boxes.boxes()[0], "Radio has not been read in this session.", "Warning", 0x31);
    ExpectBox(boxes.boxes()[1], "Overwrite radio configuration?", "Warning", 0x31);
    EXPECT_EQ(radio->requests(), WriteSequence(fileImage));
    EXPECT_EQ(radio->memory(), fileImage);
    EXPECT_EQ(radioCmd->readCount, 0);
    EXPECT_EQ(win->PanelText(3), "File: defkr5180.mem");
    EXPECT_EQ(frmProgress->windowTitle(), "Writing to Radio");
}

TEST_F(TransferTest, WriteStopsAtAFailingBlockAndSaysSoWhateverTheReset)
{
    // 1 program mode, 2 test mode, 3.. blocks: block 0x20 is request 5; the reset is 6.
    // A block the radio did not take is reported even when the reset is answered.
    for (const std::set<int>& dropped : {std::set<int>{5, 6}, std::set<int>{5}}) {
        SCOPED_TRACE(dropped.size());
        radio->clearLog();
        boxes.clear();
        radio->setDroppedReplies(dropped);
        boxes.answerAll(platform::IDOK);
        click("btnWriteRadio");
        ASSERT_EQ(boxes.boxes().size(), 3u);
        ExpectBox(boxes.boxes()[2], "Radio Response Timeout.", "Comms Error", 0x30);
        EXPECT_EQ(radio->requestCount(), 6);
        EXPECT_EQ(radio->requests().back(), Bytes{0xBF});
        EXPECT_EQ(radioCmd->readCount, 0);
    }
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
        ExpectBox(boxes.boxes()[0], "Unable to read radio calibration.\nContinue in offline mode?", "Comms Error",
                  0x31);
        EXPECT_EQ(radio->requests(), std::vector<Bytes>{(Bytes{0x82, 0x00, 0x00})});
        EXPECT_EQ(image(), fileImage);
    }
}
