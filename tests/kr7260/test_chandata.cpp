// The channel data window with its pick list and channel editor, on the editor fixture;
// and the four editors of this family opening from the main window.
#include "editor_fixture.h"

#include "chandata.h"
#include "chanedit_p.h"
#include "ctcss.h"
#include "main.h"
#include "options.h"
#include "scan.h"
#include "sel_ch.h"

#include <platform/misc.h>
#include <platform/msgbox.h>

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

namespace {

using testsupport::MessageBoxResponder;

// Runs action when `window` becomes the active modal window; rejects it if still open
// five seconds later.
class WhenModal {
public:
    WhenModal(QDialog* window, std::function<void()> action) : window_(window), action_(std::move(action))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (QApplication::activeModalWidget() != window_)
                return;
            if (!ran_) {
                ran_ = true;
                action_();
            } else if (++ticks_ > 500) {
                window_->reject();
            }
        });
        timer_.start(10);
    }
    bool ran() const { return ran_; }

private:
    QDialog* window_;
    std::function<void()> action_;
    QTimer timer_;
    bool ran_ = false;
    int ticks_ = 0;
};

class ChannelDataTest : public k7test::EditorTest {
protected:
    void SetUp() override
    {
        image.Fill(0);
        // Channels 41, 43 and 50; 43 in open scan and quiet memory.
        image.Set(107, 37601);
        image.Set(109, 38113);
        image.Set(116, 37200);
        image.SetMapBit(27, 42, true);
        image.SetMapBit(35, 42, true);
    }
    QString Cell(int row, int col) const
    {
        const QTableWidgetItem* item = data.listChannel->item(row, col);
        return item ? item->text() : QString();
    }
    void SelectRow(int row) { data.listChannel->setCurrentCell(row, 0); }
    // The editor, shown for one channel: sets the frequency text and boxes, then OK.
    WhenModal EditWith(const char* freq, bool os, bool gs, bool q)
    {
        return WhenModal(&edit, [this, freq, os, gs, q] {
            edit.txtRxFreq->setText(freq);
            edit.chkOsMem->setChecked(os);
            edit.chkGsMem->setChecked(gs);
            edit.chkQMem->setChecked(q);
            edit.OKBtn->click();
        });
    }

    TfrmChannelSelect select;
    TfrmEditChannel2 edit;
    TfrmChannelData data{nullptr, &select, &edit};
};

TEST_F(ChannelDataTest, GridListsTheSpareChannelsThatExist)
{
    Show(data);
    ASSERT_EQ(data.listChannel->rowCount(), 3);
    EXPECT_EQ((QStringList{Cell(0, 0), Cell(0, 1), Cell(2, 0)}), (QStringList{"41", "470.0125Mhz", "50"}));
    EXPECT_EQ((QStringList{Cell(1, 1), Cell(1, 2), Cell(1, 3), Cell(1, 4)}),
              (QStringList{"476.4125Mhz", "Yes", "No", "Yes"}));
    Finish(data, Press::Cancel);
    image.Fill(0);
    Show(data);
    EXPECT_EQ(data.listChannel->rowCount(), 1); // one empty row
    data.btnEditChannel->click();               // on the empty row: nothing opens
    data.btnDeleteChannel->click();
    Finish(data, Press::Cancel);
}

