// The page and alarm window on the editor fixture: the alarm time labels and steps,
// standard and adjustable timing, word 18's cycles, the page channel and the enabling
// from the selcall window.
#include "editor_fixture.h"

#include "page.h"
#include "selcall.h"

#include <platform/misc.h>
#include <platform/msgbox.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextEdit>

namespace {

using k7test::EditorTest;
using testsupport::MessageBoxResponder;

struct FakeSelcall : TSelcallSettings {
    bool page = true;
    bool alarm = true;
    int TxGroupIndex() const override { return 0; }
    bool PageEnabled() const override { return page; }
    bool AlarmInEnabled() const override { return alarm; }
};

class PageTest : public EditorTest {
protected:
    FakeSelcall selcall;
    TfrmPageAlarm page{nullptr, &selcall};
};

TEST_F(PageTest, AlarmTimeLabelsAndSteps)
{
    const std::pair<int, const char*> labels[] = {{3, "300mSec"},    {99, "9900mSec"},  {100, "10Sec"},
                                                  {150, "15Sec"},    {599, "59Sec"},    {600, "1Minutes"},
                                                  {5400, "9Minutes"}, {70000, "9Minutes"}};
    for (auto [word, text] : labels) {
        image.Set(4, 0x0000); // adjustable
        image.Set(19, word);
        image.Set(20, word);
        Run(page, [&] {
            EXPECT_EQ(page.lblAlarmOnValue->text(), text) << word;
            EXPECT_EQ(page.lblAlarmOffValue->text(), text) << word;
        }, Press::OK);
        EXPECT_EQ(image.Get(19), std::min(word, 5400));
        EXPECT_EQ(image.Get(20), std::min(word, 5400));
    }
    Show(page);
    for (auto [position, single, large] : {std::tuple{99, 1, 10}, {100, 10, 100}, {600, 60, 600}, {0, 1, 10}}) {
        page.hsbAlarmOff->setValue(position);
        EXPECT_EQ(page.hsbAlarmOff->singleStep(), single) << position;
        EXPECT_EQ(page.hsbAlarmOff->pageStep(), large) << position;
    }
    Finish(page, Press::Cancel);
}

TEST_F(PageTest, StandardAndAdjustableTiming)
{
    FillPattern();
    image.Set(4, 0x1000);
    image.Set(18, 0x0B37);
    image.Set(19, 10);
    image.Set(20, 20);
    const TRadioImage::Words before = image.Snapshot();
    Run(page, [&] {
        EXPECT_TRUE(page.rbAlarmStandard->isChecked());
        EXPECT_FALSE(page.hsbAlarmOn->isEnabled());
        EXPECT_EQ(page.lblAlarmOnValue->text(), "300mSec");
        EXPECT_EQ(page.lblAlarmOffValue->text(), "1700mSec");
        EXPECT_EQ(page.lblAlarmRepeatsValue->text(), "5");
        page.rbAlarmReset->click();
        EXPECT_EQ(page.lblAlarmOnValue->text(), "1000mSec"); // the bars' own values again
        EXPECT_EQ(page.lblAlarmOffValue->text(), "2000mSec");
        page.hsbAlarmOn->setValue(4000);
        page.rbAlarmStandard->click();
        EXPECT_EQ(page.lblAlarmOnValue->text(), "300mSec");
    }, Press::OK);
    EXPECT_EQ(image.Get(19), 3);
    EXPECT_EQ(image.Get(20), 17);
    EXPECT_EQ(image.Get(18), 0x0A37);
    for (int w : Changed(before))
        EXPECT_TRUE((w >= 3 && w <= 6) || w == 8 || w == 13 || (w >= 18 && w <= 20)) << w;

    // Adjustable: 5 cycles shown for 0x0B37, bit 8 cleared; more than 100 cycles clamped.
    image.Set(4, 0x0000);
    Run(page, [&] { EXPECT_EQ(page.lblAlarmRepeatsValue->text(), "5"); }, Press::OK);
    EXPECT_EQ(image.Get(18), 0x0A37);
    image.Set(18, 0x1FE42); // bits above 16 are not cycles
    Run(page, [&] { EXPECT_EQ(page.hsbAlarmRepeats->value(), 100); }, Press::OK);
    EXPECT_EQ(image.Get(18), (100 << 9) | 0x42);
}

TEST_F(PageTest, PageChannelAndRepeats)
{
    image.Set(8, 0x2877);  // channel index 40: not a CB channel
    image.Set(13, 0x0319); // pager 25, alarm 3
    Run(page, [&] {
        EXPECT_EQ(page.cmbPageChannel->count(), 40);
        EXPECT_EQ(page.cmbPageChannel->currentText(), "CB 01");
        EXPECT_EQ(page.lblPagerRpts->text(), "10");
        EXPECT_EQ(page.lblAlarmRpts->text(), "3");
    }, Press::OK);
    EXPECT_EQ(image.Get(8), 0x0077);
    EXPECT_EQ(image.Get(13), 0x030A);

    // Typing changes nothing and makes no sound; a pasted channel must be CB 01..40.
    int beeps = 0;
    platform::SetBeepHook([&] { ++beeps; });
    MessageBoxResponder boxes;
    boxes.answerAll(platform::IDOK);
    Show(page);
    page.cmbPageChannel->setCurrentIndex(39);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_5, Qt::NoModifier, "5");
    QApplication::sendEvent(page.cmbPageChannel->lineEdit(), &key);
    EXPECT_EQ(page.cmbPageChannel->currentText(), "CB 40");
    for (const char* pasted : {"CB 41", "CB -1", "CB"}) {
        page.cmbPageChannel->setEditText(pasted);
        page.OKBtn->click();
        EXPECT_TRUE(page.isVisible()) << pasted;
        EXPECT_EQ(image.Get(8), 0x0077) << pasted;
    }
    EXPECT_EQ(boxes.boxes().size(), 3u);
    page.cmbPageChannel->setEditText("CB 40");
    Finish(page, Press::OK);
    EXPECT_EQ(image.Get(8), 0x2777);
    EXPECT_EQ(beeps, 0);
    platform::SetBeepHook({});
}

