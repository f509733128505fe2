// The selcall window on the editor fixture, with its two child windows nested in it:
// the group call encoding, the lead-in delay, the enabling rule, the children reading
// its live controls, and the nested backups of OK, Cancel and the close box.
#include "editor_fixture.h"

#include "main.h"
#include "page.h"
#include "selc_mem.h"
#include "selcall.h"

#include <widgets/channelchecks.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextEdit>

namespace {

using k7test::EditorTest;
using testsupport::ModalHandler;

class SelcallTest : public EditorTest {
protected:
    SelcallTest() { selcall.Attach(&idents, &page); }
    // The parent first: the children are its child widgets.
    TfrmSelcall selcall;
    TfrmSelcallIdents idents{&selcall, &selcall};
    TfrmPageAlarm page{&selcall, &selcall};
};

TEST_F(SelcallTest, GroupCallsLeadInAndQuietMemory)
{
    FillPattern();
    image.Set(3, 0x4208);   // tx bit B alone, rx bit B alone, decoder on
    image.Set(7, 0x10005);  // above 200 once all 32 bits count
    image.Set(37, 0xAB01);  // spare channels' quiet bits in the high byte
    image.Set(38, 0x1234);
    const TRadioImage::Words before = image.Snapshot();
    Run(selcall, [&] {
        EXPECT_EQ(selcall.cmbTxGroup->currentText(), "Send Group calls up to 100");
        EXPECT_EQ(selcall.cmbRxGroup->currentText(), "Accept Group calls up to 100");
        EXPECT_EQ(selcall.lblLeadInDelay->text(), "2000mS");
        EXPECT_TRUE(selcall.Quiet->Checked(33));
        selcall.btnQDeselectAll->click();
        selcall.Quiet->SetChecked(40, true);
    }, Press::OK);
    EXPECT_EQ(image.Get(3), 0x6308);
    EXPECT_EQ(image.Get(7), 200);
    EXPECT_EQ(image.Get(37), 0xAB80);
    EXPECT_EQ(image.Get(38), 0x1234);
    for (int w : Changed(before))
        EXPECT_TRUE((w >= 3 && w <= 7) || (w >= 35 && w <= 37)) << w;

    image.Set(3, 0x2108); // bit A alone: up to 10
    image.Set(7, 0);
    Run(selcall, [&] {
        EXPECT_EQ(selcall.cmbTxGroup->currentIndex(), 1);
        EXPECT_EQ(selcall.cmbRxGroup->currentIndex(), 1);
        EXPECT_EQ(selcall.lblLeadInDelay->text(), "0mS");
        selcall.cmbTxGroup->setCurrentIndex(0);
    }, Press::OK);
    EXPECT_EQ(image.Get(3), 0x2008);
}

TEST_F(SelcallTest, DecoderOffDisablesAllButStoresUnchanged)
{
    image.Set(3, 0x9D00);
    image.Set(4, 0x6400);
    image.Set(5, 0x0039);
    image.Set(7, 150);
    image.Set(35, 0x8001);
    const TRadioImage::Words before = image.Snapshot();
    Run(selcall, [&] {
        for (QWidget* w : std::initializer_list<QWidget*>{selcall.chkBeepAckEnabled, selcall.cmbRxGroup,
                                                          selcall.hsbLeadInDelay, selcall.btnSelcallMem,
                                                          selcall.btnPageAlarm, selcall.chkPageEnabled,
                                                          selcall.chkClearQuiet, selcall.btnQSelectAll})
            EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
        EXPECT_FALSE(selcall.Quiet->Box(1)->isEnabled());
        EXPECT_TRUE(selcall.chkSelcallDecEnabled->isEnabled());
        selcall.chkSelcallDecEnabled->click();
        EXPECT_TRUE(selcall.btnPageAlarm->isEnabled() && selcall.Quiet->Box(40)->isEnabled());
        selcall.chkSelcallDecEnabled->click();
    }, Press::OK);
    EXPECT_TRUE(Changed(before).empty());

    Run(selcall, [&] { selcall.btnQSelectAll->click(); }, Press::Cancel);
    EXPECT_TRUE(Changed(before).empty());
}

TEST_F(SelcallTest, ChildrenReadTheLiveControls)
{
    image.Set(3, 0x0008);
    image.Set(43, 0x1234);
    Show(selcall);
    // Not stored yet, but the children see them.
    selcall.chkPageEnabled->click();
    selcall.cmbTxGroup->setCurrentIndex(1);
    ModalHandler pageAlarm([&](QWidget* w) {
        EXPECT_EQ(w, &page);
        EXPECT_TRUE(page.cmbPageChannel->isEnabled() && page.hsbPagerRpts->isEnabled());
        EXPECT_FALSE(page.hsbAlarmRpts->isEnabled());
        page.CancelBtn->click();
    });
    selcall.btnPageAlarm->click();
    EXPECT_TRUE(pageAlarm.ran());
    ModalHandler memories([&](QWidget*) {
        QLineEdit* box = idents.txtMem[1];
        box->setSelection(4, 1); // the fifth tone, replaced
        QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
        QApplication::sendEvent(box, &a);
        EXPECT_EQ(box->text(), "1234A");
        idents.OKBtn->click();
    });
    selcall.btnSelcallMem->click();
    EXPECT_TRUE(memories.ran());
    EXPECT_EQ(image.Get(44), 0xA000);
    Finish(selcall, Press::OK);
    EXPECT_EQ(image.Get(5) & 0x0001, 0x0001);
}

// A child's OK survives the parent's OK and is undone by its Cancel or close box.
TEST_F(SelcallTest, ChildOkIsNestedInTheParentsBackup)
{
    for (Press press : {Press::OK, Press::Cancel, Press::CloseBox}) {
        image.Fill(0);
        image.Set(3, 0x0008);
        image.Set(6, 0x0100);
        image.Set(7, 20);
        const TRadioImage::Words before = image.Snapshot();
        Show(selcall);
        selcall.chkClearQuiet->click();
        ModalHandler timing([&](QWidget*) {
            page.rbAlarmStandard->click();
            page.OKBtn->click();
        });
        selcall.btnPageAlarm->click();
        ASSERT_TRUE(timing.ran());
        EXPECT_EQ(image.Get(4), 0x1000);
        EXPECT_EQ(image.Get(19), 3);
        ModalHandler memories([&](QWidget*) {
            idents.chkTeleMem[1]->click(); // clears word 6 bit 0x0100
            idents.chkTeleMem[2]->click();
            idents.OKBtn->click();
        });
        selcall.btnSelcallMem->click();
        ASSERT_TRUE(memories.ran());
        // A child cancelled or closed leaves the image as that child found it.
        for (Press childPress : {Press::Cancel, Press::CloseBox}) {
            const TRadioImage::Words mid = image.Snapshot();
            ModalHandler undone([&](QWidget*) {
                page.rbAlarmReset->click();
                page.hsbAlarmOn->setValue(50);
                Finish(page, childPress);
            });
            selcall.btnPageAlarm->click();
            ASSERT_TRUE(undone.ran());
            EXPECT_TRUE(Changed(mid).empty());
        }
        Finish(selcall, press);
        if (press == Press::OK) {
            EXPECT_EQ(image.Get(3), 0x8008);
            EXPECT_EQ(image.Get(4), 0x1000);
            EXPECT_EQ(image.Get(6), 0x0200);
            EXPECT_EQ(image.Get(65), 0); // last sent := radio ident
        } else {
            EXPECT_TRUE(Changed(before).empty()) << int(press);
        }
    }
}

TEST_F(SelcallTest, HelpSentencesAsWritten)
{
    Show(selcall);
    selcall.Help->FocusHelp(selcall.chkClearQuiet);
    EXPECT_EQ(selcall.HelpText->toPlainText(), "Clear quite mode on priority channel recall");
    EXPECT_TRUE(selcall.Help->SentenceFor(selcall.chkTx5Ani).contains("append it's 5 digit"));
    EXPECT_TRUE(selcall.Help->SentenceFor(selcall.chkRx5Ani).contains("Note the the transmitting"));
    selcall.Help->MouseHelp(selcall.findChild<QWidget*>("pnlBottom"));
    EXPECT_TRUE(selcall.HelpText->toPlainText().isEmpty());
    Finish(selcall, Press::Cancel);
}

TEST(SelcallFromMainWindow, CreatedNestedAndItsButtonEnabled)
{
    kr7260app::CreateForms();
    ASSERT_TRUE(frmSelcall && frmSelcallIdents && frmPageAlarm);
    EXPECT_TRUE(MainForm->btnSelcall->isEnabled());
    MainForm->RadioImage.Set(3, 0x0008);
    MainForm->RadioImage.Set(67, 0x5432);
    MainForm->RadioImage.Set(68, 0x1000);
    ModalHandler parent([&](QWidget* w) {
        EXPECT_EQ(w, frmSelcall);
        ModalHandler child([](QWidget* c) {
            EXPECT_EQ(c, frmSelcallIdents);
            EXPECT_EQ(frmSelcallIdents->txtRadioIdent->text(), "54321");
            frmSelcallIdents->OKBtn->click();
        });
        frmSelcall->btnSelcallMem->click();
        EXPECT_TRUE(child.ran());
        frmSelcall->OKBtn->click();
    });
    MainForm->btnSelcall->click();
    EXPECT_TRUE(parent.ran());
    EXPECT_EQ(MainForm->RadioImage.Get(65), 0x5432);
    kr7260app::DestroyForms();
    EXPECT_FALSE(frmSelcall || frmSelcallIdents || frmPageAlarm);
}

} // namespace