TEST_F(ChannelDataTest, AddOffersTheLowestFreeChannelAndStoresTheEntry)
{
    image.SetMapBit(39, 41, true); // stale CTCSS bit of channel 42
    Show(data);
    WhenModal pick(&select, [this] {
        EXPECT_EQ(select.cmbChannelSelect->currentText(), "42");
        EXPECT_EQ(select.cmbChannelSelect->count(), 17);
        testsupport::PressEnter(select.cmbChannelSelect); // OK answers Enter here
    });
    WhenModal editor(&edit, [this] {
        EXPECT_EQ(edit.lblChannelNumber->text(), "Channel Number : 42");
        EXPECT_EQ(edit.txtRxFreq->text(), "470.0000Mhz");
        EXPECT_FALSE(edit.chkOsMem->isChecked() || edit.chkGsMem->isChecked() || edit.chkQMem->isChecked());
        edit.txtRxFreq->setText("465.0250");
        edit.chkGsMem->setChecked(true);
        testsupport::PressEnter(edit.txtRxFreq); // and in the editor
    });
    data.btnNewChannel->click();
    ASSERT_TRUE(pick.ran() && editor.ran());
    EXPECT_EQ(image.Get(108), 37202);
    EXPECT_TRUE(image.GetMapBit(31, 41));
    EXPECT_FALSE(image.GetMapBit(27, 41));
    EXPECT_FALSE(image.GetMapBit(39, 41)); // out of the CTCSS silent memory
    EXPECT_EQ(data.listChannel->currentRow(), 1);
    EXPECT_EQ(Cell(1, 0), "42");

    // Cancelled in the editor: no channel, no row.
    WhenModal pick2(&select, [this] { select.findChild<QPushButton*>("OKBtn")->click(); });
    WhenModal cancel(&edit, [this] { edit.CancelBtn->click(); });
    data.btnNewChannel->click();
    EXPECT_TRUE(cancel.ran());
    EXPECT_EQ(image.Get(110), 0);
    EXPECT_EQ(data.listChannel->rowCount(), 4);
    Finish(data, Press::OK);
    EXPECT_EQ(image.Get(108), 37202);
}

TEST_F(ChannelDataTest, NoSpareChannelLeftShowsTheBoxOnly)
{
    for (int w = 107; w <= 126; ++w)
        image.Set(w, 38000);
    MessageBoxResponder boxes;
    boxes.expect(platform::IDOK);
    WhenModal pick(&select, [this] { select.reject(); });
    Run(data, [&] { data.btnNewChannel->click(); }, Press::OK);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "There are no more\nspare channels.");
    EXPECT_EQ(boxes.boxes()[0].flags, 0x30u);
    EXPECT_FALSE(pick.ran());
}

TEST_F(ChannelDataTest, FrequencyLimitsBlankDigitsAndKeys)
{
    Show(data);
    SelectRow(1);
    MessageBoxResponder boxes;
    boxes.answerAll(platform::IDOK);
    int beeps = 0;
    platform::SetBeepHook([&] { ++beeps; });
    WhenModal editor(&edit, [&] {
        for (const char* refused : {"464.9875", "485.0125", "47 .5000", "999.9999", "470.00"}) {
            edit.txtRxFreq->setText(refused);
            edit.OKBtn->click();
            EXPECT_TRUE(edit.isVisible()) << refused;
            EXPECT_EQ(image.Get(109), 38113) << refused; // nothing stored
        }
        // Only digits and backspace reach the field; anything else beeps.
        edit.txtRxFreq->setText("470.0000");
        edit.txtRxFreq->setCursorPosition(0);
        for (auto [key, text] : {std::pair{Qt::Key_A, "a"}, {Qt::Key_Period, "."}, {Qt::Key_4, "4"}, {Qt::Key_8, "8"}}) {
            QKeyEvent ev(QEvent::KeyPress, key, Qt::NoModifier, text);
            QApplication::sendEvent(edit.txtRxFreq, &ev);
        }
        EXPECT_EQ(beeps, 2);
        EXPECT_EQ(edit.txtRxFreq->text(), "480.0000Mhz");
        edit.txtRxFreq->setText("485.0000");
        edit.OKBtn->click();
    });
    data.btnEditChannel->click();
    platform::SetBeepHook({});
    ASSERT_TRUE(editor.ran());
    ASSERT_EQ(boxes.boxes().size(), 5u);
    for (int i : {0, 1, 3})
        EXPECT_EQ(boxes.boxes()[i].caption + boxes.boxes()[i].text,
                  "Invalid ValueValid values are 465.0000 to 485.0000. Please correct it");
    // A blank digit position fails the conversion: the application's standard error box.
    EXPECT_EQ(boxes.boxes()[2].text.toStdString(), "'47 .5000' is not a valid floating point value");
    EXPECT_EQ(boxes.boxes()[4].text.toStdString(), "'470.00  ' is not a valid floating point value");
    EXPECT_EQ(boxes.boxes()[2].caption, QCoreApplication::applicationName());
    EXPECT_EQ(boxes.boxes()[2].flags, 0x10u);
    EXPECT_EQ(image.Get(109), 38800);
    EXPECT_TRUE(image.GetMapBit(27, 42) && image.GetMapBit(35, 42)); // boxes loaded and stored back

    WhenModal lowest = EditWith("465.0000", false, false, false);
    data.btnEditChannel->click(); // the edited row is current again
    EXPECT_EQ(image.Get(109), 37200);
    EXPECT_FALSE(image.GetMapBit(27, 42));
    Finish(data, Press::OK);
}