TEST_F(PageTest, EnablingFollowsTheSelcallWindow)
{
    image.Set(4, 0x0300);
    image.Set(5, 0x0002);
    image.Set(8, 0x0500);
    image.Set(13, 0x0204);
    const TRadioImage::Words before = image.Snapshot();
    for (auto [p, a] : {std::pair{false, false}, {true, false}, {false, true}}) {
        selcall.page = p;
        selcall.alarm = a;
        Run(page, [&] {
            EXPECT_EQ(page.cmbPageChannel->isEnabled(), p || a);
            EXPECT_EQ(page.chkPageAppendAni->isEnabled(), p || a);
            EXPECT_EQ(page.hsbPagerRpts->isEnabled(), p);
            EXPECT_EQ(page.chkBlPage->isEnabled(), p);
            EXPECT_EQ(page.hsbAlarmRpts->isEnabled(), a);
            EXPECT_EQ(page.chkBlAlarm->isEnabled(), a);
        }, Press::OK);
    }
    for (int w : Changed(before))
        EXPECT_TRUE(w >= 18 && w <= 20) << w; // only the alarm output timing is rewritten
}

TEST_F(PageTest, HelpSentences)
{
    Show(page);
    page.Help->MouseHelp(page.gbAlarm);
    EXPECT_TRUE(page.HelpText->toPlainText().startsWith("The alarm option functionality is built into"));
    EXPECT_EQ(page.Help->SentenceFor(page.lblPagerRpts), "Number of times to send the page selcall");
    EXPECT_TRUE(page.Help->SentenceFor(page.lblAlarmRepeatsValue).isEmpty());
    Finish(page, Press::Cancel);
}

} // namespace
