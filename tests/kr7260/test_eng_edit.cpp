// The engineering window: the option words, the CTCSS detector entries, the word list,
// and the single-word reads and writes against the simulated radio.
// ctest-label: threaded
#include "eng_edit.h"
#include "kr72wire.h"
#include "radio_rw.h"
#include "ser_com.h"

#include "editor_fixture.h"

#include "support/kr7260_sim.h"
#include "support/pty.h"

#include <platform/msgbox.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>

using namespace kr72wire;
using testsupport::Kr7260Sim;
using testsupport::MessageBoxResponder;
using testsupport::WaitFor;

namespace {

using Bytes = std::vector<std::uint8_t>;

class EngineeringTest : public k7test::EditorTest {
protected:
    void SetUp() override
    {
        frmSerial = &link;
        frmReadWrite = &dlg;
        dlg.Attach(&link, &image);
        editor.Timer1->setInterval(1 << 30); // the 500 ms wait is driven by hand
        FillPattern();
        image.Set(23, 10);
        image.Set(24, 40);
        image.Set(25, 30);
    }
    void TearDown() override
    {
        link.ClosePort();
        frmReadWrite = nullptr;
        frmSerial = nullptr;
    }
    void OpenRadio()
    {
        sim = std::make_unique<Kr7260Sim>(pty);
        com = std::make_unique<testsupport::ComMapping>(1, pty.slavePath());
        ASSERT_TRUE(link.OpenPort(1));
    }
    // The frame of the first request with this command.
    Bytes FrameOf(std::uint8_t command) const
    {
        for (const auto& r : sim->requests())
            if (r.command == command)
                return r.frame;
        return {};
    }

    testsupport::PtyPair pty;
    std::unique_ptr<Kr7260Sim> sim;
    std::unique_ptr<testsupport::ComMapping> com;
    TfrmSerial link;
    TfrmReadWrite dlg;
    TfrmEngineering editor;
};

TEST_F(EngineeringTest, OptionsLoadAndStoreTheirBitsAndWords)
{
    image.Set(3, 0x0020);      // 50 ms scan
    image.Set(6, 0xF0E3);      // both switch bits: the KR7100 switch
    image.Set(11, 0x0B22);
    image.Set(12, 0x1403);
    image.Set(22, 0x0705);
    image.Set(26, 0x0A09);
    const TRadioImage::Words before = image.Snapshot();
    Run(editor, [&] {
        EXPECT_TRUE(editor.rbKr71->isChecked());
        EXPECT_EQ(editor.cmbScanSpeed->currentIndex(), 0);
        EXPECT_EQ(editor.lblPowerDownDelayValue->text(), "1.1 Seconds");
        EXPECT_EQ(editor.lblTxDelayValue->text(), "30 mSec");
        EXPECT_EQ(editor.txtFilter->text(), "5");
        EXPECT_EQ(editor.txtInit->text(), "7");
        EXPECT_EQ(editor.txtOn->text(), "50");
        EXPECT_EQ(editor.txtOff->text(), "38");
        editor.cmbScanSpeed->setCurrentIndex(1);
        editor.chkHiDcEnable->setChecked(true);
        editor.txtOff->setText("25");
    }, Press::OK);
    EXPECT_EQ(Changed(before), (std::vector<int>{3, 6, 25}));
    EXPECT_EQ(image.Get(3), 0x0010);
    EXPECT_EQ(image.Get(6), 0xF0E1);   // 0x0001 only
    EXPECT_EQ(image.Get(25), 20);

    // The whole correlator is shown and stored back; an untouched threshold keeps its
    // word even where the percentage is coarser (1613 shows 50 %, which would store 1600).
    image.Set(23, 400);
    image.Set(24, 1613);
    Run(editor, [&] {
        EXPECT_TRUE(editor.rbKr71->isChecked());
        editor.rbTocos->setChecked(true);
    }, Press::OK);
    EXPECT_EQ(image.Get(23), 400);
    EXPECT_EQ(image.Get(24), 1613);
    EXPECT_EQ(image.Get(6), 0xF0E2);
}

TEST_F(EngineeringTest, TabReachesTheDelayBars)
{
    Show(editor);
    const std::set<QWidget*> reached = k7test::TabThrough(editor, editor.rbAlps);
    EXPECT_TRUE(reached.count(editor.hsbPowerDownDelay));
    EXPECT_TRUE(reached.count(editor.hsbTxDelay));
    Finish(editor, Press::Cancel);
}

TEST_F(EngineeringTest, BadDetectorEntriesAreRefusedAndStoreNothing)
{
    image.Set(23, 0);  // a correlator of 0 on show
    const TRadioImage::Words before = image.Snapshot();
    MessageBoxResponder boxes;
    Show(editor);
    EXPECT_EQ(editor.txtOn->text(), "");
    EXPECT_EQ(editor.txtOff->text(), "");
    const struct {
        QLineEdit* edit;
        QString text;
        QString message;
    } cases[] = {
        {editor.txtCorr, "0", "Correlator must be a whole number\nfrom 1 to 65535."},
        {editor.txtCorr, "12", "On threshold % must be a whole number\nfrom 0 to 68266."},
        {editor.txtOn, "50", "Off threshold % must be a whole number\nfrom 0 to 68266."},
        {editor.txtFilter, "x5", "Filter threshold must be a whole number\nfrom 0 to 255."},
    };
    for (const auto& c : cases) {
        c.edit->setText(c.text);
        boxes.expect(platform::IDOK);
        editor.OKBtn->click();
        ASSERT_EQ(boxes.boxes().size(), 1u) << c.text.toStdString();
        EXPECT_EQ(boxes.boxes()[0].text.toStdString(), c.message.toStdString());
        EXPECT_EQ(boxes.boxes()[0].caption, "Invalid Value");
        EXPECT_TRUE(editor.isVisible());
        EXPECT_TRUE(Changed(before).empty());
        boxes.clear();
    }
    Finish(editor, Press::Cancel);
}

TEST_F(EngineeringTest, HexWriteGoesToTheRadioTheImageAndTheList)
{
    OpenRadio();
    image.Set(5, 0x6699);
    Show(editor);
    image.Set(5, 0x1111); // the list shows the words as they were on show
    editor.eeprom_list->setCurrentCell(5, 2);
    EXPECT_EQ(editor.txtLocation->text(), "5");
    EXPECT_EQ(editor.txtDataHex->text(), "6699");
    EXPECT_EQ(editor.txtData->text(), "26265");
    // A click on the selected row fills the edits again.
    editor.txtData->setText("1");
    const QPoint at = editor.eeprom_list->visualItemRect(editor.eeprom_list->item(5, 2)).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent click(type, at, editor.eeprom_list->viewport()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(editor.eeprom_list->viewport(), &click);
    }
    EXPECT_EQ(editor.txtData->text(), "26265");
    editor.txtDataHex->setText("1A2B");
    editor.btnWriteHex->click();
    EXPECT_FALSE(editor.btnReadLocation->isEnabled());
    EXPECT_TRUE(editor.btnWriteHex->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return link.WaitingForWord == 0; }));
    EXPECT_EQ(FrameOf(WriteWord), (Bytes{0x2B, 0x1A, 0x05, 0x00, 0xB5, 0x07, 0xCC}));
    EXPECT_EQ(sim->commands().front(), EnterProgramMode);
    editor.Timer1Timer();
    EXPECT_EQ(image.Get(5), 0x1A2B);
    EXPECT_EQ(editor.eeprom_list->item(5, 1)->text(), "1A2B");
    EXPECT_EQ(editor.eeprom_list->item(5, 2)->text(), "6699");
    EXPECT_EQ(editor.txtData->text(), "6699");
    EXPECT_TRUE(editor.btnReadLocation->isEnabled());
    EXPECT_TRUE(WaitFor([&] { return sim->count(ExitProgramMode) == 1; }));
    EXPECT_EQ(sim->word(5), 0x1A2B);

    // A read brings the radio's word.
    sim->setWord(9, 0x0102);
    editor.eeprom_list->setCurrentCell(9, 0);
    editor.btnReadLocation->click();
    EXPECT_EQ(editor.txtData->text(), "");
    ASSERT_TRUE(WaitFor([&] { return link.WaitingForWord == 0; }));
    editor.Timer1Timer();
    EXPECT_EQ(editor.txtData->text(), "258");
    EXPECT_EQ(image.Get(9), 0x0102);
    Finish(editor, Press::OK);
}