TEST_F(ChannelDataTest, DeleteKeepsTheBitsAndMovesToTheRowAbove)
{
    image.SetMapBit(39, 49, true);
    image.SetMapBit(27, 49, true);
    Show(data);
    MessageBoxResponder boxes;
    boxes.expect(platform::IDCANCEL);
    SelectRow(2);
    data.btnDeleteChannel->click();
    EXPECT_EQ(image.Get(116), 37200); // not confirmed
    EXPECT_EQ(boxes.boxes().at(0).flags, 0x21u);

    boxes.expect(platform::IDOK);
    data.btnDeleteChannel->click();
    EXPECT_EQ(image.Get(116), 0);
    EXPECT_TRUE(image.GetMapBit(27, 49) && image.GetMapBit(39, 49));
    EXPECT_EQ(data.SelectedIndex, 2); // channel 43, the row above
    EXPECT_EQ(data.listChannel->rowCount(), 2);
    EXPECT_EQ(data.listChannel->currentRow(), 1);

    // Adding the number again starts unchecked and clears the old bits.
    WhenModal pick(&select, [this] {
        select.cmbChannelSelect->setCurrentText("50");
        select.findChild<QPushButton*>("OKBtn")->click();
    });
    WhenModal editor(&edit, [this] {
        EXPECT_FALSE(edit.chkOsMem->isChecked());
        edit.OKBtn->click();
    });
    data.btnNewChannel->click();
    EXPECT_EQ(image.Get(116), 37600);
    EXPECT_FALSE(image.GetMapBit(27, 49) || image.GetMapBit(39, 49));

    // Deleting the first row forgets the selection.
    boxes.expect(platform::IDOK);
    SelectRow(0);
    data.btnDeleteChannel->click();
    EXPECT_EQ(data.SelectedIndex, 0);
    Finish(data, Press::OK);
}

TEST_F(ChannelDataTest, CancelAndCloseBoxUndoEveryChange)
{
    image.SetMapBit(29, 0, true);
    const TRadioImage::Words before = image.Snapshot();
    MessageBoxResponder boxes;
    boxes.answerAll(platform::IDOK);
    for (Press press : {Press::Cancel, Press::CloseBox}) {
        Run(data, [&] {
            SelectRow(0);
            WhenModal editor = EditWith("480.0000", false, true, false);
            data.btnEditChannel->click();
            SelectRow(1);
            data.btnDeleteChannel->click();
            WhenModal pick(&select, [this] { select.findChild<QPushButton*>("OKBtn")->click(); });
            WhenModal added = EditWith("466.0000", true, true, true);
            data.btnNewChannel->click();
            EXPECT_NE(image.Snapshot(), before);
        }, press);
        EXPECT_TRUE(Changed(before).empty());
    }
}

TEST_F(ChannelDataTest, TabLeavesTheGrid)
{
    Show(data);
    SelectRow(1);
    EXPECT_EQ(TabFrom(data.listChannel), data.btnNewChannel);
    EXPECT_EQ(data.listChannel->currentRow(), 1);
    Finish(data, Press::Cancel);
}

TEST(ChannelEditorsFromMainWindow, CreatedInOrderAndTheirButtonsEnabled)
{
    kr7260app::CreateForms();
    ASSERT_TRUE(frmChannelData && frmChannelSelect && frmEditChannel2 && frmScan && frmCtcss && frmOptions);
    for (QPushButton* b : {MainForm->btnChannel, MainForm->btnScanDuplex, MainForm->btnCtcss, MainForm->btnOptions})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    // The editors work on the main window's image.
    MainForm->RadioImage.Set(9, 0x0003);
    testsupport::ModalHandler scan([](QWidget* w) {
        EXPECT_EQ(w, frmScan);
        EXPECT_EQ(frmScan->cmbRecallM1->currentText(), "CB 04");
        frmScan->CancelBtn->click();
    });
    MainForm->mnuScanDuplex->trigger();
    EXPECT_TRUE(scan.ran());
    kr7260app::DestroyForms();
    EXPECT_FALSE(frmChannelData || frmCtcss); // no form object left dangling
}

} // namespace
