// The development window against the simulated radio: each control sends its one command.
// ctest-label: threaded (the serial port runs its reader and writer threads)
#include "eng.h"
#include "radionotify.h"
#include "updown.h"

#include "service_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <functional>

using k5test::Bytes;

namespace {

class EngTest : public k5test::ServiceWindowTest {
protected:
    void SetUp() override
    {
        ServiceWindowTest::SetUp();
        image.SetWord(ee::PllReference, 1234);
        image.SetWord(ee::IfOffset, 567);
        win = std::make_unique<TfrmEngineering>(&radio, &image);
    }
    void TearDown() override
    {
        win.reset();
        ServiceWindowTest::TearDown();
    }

    void open()
    {
        win->show();
        sent();
    }
    template <class T = QWidget> T* get(const QString& name) const
    {
        T* w = win->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    QString text(const char* edit) const { return get<QLineEdit>(edit)->text(); }
    void setText(const char* edit, const QString& t) const { get<QLineEdit>(edit)->setText(t); }
    void click(const char* button) const { get<QAbstractButton>(button)->click(); }
    QTimer* timer() const { return get<QTimer>("TimerKeyHeld"); }
    void type(QWidget* w, int key, const QString& t) const
    {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, t);
        QApplication::sendEvent(w, &e);
    }
    static Bytes tune(int count) { return {0xB4, 0x88, Bytes::value_type(count >> 8), Bytes::value_type(count & 0xFF)}; }

    std::unique_ptr<TfrmEngineering> win;
};

TEST_F(EngTest, ShowingTunesTheHeldFrequencyAndShowsTheImageWords)
{
    win->show();
    EXPECT_EQ(sent(), std::vector<Bytes>{tune(38160)});
    EXPECT_EQ(text("editFreq"), "477.000000");
    EXPECT_EQ(text("editPLL_R"), "1234");
    EXPECT_EQ(text("editIF_OFFSET"), "567");
    EXPECT_EQ(get<QLabel>("lblTxRx")->text(), "RECEIVE");

    // The frequency and the step survive a closing; the next showing retunes.
    click("btn_504");
    get<QComboBox>("cbFreqStep")->setCurrentIndex(2);
    win->hide();
    sent();
    win->show();
    EXPECT_EQ(sent(), std::vector<Bytes>{tune(40320)});
    EXPECT_EQ(text("editFreq"), "504.000000");
    EXPECT_EQ(get<QComboBox>("cbFreqStep")->currentIndex(), 2);
}

TEST_F(EngTest, TabOrderFollowsTheScreen)
{
    open();
    QApplication::processEvents();
    EXPECT_EQ(win->focusWidget(), get("editDAC_0"));
    QStringList order; // the Tab cycle from the first DAC row
    QWidget* first = get("editDAC_0");
    QWidget* w = first;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && w->isVisibleTo(win.get()))
            order << w->objectName();
        w = w->nextInFocusChain();
    } while (w != first);
    const QString tabs = order.join(' ');
    EXPECT_TRUE(tabs.startsWith("editDAC_0 editDAC_1 editDAC_2 editDAC_3 editDAC_4 editDAC_5 editDAC_6 "
                                "editDAC_7 btnReadDAC editBeepTone")) << tabs.toStdString();
    EXPECT_TRUE(tabs.contains("edit_memaddr edit_memdata edit_memmask btnMemWrite btnMemRead")) << tabs.toStdString();
    EXPECT_TRUE(tabs.endsWith("btnClose")) << tabs.toStdString();
}

TEST_F(EngTest, PlusAndMinusStepAndRepeatWhileHeld)
{
    open();
    QWidget* plus = get("btnFreqInc");
    press(plus);
    EXPECT_EQ(sent(), std::vector<Bytes>{tune(38161)});
    EXPECT_EQ(text("editFreq"), "477.012500");
    EXPECT_TRUE(timer()->isActive());
    EXPECT_EQ(timer()->interval(), 1000);
    release(plus);
    EXPECT_FALSE(timer()->isActive());

    // 10 MHz steps: the press, then each tick; the step is read again on every tick.
    get<QComboBox>("cbFreqStep")->setCurrentIndex(4);
    press(plus);
    EXPECT_EQ(text("editFreq"), "487.012500");
    win->TimerKeyHeldTimer();
    EXPECT_EQ(timer()->interval(), 100);
    EXPECT_EQ(text("editFreq"), "497.012500");
    get<QComboBox>("cbFreqStep")->setCurrentIndex(3);
    win->TimerKeyHeldTimer();
    EXPECT_EQ(text("editFreq"), "498.012500");
    release(plus);

    // "-" from a preset, with the right mouse button too.
    click("btn_450");
    sent();
    QWidget* minus = get("btnFreqDec");
    press(minus, Qt::RightButton);
    win->TimerKeyHeldTimer();
    release(minus, Qt::RightButton);
    EXPECT_EQ(sent(), (std::vector<Bytes>{tune(35920), tune(35840)}));
    EXPECT_EQ(text("editFreq"), "448.000000");
    EXPECT_FALSE(timer()->isActive());
}