TEST_F(EngineeringTest, UnansweredOrRefusedRequestsChangeNothing)
{
    OpenRadio();
    const TRadioImage::Words before = image.Snapshot();
    MessageBoxResponder boxes;
    Show(editor);
    editor.eeprom_list->setCurrentCell(5, 0);

    // The reply names another word.
    sim->setSilent(true);
    editor.btnReadLocation->click();
    ASSERT_TRUE(WaitFor([&] { return sim->count(ReadWord) == 1; }));
    sim->sendUnsolicited(Kr7260Sim::Frame(ReadWord, {0x34, 0x12, 0x06, 0x00}));
    WaitFor([] { return false; }, 100);
    boxes.expect(platform::IDOK);
    editor.Timer1Timer();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "Radio did not respond.\nCheck leads and try again.");
    EXPECT_EQ(boxes.boxes()[0].caption, "No Response...");
    EXPECT_EQ(boxes.boxes()[0].flags, 0x30u);
    EXPECT_EQ(link.WaitingForWord, 0);
    EXPECT_TRUE(editor.btnReadLocation->isEnabled());

    // Out-of-range decimal data is refused before anything is sent.
    ASSERT_TRUE(WaitFor([&] { return sim->count(ExitProgramMode) == 1; }));
    sim->clearLog();
    editor.txtData->setText("65536");
    boxes.clear();
    boxes.expect(platform::IDOK);
    editor.btnWriteLocation->click();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "Decimcal data must be\nbetween 0 - 65535.");
    EXPECT_EQ(boxes.boxes()[0].caption, "Invalid data!");
    EXPECT_TRUE(sim->requests().empty());

    // Cancel while a write waits: program mode is left and the wait ends with the window.
    editor.txtData->setText("77");
    editor.btnWriteLocation->click();
    Finish(editor, Press::Cancel);
    EXPECT_FALSE(editor.Timer1->isActive());
    EXPECT_TRUE(WaitFor([&] { return sim->count(ExitProgramMode) == 1; }));
    EXPECT_EQ(sim->count(WriteWord), 1);
    EXPECT_TRUE(Changed(before).empty());
}

} // namespace