TEST_F(EngTest, TheFrequencyHasNoLimitAndTheCommandCarriesItsLow16Bits)
{
    open();
    get<QComboBox>("cbFreqStep")->setCurrentIndex(4);
    QWidget* minus = get("btnFreqDec");
    press(minus);
    for (int i = 0; i < 47; ++i)
        win->TimerKeyHeldTimer();
    release(minus);
    EXPECT_EQ(win->Frequency(), -3000000);
    EXPECT_EQ(text("editFreq"), "-003.000000");
    EXPECT_EQ(sent().back(), tune(0xFF10)); // -240
}

TEST_F(EngTest, DacEditsTakeDigitsAndSendOnEnterHeldToOneByte)
{
    open();
    QLineEdit* edit0 = get<QLineEdit>("editDAC_0");
    edit0->clear();
    for (const char* k : {"3", "A", "0", "-", "0"})
        type(edit0, 0, QString::fromLatin1(k));
    EXPECT_EQ(edit0->text(), "300");
    EXPECT_TRUE(sent().empty());
    type(edit0, Qt::Key_Return, "\r");
    EXPECT_EQ(edit0->text(), "255");
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xB4, 0x87, 0x00, 0xFF}}));

    // A pasted negative number goes as 0; empty and oversized texts are refused.
    QLineEdit* edit5 = get<QLineEdit>("editDAC_5");
    edit5->setText("-7");
    type(edit5, Qt::Key_Enter, "\r");
    EXPECT_EQ(edit5->text(), "0");
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xB4, 0x87, 0x05, 0x00}}));
    boxes.answerAll(1);
    edit5->setText("99999999999");
    type(edit5, Qt::Key_Return, "\r");
    get<QLineEdit>("editDAC_6")->clear();
    type(get("editDAC_6"), Qt::Key_Return, "\r");
    EXPECT_TRUE(sent().empty());
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[0].text, "'99999999999' is not a valid integer value");
    EXPECT_EQ(boxes.boxes()[1].text, "'' is not a valid integer value");
    EXPECT_EQ(edit0->maxLength(), 3);
    EXPECT_GT(edit5->maxLength(), 11);

    // The arrows step from the number in the edit and send it at once.
    setText("editDAC_3", "100");
    get<TUpDown>("udDAC_3")->findChild<QToolButton*>("up")->click();
    get<TUpDown>("udDAC_7")->findChild<QToolButton*>("down")->click(); // stays at 0
    EXPECT_EQ(text("editDAC_3"), "101");
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xB4, 0x87, 0x03, 101}, {0xB4, 0x87, 0x07, 0x00}}));
}

TEST_F(EngTest, ReadDacsShowsTheRadiosValuesWithoutSending)
{
    open();
    for (int k = 0; k < 8; ++k)
        sim.setDac(k, std::uint8_t(10 * k + 5));
    click("btnReadDAC");
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xB4, 0x07, 0xFF}}));
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(text(QStringLiteral("editDAC_%1").arg(k).toLatin1()), QString::number(10 * k + 5));
    EXPECT_EQ(get<QLabel>("lblDAC_7")->text(), "RFPWR");
}

TEST_F(EngTest, ButtonsSendTheirCommands)
{
    open();
    get<QCheckBox>("chkAlignT1")->setChecked(true);
    get<QCheckBox>("chkAlignT3")->setChecked(true);
    setText("editCTCSS", "12");
    const std::vector<std::pair<std::function<void()>, Bytes>> cases = {
        {[&] { click("btnSquelch"); }, {0xB4, 0x86, 0x01}},
        {[&] { click("btnSquelch"); }, {0xB4, 0x86, 0x00}},
        {[&] { click("btnSetChannel"); }, {0xA4, 129}},
        {[&] { click("btnCTCSS"); }, {0xB4, 0x83, 12}},
        {[&] { click("chkTestMode"); }, {0xB8, 0x01}},
        {[&] { click("chkTestMode"); }, {0xB8, 0x00}},
        {[&] { click("btnReset"); }, {0xBF}},
        {[&] { click("btnAutoAlign"); }, {0xB4, 0x89, 0x05, 0x00, 0xFF, 0x10}},
        {[&] { click("btnWriteLCD"); }, {0xB4, 0x84, '8', '8', 'A', 'L', 'P', 'H', 'A', 0xFF, 0xFF, 0x00}},
        {[&] { setText("edit7seg", "7"); setText("editAlphaText", "AB"); click("btnWriteLCD"); },
         {0xB4, 0x84, '7', 0, 'A', 'B', 0, 0, 0, 0xFF, 0xFF, 0x00}},
        {[&] { setText("edit_memaddr", "1F"); setText("edit_memdata", "5"); setText("edit_memmask", "f0");
               click("btnMemWrite"); }, {0xB4, 0x81, 0x00, 0x1F, 0x05, 0xF0}},
        {[&] { setText("editBeepTone", "5"); press(get("btnBeep")); }, {0xB4, 0x8A, 0x05, 0x00}},
        {[&] { release(get("btnBeep")); }, {0xB4, 0x8A, 0x00, 0x00}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        cases[i].first();
        EXPECT_EQ(sent(), std::vector<Bytes>{cases[i].second});
    }
}

TEST_F(EngTest, MemoryReadShowsTheReplyByteInHex)
{
    open();
    sim.setByte(0x1F, 0xA5);
    setText("edit_memaddr", "1F");
    click("btnMemRead");
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xB4, 0x01, 0x00, 0x1F}}));
    EXPECT_EQ(text("edit_memdata"), "A5");
    sim.setByte(0x02, 0x07);
    setText("edit_memaddr", "2");
    click("btnMemRead");
    EXPECT_EQ(text("edit_memdata"), "07");
}

TEST_F(EngTest, ConversionErrorsShowTheMessageAndSendNothing)
{
    open();
    boxes.answerAll(1);
    setText("edit_memaddr", "zz");
    click("btnMemRead");
    setText("edit_memaddr", "10");
    click("btnMemWrite"); // data and mask still empty
    setText("editAlignStop", "x");
    click("btnAutoAlign");
    EXPECT_TRUE(sent().empty());
    ASSERT_EQ(boxes.boxes().size(), 3u);
    EXPECT_EQ(boxes.boxes()[0].text, "'0xzz' is not a valid integer value");
    EXPECT_EQ(boxes.boxes()[1].text, "'0x' is not a valid integer value");
    EXPECT_EQ(boxes.boxes()[2].text, "'x' is not a valid integer value");
}

TEST_F(EngTest, PttTogglesAndIsReleasedWhenTheWindowCloses)
{
    open();
    click("btnPTT");
    EXPECT_TRUE(win->Transmitting());
    EXPECT_EQ(get<QLabel>("lblTxRx")->text(), "TRANSMIT");
    EXPECT_EQ(get<QLabel>("lblTxRx")->palette().color(QPalette::Window), QColor(255, 0, 0));
    click("btnPTT");
    EXPECT_EQ(get<QLabel>("lblTxRx")->palette().color(QPalette::Window), QColor(0, 255, 0));
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xA6, 0x01}, {0xA6, 0x00}}));

    // Closed while transmitting (and holding "+" and the beep): everything is let go.
    click("btnPTT");
    press(get("btnFreqInc"));
    press(get("btnBeep"));
    sent();
    click("btnClose");
    EXPECT_FALSE(win->isVisible());
    EXPECT_EQ(win->result(), QDialog::Accepted);
    EXPECT_FALSE(timer()->isActive());
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xB4, 0x8A, 0x00, 0x00}, {0xA6, 0x00}}));
    EXPECT_EQ(get<QLabel>("lblTxRx")->text(), "RECEIVE");
    win->show();
    win->close();
    EXPECT_EQ(sent(), std::vector<Bytes>{tune(38161)}); // nothing to release
}

TEST_F(EngTest, NotificationRefreshesTheDacValuesOnlyForTransmitAndTuning)
{
    open();
    sim.setDac(2, 77);
    for (auto [w, l] : {std::pair{0x26, 0}, {0x34, 0x26}, {0x34, 0x88}, {0x34, 0x87}, {0x27, 0x26}, {0x88, 0}}) {
        TRadioNotifyEvent e(w, l);
        EXPECT_TRUE(QApplication::sendEvent(win.get(), &e));
    }
    EXPECT_EQ(sent(), std::vector<Bytes>(3, Bytes{0xB4, 0x07, 0xFF}));
    EXPECT_EQ(radio.dacValues[2], 77);
    EXPECT_EQ(text("editDAC_2"), "0"); // the display is not refreshed
}

} // namespace
